#pragma once

// DefaultOperatorFactory -- the built-in operator types, compared exactly with an element's
// "name": SetRenderTarget, ClearTarget, Sound, then the production's scenes as its script names
// them (ProductionScenes.h, made by the build).

#include "IOperatorFactory.h"

namespace orb {

class DefaultOperatorFactory final : public IOperatorFactory
{
public:
    using IOperatorFactory::IOperatorFactory;

    void listTypes(std::vector<std::string>& types) const override;
    void listCategories(std::vector<std::string>& categories) const override;
    std::unique_ptr<IOperator> create(Scene& scene, const TiXmlElement& element) override;
};

} // namespace orb
