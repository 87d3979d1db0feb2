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
    if (table_.enter(op, requestedId))
        return true;
    ORB_ERROR(table_.refusal(requestedId));
    return false;
}

void OperatorManager::unregisterOperator(std::uint32_t id)
{
    if (!table_.remove(id))
        ORB_ERROR(table_.invalidId(id));
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
