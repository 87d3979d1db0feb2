#pragma once

// RenderStats -- how long frames took, per scene operator that drew in them (its first frame apart),
// and the peak memory.

#include "DemoSystem.h"

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace orb::render {

class RenderStats final : public OperatorObserver
{
public:
    void ran(const IOperator& op) override;
    // Files the frame's time under every scene operator that drew in it.
    void endFrame(double milliseconds);
    void report(std::ostream& stream) const;

private:
    std::set<std::string> drawing_;
    std::map<std::string, std::vector<double>> times_;
};

} // namespace orb::render
