#pragma once

// IdTable -- objects held under numeric ids: the scene table and the two managers' tables.
//
// Does: the id rule. AnyId takes the lowest free slot (appending one when none is free); a
//       larger id than the table holds grows it to id + 1 slots; an occupied id is refused
//       ("occupied <kind> id '<id>'"). Ids above MaxId are refused ("invalid <kind> id '<id>'")
//       so that a hostile script cannot make the table allocate billions of slots.
// Does not: own the objects (slots are emptied by remove(), never deleted), or log: it words
//       the refusals, and the class that keeps the table logs them as its own.
//
//   IdTable<Scene> scenes("scene");
//   if (!scenes.add(&scene, id))
//       ORB_ERROR(scenes.refusal(id));
//   if (!scenes.remove(id))
//       ORB_ERROR(scenes.invalidId(id));

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb {

template <class T>
class IdTable
{
public:
    static constexpr std::uint32_t AnyId = 0xFFFFFFFF;
    static constexpr std::uint32_t MaxId = 65535;

    // `kind` names the objects in messages: "scene", "operator", "resource".
    explicit IdTable(const char* kind) : kind_(kind) {}

    std::optional<std::uint32_t> add(T* object, std::uint32_t requested)
    {
        const std::optional<std::uint32_t> id = allocate(requested);
        if (id)
            slots_[*id] = object;
        return id;
    }

    // add, and tell the object the id it got.
    bool enter(T* object, std::uint32_t requested)
    {
        const std::optional<std::uint32_t> id = add(object, requested);
        if (id)
            object->setId(*id);
        return id.has_value();
    }

    // False when the id names no object.
    bool remove(std::uint32_t id)
    {
        if (find(id) == nullptr)
            return false;
        slots_[id] = nullptr;
        return true;
    }

    // Why add() refused `requested`, as the log says it.
    std::string refusal(std::uint32_t requested) const
    {
        if (requested != AnyId && requested <= MaxId && find(requested) != nullptr)
            return "occupied " + std::string(kind_) + " id '" + std::to_string(requested) + "'";
        return invalidId(requested);
    }

    std::string invalidId(std::uint32_t id) const
    {
        return "invalid " + std::string(kind_) + " id '" + std::to_string(id) + "'";
    }

    // Null, silently, when the id names no object.
    T* find(std::uint32_t id) const { return id < slots_.size() ? slots_[id] : nullptr; }

    // The first object at `cursor` or above; moves the cursor past it. Null when none is left.
    T* next(std::uint32_t& cursor) const
    {
        for (; cursor < slots_.size(); ++cursor) {
            if (slots_[cursor] != nullptr)
                return slots_[cursor++];
        }
        return nullptr;
    }

    std::uint32_t count() const
    {
        std::uint32_t occupied = 0;
        for (T* object : slots_)
            occupied += object != nullptr ? 1 : 0;
        return occupied;
    }

    std::size_t size() const { return slots_.size(); }

private:
    std::optional<std::uint32_t> allocate(std::uint32_t requested)
    {
        if (requested == AnyId) {
            for (std::uint32_t id = 0; id < slots_.size(); ++id) {
                if (slots_[id] == nullptr)
                    return id;
            }
            if (slots_.size() > MaxId)
                return std::nullopt;
            slots_.push_back(nullptr);
            return static_cast<std::uint32_t>(slots_.size() - 1);
        }
        if (requested > MaxId || find(requested) != nullptr)
            return std::nullopt;
        if (requested >= slots_.size())
            slots_.resize(std::size_t{requested} + 1, nullptr);
        return requested;
    }

    const char* kind_;
    std::vector<T*> slots_;
};

} // namespace orb
