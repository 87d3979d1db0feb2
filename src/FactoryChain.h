#pragma once

// FactoryChain -- what every factory shares: the manager it makes objects for, and further
// factories it asks, in order, for any type it does not make itself. A factory interface
// derives from it with itself as `Factory`.

#include <memory>
#include <string>
#include <vector>

namespace orb {

template <typename Factory, typename Manager, typename Product, typename... Arguments>
class FactoryChain
{
public:
    explicit FactoryChain(Manager& manager) : manager_(manager) {}
    virtual ~FactoryChain() = default;
    FactoryChain(const FactoryChain&) = delete;
    FactoryChain& operator=(const FactoryChain&) = delete;

    // Append this factory's types (or their categories, in the same order), then the delegates'.
    virtual void listTypes(std::vector<std::string>& types) const
    {
        for (const auto& delegate : delegates_)
            delegate->listTypes(types);
    }
    virtual void listCategories(std::vector<std::string>& categories) const
    {
        for (const auto& delegate : delegates_)
            delegate->listCategories(categories);
    }
    // Constructs (and so registers) the object and reads its element; null when no factory knows it.
    virtual std::unique_ptr<Product> create(Arguments... arguments)
    {
        for (const auto& delegate : delegates_) {
            if (std::unique_ptr<Product> made = delegate->create(arguments...))
                return made;
        }
        return nullptr;
    }

    void addDelegate(std::unique_ptr<Factory> delegate) { delegates_.push_back(std::move(delegate)); }

protected:
    Manager& manager_;

private:
    std::vector<std::unique_ptr<Factory>> delegates_;
};

} // namespace orb
