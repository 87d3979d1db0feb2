#pragma once

// IOperatorFactory -- creates operators from script elements by their "name" (the type name).

#include "FactoryChain.h"
// Complete: the chain's create() passes operators on in unique_ptrs.
#include "Operators/IOperator.h"

#include <tinyxml.h>

namespace orb {

class OperatorManager;
class Scene;

class IOperatorFactory
    : public FactoryChain<IOperatorFactory, OperatorManager, IOperator, Scene&, const TiXmlElement&>
{
public:
    using FactoryChain::FactoryChain;
};

} // namespace orb
