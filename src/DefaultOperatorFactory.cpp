#include "DefaultOperatorFactory.h"

#include "Operators/IOperator.h"
#include "Operators/UtilityOperators.h"
#include "ProductionScenes.h"
#include "ScriptValues.h"

namespace orb {

namespace {

using Maker = std::unique_ptr<IOperator> (*)(Scene& scene, std::uint32_t id);

struct OperatorType
{
    const char* name;
    const char* category;
    Maker make;
};

template <typename Operator>
std::unique_ptr<IOperator> make(Scene& scene, std::uint32_t id)
{
    return std::make_unique<Operator>(scene, id);
}

// The production's scenes come last, a row each, in the script's order. A row a line, which the
// formatter cannot see through the macro.
#define ORB_SCENE_TYPE(Name) {#Name, "Screen", make<Name##Operator>},
// clang-format off
const OperatorType OperatorTypes[] = {
    {"SetRenderTarget", "Screen", make<SetRenderTargetOperator>},
    {"ClearTarget", "Screen", make<ClearTargetOperator>},
    {"Sound", "Sound", make<SoundOperator>},
    ORB_PRODUCTION_SCENES(ORB_SCENE_TYPE)
};
// clang-format on
#undef ORB_SCENE_TYPE

} // namespace

void DefaultOperatorFactory::listTypes(std::vector<std::string>& types) const
{
    for (const OperatorType& type : OperatorTypes)
        types.emplace_back(type.name);
    IOperatorFactory::listTypes(types);
}

void DefaultOperatorFactory::listCategories(std::vector<std::string>& categories) const
{
    for (const OperatorType& type : OperatorTypes)
        categories.emplace_back(type.category);
    IOperatorFactory::listCategories(categories);
}

std::unique_ptr<IOperator> DefaultOperatorFactory::create(Scene& scene, const TiXmlElement& element)
{
    const std::string name = textAttribute(element, "name");
    for (const OperatorType& type : OperatorTypes) {
        if (name == type.name) {
            std::unique_ptr<IOperator> made =
                type.make(scene, static_cast<std::uint32_t>(intAttribute(element, "id")));
            made->readElement(element);
            return made;
        }
    }
    return IOperatorFactory::create(scene, element);
}

} // namespace orb
