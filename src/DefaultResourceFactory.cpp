#include "DefaultResourceFactory.h"

#include "RecordResources.h"
#include "RenderTargetResource.h"
#include "ScriptValues.h"
#include "SoundResource.h"

namespace orb {

namespace {

struct ResourceKind
{
    const char* name;
    const char* category;
    std::unique_ptr<IResource> (*make)(ResourceManager& manager, std::uint32_t id);
};

template <typename Kind>
std::unique_ptr<IResource> make(ResourceManager& manager, std::uint32_t id)
{
    return std::make_unique<Kind>(manager, id);
}

const ResourceKind ResourceKinds[] = {
    {"RenderTarget", "2D", make<RenderTargetResource>},
    {"Texture", "2D", make<TextureResource>},
    {"Sound", "Sounds", make<SoundResource>},
    {"Scene", "3D", make<SceneResource>},
    {"Shader", "3D", make<ShaderResource>},
    {"Movie", "2D", make<MovieResource>},
    {"Font", "2D", make<FontResource>},
};

} // namespace

void DefaultResourceFactory::listTypes(std::vector<std::string>& types) const
{
    for (const ResourceKind& kind : ResourceKinds)
        types.emplace_back(kind.name);
    IResourceFactory::listTypes(types);
}

void DefaultResourceFactory::listCategories(std::vector<std::string>& categories) const
{
    for (const ResourceKind& kind : ResourceKinds)
        categories.emplace_back(kind.category);
    IResourceFactory::listCategories(categories);
}

std::unique_ptr<IResource> DefaultResourceFactory::create(const TiXmlElement& element)
{
    const std::string tag = element.Value();
    for (const ResourceKind& kind : ResourceKinds) {
        if (tag == kind.name) {
            std::unique_ptr<IResource> made =
                kind.make(manager_, static_cast<std::uint32_t>(intAttribute(element, "id")));
            made->read(element);
            return made;
        }
    }
    return IResourceFactory::create(element);
}

} // namespace orb
