#pragma once

// SceneOperator -- what every scene effect shares: loading its effect and images, and the frame
// around its drawing.
//
// A frame: clear the bound target to the scene's colour (depth 1, stencil 0), capture every
// device state in a state block, let the scene draw (ending with postProcess), apply the block
// so that nothing the scene set survives it. Children then run as for every operator.
//
//   class Scene3Operator final : public SceneOperator {
//       bool load() override { return loadEffect("Data\\Scene3.fx", effect_) && ...; }
//       void draw(const FrameTime& t) override { ... graphics().postProcess(look(t)); }
//   };

#include "GraphicSystem.h"
#include "Operators/IOperator.h"
#include "platform/fx/Effect.h"
#include "platform/gfx/Device.h"

#include <memory>

namespace orb {

struct Picture;

// The times a scene draws from: received (t), local (e = t - start), the operator's span.
struct FrameTime
{
    float received;
    float local;
    float duration;
    float start;
    float end;
};

class SceneOperator : public IOperator
{
public:
    using IOperator::IOperator;

    // The effect the scene draws with, holding the values of the last frame drawn; null before
    // init, or for a scene drawn without one.
    virtual const fx::Effect* effect() const { return nullptr; }

protected:
    // Loads what the scene needs; false (after logging) when a file is missing or unusable.
    virtual bool load() = 0;
    virtual void draw(const FrameTime& time) = 0;
    virtual gfx::Color clearColor() const { return 0; }
    // Draws one frame of the middle of the scene while loading, never shown: a software
    // rasteriser compiles the code for each new combination of draw states at its first draw,
    // which would otherwise stall the scene's first frame on screen. A scene that keeps state
    // from frame to frame restores it afterwards.
    virtual void rehearse();

    // The scene's effect file (GraphicSystem::createEffect); false when it is missing or broken.
    bool loadEffect(const char* fileName, std::unique_ptr<fx::Effect>& effect);
    // A 1280 x 720 image and the parts of it that show; false when the file is missing, while an
    // undecodable one leaves the texture null and the scene draws untextured.
    bool loadScreenImage(const char* fileName, Picture& picture);

    GraphicSystem& graphics() const;
    gfx::Device& device() const { return *graphics().device(); }

private:
    bool initialize() final;
    void work(float time, bool seek) final;

    std::unique_ptr<gfx::StateBlock> saved_; // the states around a frame, kept: a frame allocates nothing
};

} // namespace orb
