#include "ResourceManager.h"

#include "DefaultResourceFactory.h"
#include "IResource.h"
#include "LogFile.h"

namespace orb {

ResourceManager::ResourceManager(DemoSystem& owner)
    : owner_(owner), factory_(std::make_unique<DefaultResourceFactory>(*this))
{}

ResourceManager::~ResourceManager()
{
    ORB_INFO("ResourceManager Shutdown ...");
    std::uint32_t cursor = 0;
    while (const IResource* resource = table_.next(cursor))
        unregisterResource(resource->id());
    ORB_INFO("ResourceManager Shutdown Done");
    for (const auto& resource : resources_)
        resource->detach();
}

bool ResourceManager::registerResource(IResource* resource, std::uint32_t requestedId)
{
    if (table_.enter(resource, requestedId))
        return true;
    ORB_ERROR(table_.refusal(requestedId));
    return false;
}

void ResourceManager::unregisterResource(std::uint32_t id)
{
    if (!table_.remove(id))
        ORB_ERROR(table_.invalidId(id));
}

IResource* ResourceManager::getResource(std::uint32_t id) const
{
    IResource* resource = table_.find(id);
    if (resource == nullptr)
        ORB_ERROR(table_.invalidId(id));
    return resource;
}

bool ResourceManager::createResources(const TiXmlElement& init)
{
    const TiXmlElement* resources = init.FirstChildElement("resources");
    if (resources == nullptr) {
        ORB_ERROR("cant find XML element 'resources'");
        return false;
    }
    bool created = true;
    for (const TiXmlElement* element = resources->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        std::unique_ptr<IResource> made = factory_->create(*element);
        if (made) {
            resources_.push_back(std::move(made));
        } else {
            ORB_ERROR("failed to create resource: " << element->Value());
            created = false;
        }
    }
    return created;
}

} // namespace orb
