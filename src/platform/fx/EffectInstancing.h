#pragma once

// EffectInstancing -- the sources of an effect pass that reads some of its parameters per
// instance: those parameters' uniform declarations are taken out, and their names read the
// instance's entry of a storage block at binding 0 instead (see docs/graphics-device.md).
//
//   auto sources = instancedSources(effect, 0, {{"world", 16}, {"diffuse", 4}});
//   // sources->vertex, sources->fragment: ready to link; null when a declaration is not of
//   // the plain form "uniform <type> <name>;".

#include "platform/fx/EffectFile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orb::fx {

struct InstancedParameter
{
    std::string name;
    std::size_t floats; // 1 to 4, or 16 for a matrix
};

struct InstancedSources
{
    std::string vertex;
    std::string fragment;
};

// For a pass with a vertex stage of its own.
std::optional<InstancedSources> instancedSources(const EffectSource& effect, unsigned pass,
                                                 const std::vector<InstancedParameter>& perInstance);

// Floats an instance takes in the storage block: 16 for a matrix, 4 for anything smaller.
std::size_t instanceSlot(std::size_t floats);

} // namespace orb::fx
