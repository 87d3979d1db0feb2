#pragma once

// IdTable -- objects held under numeric ids: the scene table and the two managers' tables.
//
// Does: the id rule. AnyId takes the lowest free slot (appending one when none is free); a
//       larger id than the table holds grows it to id + 1 slots; an occupied id is refused with
//       "occupied <kind> id '<id>'". Ids above MaxId are refused with "invalid <kind> id '<id>'"
//       so that a hostile script cannot make the table allocate billions of slots.
// Does not: own the objects. Slots are emptied by remove(), never deleted.
//
//   IdTable<Scene> scenes("scene");
//   std::optional<std::uint32_t> id = scenes.add(&scene, IdTable<Scene>::AnyId);
//   scenes.remove(*id);

#include "LogFile.h"

#include <cstdint>
#include <optional>
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

    // Logs "invalid <kind> id" when the id names no object.
    bool remove(std::uint32_t id)
    {
        if (find(id) == nullptr) {
            ORB_ERROR("invalid " << kind_ << " id '" << id << "'");
            return false;
        }
        slots_[id] = nullptr;
        return true;
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
            if (slots_.size() > MaxId) {
                ORB_ERROR("invalid " << kind_ << " id '" << requested << "'");
                return std::nullopt;
            }
            slots_.push_back(nullptr);
            return static_cast<std::uint32_t>(slots_.size() - 1);
        }
        if (requested > MaxId) {
            ORB_ERROR("invalid " << kind_ << " id '" << requested << "'");
            return std::nullopt;
        }
        if (requested >= slots_.size())
            slots_.resize(std::size_t{requested} + 1, nullptr);
        else if (slots_[requested] != nullptr) {
            ORB_ERROR("occupied " << kind_ << " id '" << requested << "'");
            return std::nullopt;
        }
        return requested;
    }

    const char* kind_;
    std::vector<T*> slots_;
};

} // namespace orb
