#pragma once

// ResourceManager -- the resources the demo script creates, under their ids.
//
// This build creates no resources yet; the manager only takes part in the shutdown order.

namespace orb {

class DemoSystem;

class ResourceManager
{
public:
    explicit ResourceManager(DemoSystem& owner) : owner_(owner) {}
    ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

private:
    [[maybe_unused]] DemoSystem& owner_;
};

} // namespace orb
