#include "OperatorManager.h"

#include "LogFile.h"
#include "Operators/IOperator.h"
#include "ScriptValues.h"

namespace orb {

OperatorManager::OperatorManager(DemoSystem& owner)
    : owner_(owner), factory_(std::make_unique<DefaultOperatorFactory>(*this))
{}

OperatorManager::~OperatorManager()
{
    ORB_INFO("OperatorManager Shutdown ...");
    std::uint32_t cursor = 0;
    while (const IOperator* op = table_.next(cursor))
        unregisterOperator(op->id());
    ORB_INFO("OperatorManager Shutdown Done");
    for (const auto& op : operators_)
        op->detach();
}

bool OperatorManager::registerOperator(IOperator* op, std::uint32_t requestedId)
{
    return table_.enter(op, requestedId);
}

void OperatorManager::unregisterOperator(std::uint32_t id)
{
    table_.remove(id);
}

IOperator* OperatorManager::createOperator(Scene& scene, const TiXmlElement& element)
{
    std::unique_ptr<IOperator> made = factory_->create(scene, element);
    if (!made) {
        ORB_ERROR("failed to create operator: " << textAttribute(element, "name"));
        return nullptr;
    }
    operators_.push_back(std::move(made));
    return operators_.back().get();
}

} // namespace orb
