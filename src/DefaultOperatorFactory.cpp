#include "DefaultOperatorFactory.h"

#include "Operators/IOperator.h"
#include "Operators/Scene10Operator.h"
#include "Operators/Scene1Operator.h"
#include "Operators/Scene2Operator.h"
#include "Operators/Scene3Operator.h"
#include "Operators/Scene4Operator.h"
#include "Operators/Scene5Operator.h"
#include "Operators/Scene6Operator.h"
#include "Operators/Scene7Operator.h"
#include "Operators/Scene8Operator.h"
#include "Operators/Scene9Operator.h"
#include "Operators/UtilityOperators.h"
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

const OperatorType OperatorTypes[] = {
    {"SetRenderTarget", "Screen", make<SetRenderTargetOperator>},
    {"ClearTarget", "Screen", make<ClearTargetOperator>},
    {"Sound", "Sound", make<SoundOperator>},
    {"Scene1", "Screen", make<Scene1Operator>},
    {"Scene2", "Screen", make<Scene2Operator>},
    {"Scene3", "Screen", make<Scene3Operator>},
    {"Scene4", "Screen", make<Scene4Operator>},
    {"Scene5", "Screen", make<Scene5Operator>},
    {"Scene6", "Screen", make<Scene6Operator>},
    {"Scene7", "Screen", make<Scene7Operator>},
    {"Scene8", "Screen", make<Scene8Operator>},
    {"Scene9", "Screen", make<Scene9Operator>},
    {"Scene10", "Screen", make<Scene10Operator>},
};

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
