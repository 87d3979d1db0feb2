#pragma once

// IResourceFactory -- creates resources from script elements by their tag.

#include "FactoryChain.h"
// Complete: the chain's create() passes resources on in unique_ptrs.
#include "IResource.h"

#include <tinyxml.h>

namespace orb {

class ResourceManager;

class IResourceFactory
    : public FactoryChain<IResourceFactory, ResourceManager, IResource, const TiXmlElement&>
{
public:
    using FactoryChain::FactoryChain;
};

} // namespace orb
