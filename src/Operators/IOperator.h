#pragma once

// IOperator -- the unit of work on the timeline.
//
// Registers itself with the OperatorManager under the id it asks for. Every frame its parent
// calls process(time, seek), which is the same for all operators: make sure it is initialised
// (logging "<Type>Operator::init failed" and stopping when it cannot be), stop when inactive,
// do the operator's own work, then run the children with time - start.
//
//   class ClearTargetOperator final : public IOperator {
//       const char* typeName() const override { return "ClearTarget"; }
//       bool initialize() override { return true; }
//       void work(float time, bool seek) override { ... }
//   };

#include "ITimeLineElement.h"

#include <cstdint>

namespace orb {

class DemoSystem;
class OperatorManager;

class IOperator : public ITimeLineElement
{
public:
    IOperator(Scene& scene, std::uint32_t requestedId);
    ~IOperator() override;

    bool readSettings(const TiXmlElement&) override { return true; }
    bool writeSettings(std::ostream&) const override { return true; }
    void process(float time, bool seek) final;

    virtual const char* typeName() const = 0;
    virtual const char* category() const { return "Screen"; }

    // Creates what the operator needs, once; true at once when that was done before.
    bool init();
    // Called once the fonts exist, before the first frame: draws whatever text the operator will
    // show, so that its glyphs are made now rather than in a frame. Nothing by default.
    virtual void prepareText() {}

    std::uint32_t id() const { return id_; }
    void setId(std::uint32_t id) { id_ = id; }
    bool initialised() const { return initialised_; }
    DemoSystem& demo() const;

    // The manager is going away with the whole demo: leave it without a word.
    void detach() { manager_ = nullptr; }

protected:
    virtual bool initialize() = 0;
    virtual void work(float time, bool seek) = 0;

private:
    OperatorManager* manager_;
    std::uint32_t id_ = 0xFFFFFFFF;
    bool initialised_ = false;
};

} // namespace orb
