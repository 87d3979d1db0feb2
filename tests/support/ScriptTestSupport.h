#pragma once

// A DemoSystem in a scratch directory that reads scripts from Data/DemoScript.xml, with an
// operator type of the tests' own ("Probe") that records every call it gets.

#include "DemoSystem.h"
#include "Operators/IOperator.h"
#include "TestSupport.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orb::test {

// The ids of probes in the order they worked, across all probes.
inline std::vector<std::uint32_t> probeJournal;

class ProbeOperator final : public IOperator
{
public:
    using IOperator::IOperator;
    const char* typeName() const override { return "Probe"; }
    bool readSettings(const TiXmlElement& element) override
    {
        failInit = element.Attribute("failInit") != nullptr;
        return true;
    }

    std::vector<std::pair<float, bool>> calls; // (time, seek) of every frame it worked
    int initCalls = 0;
    bool failInit = false;

protected:
    bool initialize() override
    {
        ++initCalls;
        return !failInit;
    }
    void work(float time, bool seek) override
    {
        calls.emplace_back(time, seek);
        probeJournal.push_back(id());
    }
};

class ScriptTest : public LoggedTest
{
protected:
    ScriptTest() { resetDemo(); }

    // A fresh DemoSystem on the same directory, with the Probe type.
    void resetDemo();
    // Writes the script and reads it as the demo's start-up does; false when the load failed.
    bool load(const std::string& script);
    // load, then create the resources and scenes as loading does.
    bool loadDemo(const std::string& script);
    ProbeOperator* probe(std::uint32_t id) const;
    std::string written() const;

    win::SteppedCounter counter_{1000};
    std::unique_ptr<DemoSystem> demo_;
};

} // namespace orb::test
