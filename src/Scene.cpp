#include "Scene.h"

#include "DemoSystem.h"
#include "ScriptValues.h"

namespace orb {

Scene::Scene(DemoSystem& owner, std::uint32_t requestedId) : owner_(owner)
{
    owner_.registerScene(this, requestedId);
}

Scene::~Scene()
{
    if (!detached_)
        owner_.unregisterScene(id_);
}

void Scene::process(float time, bool seek)
{
    if (start_ > time || end_ <= time)
        return;
    for (const auto& layer : layers_)
        layer->process(time, seek);
}

bool Scene::read(const TiXmlElement& element)
{
    name_ = textAttribute(element, "name");
    start_ = floatAttribute(element, "start");
    end_ = floatAttribute(element, "end");
    for (const TiXmlElement* layer = element.FirstChildElement("layer"); layer != nullptr;
         layer = layer->NextSiblingElement("layer")) {
        layers_.push_back(std::make_unique<Layer>(*this));
        layers_.back()->readElement(*layer);
    }
    return true;
}

bool Scene::write(std::ostream& stream) const
{
    stream << "<scene" << attribute("id", id_) << attribute("name", name_) << attribute("start", start_)
           << attribute("end", end_) << ">\n";
    for (const auto& layer : layers_)
        layer->writeElement(stream, "layer");
    stream << "</scene>\n";
    return true;
}

} // namespace orb
