#pragma once

// The operators that do not draw a scene: clearing the bound target, binding the back buffer
// again, and starting a sound.

#include "Operators/IOperator.h"
#include "Renderer/RenderTarget.h"

#include <memory>

namespace orb {

class SoundResource;

// Clears the bound target to opaque white with depth 0 and stencil 0, whatever the script says.
class ClearTargetOperator final : public IOperator
{
public:
    using IOperator::IOperator;
    const char* typeName() const override { return "ClearTarget"; }

protected:
    bool initialize() override { return true; }
    void work(float time, bool seek) override;

private:
    std::uint32_t flags_ = 7;
    std::uint32_t color_ = 0xFFFFFFFF;
    float z_ = 0.0f;
    std::uint32_t stencil_ = 0;
};

// Binds the back buffer's colour surface at target slot `targetIndex` and its depth surface.
class SetRenderTargetOperator final : public IOperator
{
public:
    using IOperator::IOperator;
    const char* typeName() const override { return "SetRenderTarget"; }

protected:
    bool initialize() override;
    void work(float time, bool seek) override;

private:
    int renderTargetId_ = -1;
    std::uint32_t targetIndex_ = 0;
    std::unique_ptr<RenderTarget> target_;
};

// Starts its stream from the beginning the first time it runs, once per program run. An
// element's "attributes" name nothing it uses, so no script can choose the stream: the id
// stays -1 and play fails with the sound system's message.
class SoundOperator final : public IOperator
{
public:
    using IOperator::IOperator;
    const char* typeName() const override { return "Sound"; }
    const char* category() const override { return "Sound"; }

protected:
    bool initialize() override;
    void work(float time, bool seek) override;

private:
    std::int64_t soundId_ = -1; // a resource id until init, then its stream handle
    bool played_ = false;
    SoundResource* resource_ = nullptr;
};

} // namespace orb
