#pragma once

// Correlation -- where a piece of sound lies in a longer one: the place of the highest normalised
// correlation, to the sample.
//
//   const Match match = bestMatch(piece, length, heard, first, end);
//   if (match.correlation > 0.9) ... match.at

#include <cstddef>
#include <vector>

namespace orb::sync {

struct Match
{
    std::size_t at = 0;        // where in the sound the piece begins
    double correlation = -1.0; // normalised, -1 to 1; -1 when no place was looked at
};

// The best place for `piece` (`length` samples) among the places [first, end) of `sound` where it
// fits whole. A place far quieter than the piece is never its match: the sliding energy's rounding
// would make its correlation meaningless.
Match bestMatch(const float* piece, std::size_t length, const std::vector<float>& sound, std::size_t first,
                std::size_t end);

} // namespace orb::sync
