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

// The built-in kinds, compared exactly with the element's tag: RenderTarget, Texture, Sound,
// Scene, Shader, Movie, Font.
class DefaultResourceFactory final : public IResourceFactory
{
public:
    using IResourceFactory::IResourceFactory;

    void listTypes(std::vector<std::string>& types) const override;
    void listCategories(std::vector<std::string>& categories) const override;
    std::unique_ptr<IResource> create(const TiXmlElement& element) override;
};

} // namespace orb
