#include "Operators/IOperator.h"

#include "DemoSystem.h"
#include "LogFile.h"

namespace orb {

IOperator::IOperator(Scene& scene, std::uint32_t requestedId)
    : ITimeLineElement(scene), manager_(scene.owner().operatorManager())
{
    manager_->registerOperator(this, requestedId);
}

IOperator::~IOperator()
{
    if (manager_ != nullptr)
        manager_->unregisterOperator(id_);
}

DemoSystem& IOperator::demo() const
{
    return owner().owner();
}

bool IOperator::init()
{
    if (!initialised_)
        initialised_ = initialize();
    return initialised_;
}

void IOperator::process(float time, bool seek)
{
    if (!init()) {
        ORB_ERROR(typeName() << "Operator::init failed");
        return;
    }
    if (!isActive(time))
        return;
    work(time, seek);
    if (OperatorObserver* observer = demo().operatorObserver())
        observer->ran(*this);
    processChildren(time - start(), seek);
}

} // namespace orb
