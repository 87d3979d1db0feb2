#pragma once

// IResourceFactory -- creates resources from script elements by tag. A factory asks its
// delegates, in order, for any tag it does not create itself.

#include <memory>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace orb {

class IResource;
class ResourceManager;

class IResourceFactory
{
public:
    explicit IResourceFactory(ResourceManager& manager) : manager_(manager) {}
    virtual ~IResourceFactory() = default;
    IResourceFactory(const IResourceFactory&) = delete;
    IResourceFactory& operator=(const IResourceFactory&) = delete;

    virtual void listTypes(std::vector<std::string>& types) const;
    virtual void listCategories(std::vector<std::string>& categories) const;
    // Constructs (and so registers) the resource and reads its element; null when no factory knows it.
    virtual std::unique_ptr<IResource> create(const TiXmlElement& element);

    void addDelegate(std::unique_ptr<IResourceFactory> delegate)
    {
        delegates_.push_back(std::move(delegate));
    }

protected:
    ResourceManager& manager_;

private:
    std::vector<std::unique_ptr<IResourceFactory>> delegates_;
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
