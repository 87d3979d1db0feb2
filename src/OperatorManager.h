#pragma once

// OperatorManager -- every operator the script creates, under its id, and the factory that
// creates them by type name. The manager keeps the operators alive until the demo ends.
//
//   IOperator* made = operators.createOperator(scene, xml);   // null + "failed to create operator: "
//   std::uint32_t cursor = 0;
//   while (IOperator* op = operators.nextOperator(cursor)) op->init();

#include "DefaultOperatorFactory.h"
#include "IdTable.h"

#include <cstdint>
#include <memory>
#include <tinyxml.h>
#include <vector>

namespace orb {

class DemoSystem;
class IOperator;
class Scene;

class OperatorManager
{
public:
    explicit OperatorManager(DemoSystem& owner);
    ~OperatorManager();
    OperatorManager(const OperatorManager&) = delete;
    OperatorManager& operator=(const OperatorManager&) = delete;

    bool registerOperator(IOperator* op, std::uint32_t requestedId);
    void unregisterOperator(std::uint32_t id);
    IOperator* createOperator(Scene& scene, const TiXmlElement& element);
    IOperator* nextOperator(std::uint32_t& cursor) const { return table_.next(cursor); }
    std::uint32_t operatorCount() const { return table_.count(); }

    IOperatorFactory& factory() { return *factory_; }
    DemoSystem& owner() const { return owner_; }

private:
    DemoSystem& owner_;
    std::unique_ptr<IOperatorFactory> factory_;
    IdTable<IOperator> table_{"operator"};
    std::vector<std::unique_ptr<IOperator>> operators_; // every operator made, registered or not
};

} // namespace orb
