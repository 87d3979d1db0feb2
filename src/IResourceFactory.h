#pragma once

// IResourceFactory -- creates resources from script elements by their tag.

#include "FactoryChain.h"

#include <tinyxml.h>

namespace orb {

class IResource;
class ResourceManager;

class IResourceFactory
    : public FactoryChain<IResourceFactory, ResourceManager, IResource, const TiXmlElement&>
{
public:
    using FactoryChain::FactoryChain;
};

} // namespace orb
