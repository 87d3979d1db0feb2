#pragma once

// IOperatorFactory -- creates operators from script elements by type name. A factory asks its
// delegates, in order, for any type it does not create itself.

#include <memory>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace orb {

class IOperator;
class OperatorManager;
class Scene;

class IOperatorFactory
{
public:
    explicit IOperatorFactory(OperatorManager& manager) : manager_(manager) {}
    virtual ~IOperatorFactory() = default;
    IOperatorFactory(const IOperatorFactory&) = delete;
    IOperatorFactory& operator=(const IOperatorFactory&) = delete;

    // Append this factory's types (or their categories, in the same order), then the delegates'.
    virtual void listTypes(std::vector<std::string>& types) const;
    virtual void listCategories(std::vector<std::string>& categories) const;
    // Constructs (and so registers) the operator and reads its element; null when no factory knows it.
    virtual std::unique_ptr<IOperator> create(Scene& scene, const TiXmlElement& element);

    void addDelegate(std::unique_ptr<IOperatorFactory> delegate)
    {
        delegates_.push_back(std::move(delegate));
    }

protected:
    OperatorManager& manager_;

private:
    std::vector<std::unique_ptr<IOperatorFactory>> delegates_;
};

} // namespace orb
