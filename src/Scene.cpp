#include "Scene.h"

#include "DemoSystem.h"

namespace orb {

Scene::Scene(DemoSystem& owner, std::uint32_t requestedId) : owner_(owner)
{
    owner_.registerScene(this, requestedId);
}

Scene::~Scene()
{
    owner_.unregisterScene(id_);
}

} // namespace orb
