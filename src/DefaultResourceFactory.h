#pragma once

// DefaultResourceFactory -- the built-in resource kinds, compared exactly with an element's tag:
// RenderTarget, Texture, Sound, Scene, Shader, Movie, Font.

#include "IResourceFactory.h"

namespace orb {

class DefaultResourceFactory final : public IResourceFactory
{
public:
    using IResourceFactory::IResourceFactory;

    void listTypes(std::vector<std::string>& types) const override;
    void listCategories(std::vector<std::string>& categories) const override;
    std::unique_ptr<IResource> create(const TiXmlElement& element) override;
};

} // namespace orb
