#pragma once

// OperatorManager -- the operators the demo script creates, under their ids.
//
// This build creates no operators yet; the manager only takes part in the shutdown order.

namespace orb {

class DemoSystem;

class OperatorManager
{
public:
    explicit OperatorManager(DemoSystem& owner) : owner_(owner) {}
    ~OperatorManager();
    OperatorManager(const OperatorManager&) = delete;
    OperatorManager& operator=(const OperatorManager&) = delete;

private:
    [[maybe_unused]] DemoSystem& owner_;
};

} // namespace orb
