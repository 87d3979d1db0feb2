#pragma once

// A DemoSystem in a scratch directory that reads scripts from Data/DemoScript.xml, with an
// operator type of the tests' own ("Probe") that records every call it gets.

#include "DemoSystem.h"
#include "IOperatorFactory.h"
#include "OperatorManager.h"
#include "Operators/IOperator.h"
#include "ScriptValues.h"
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

// Makes operators of one type of the tests' own, by its name.
template <typename Operator>
class OneTypeFactory final : public IOperatorFactory
{
public:
    OneTypeFactory(OperatorManager& manager, std::string name, std::string category)
        : IOperatorFactory(manager), name_(std::move(name)), category_(std::move(category))
    {}

    void listTypes(std::vector<std::string>& types) const override { types.push_back(name_); }
    void listCategories(std::vector<std::string>& categories) const override
    {
        categories.push_back(category_);
    }
    std::unique_ptr<IOperator> create(Scene& scene, const TiXmlElement& element) override
    {
        if (textAttribute(element, "name") != name_)
            return nullptr;
        auto made =
            std::make_unique<Operator>(scene, static_cast<std::uint32_t>(intAttribute(element, "id")));
        made->readElement(element);
        return made;
    }

private:
    std::string name_, category_;
};

class ScriptTest : public LoggedTest
{
protected:
    ScriptTest() { resetDemo(); }

    // A fresh DemoSystem on the same directory, with the Probe type.
    void resetDemo();
    // Lets scripts name `Operator` as `name`, after the types the demo knows.
    template <typename Operator>
    void addOperatorType(const std::string& name, const std::string& category)
    {
        demo_->operatorManager()->factory().addDelegate(
            std::make_unique<OneTypeFactory<Operator>>(*demo_->operatorManager(), name, category));
    }
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
