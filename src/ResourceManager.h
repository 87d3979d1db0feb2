#pragma once

// ResourceManager -- every resource the script declares, under its id, and the factory that
// creates them by tag. The manager keeps the resources alive until the demo ends.
//
//   if (!resources.createResources(initElement)) { /* "failed creating resources" */ }
//   auto* target = dynamic_cast<RenderTargetResource*>(resources.getResource(id));

#include "IResourceFactory.h"
#include "IdTable.h"

#include <cstdint>
#include <memory>
#include <tinyxml.h>
#include <vector>

namespace orb {

class DemoSystem;
class IResource;

class ResourceManager
{
public:
    explicit ResourceManager(DemoSystem& owner);
    ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    bool registerResource(IResource* resource, std::uint32_t requestedId);
    void unregisterResource(std::uint32_t id);
    // Null, with "invalid resource id '<id>'" logged, when the id names no resource.
    IResource* getResource(std::uint32_t id) const;
    IResource* nextResource(std::uint32_t& cursor) const { return table_.next(cursor); }
    // Every child element of `init`'s first "resources", in order; false if any failed.
    bool createResources(const TiXmlElement& init);

    IResourceFactory& factory() { return *factory_; }
    DemoSystem& owner() const { return owner_; }

private:
    DemoSystem& owner_;
    std::unique_ptr<IResourceFactory> factory_;
    IdTable<IResource> table_{"resource"};
    std::vector<std::unique_ptr<IResource>> resources_; // every resource made, registered or not
};

} // namespace orb
