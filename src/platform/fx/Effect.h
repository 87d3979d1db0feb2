#pragma once

// Effect -- GLSL programs with named parameters and per-pass render states.
//
// Does: compile an effect file from memory (format in docs/effects.md), find parameters (the
//       uniforms of its passes: floats, vec2 to vec4 and mat4) by name, set them by value or as
//       matrices, apply a pass's render states at beginPass and restore at end() every state its
//       passes change. Samplers read the texture stage of their binding.
// Does not: pick techniques (there is one), own textures, or touch the window.
//
//   auto effect = Effect::create(device, bytes, size, &log);   // null + log text on failure
//   effect->begin();  effect->beginPass(0);
//   effect->setValue(effect->parameterByName("a"), &a, Effect::DeclaredSize);
//   effect->commitChanges();
//   device.drawPrimitiveUP(PrimitiveType::TriangleList, 1, vertices, sizeof vertices[0]);
//   effect->endPass(); effect->end();

#include "platform/fx/EffectFile.h"
#include "platform/gfx/Device.h"

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orb::fx {

class Effect final : public gfx::ProgramSource
{
public:
    struct Parameter;

    // As D3DX_DEFAULT for a byte count: the parameter's own size.
    static constexpr std::size_t DeclaredSize = static_cast<std::size_t>(-1);

    static std::unique_ptr<Effect> create(gfx::Device& device, const char* text, std::size_t size,
                                          std::string* log);
    ~Effect() override;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Compiles `text` in place of the effect's own, outside begin() and end(); parameters that
    // keep their name and size keep their values. False, with the compiler's text in `log` and
    // the effect as it was, when the text does not compile.
    bool reload(const char* text, std::size_t size, std::string* log);

    // Expires when the effect is destroyed, for whoever keeps a note of it without owning it.
    std::weak_ptr<const void> lifetime() const { return lifetime_; }
    // What its passes are called when the device times passes: "<name> pass <n>".
    void setName(std::string name) { name_ = std::move(name); }
    const std::string& name() const { return name_; }

    // Null when no pass uses a parameter of that name.
    const Parameter* parameterByName(const char* name) const;
    // Every parameter in turn, as D3DX's GetParameter(NULL, index): null past the last.
    const Parameter* parameter(unsigned index) const;
    struct ParameterDescription
    {
        std::string_view name;
        std::size_t floats; // 1 to 4, or 16 for a matrix
    };
    static ParameterDescription describe(const Parameter& parameter);
    // Copies min(bytes, declared size) bytes of floats; a mat4 is row-major as Direct3D's.
    // Takes effect at the next commitChanges or beginPass.
    bool setValue(const Parameter* parameter, const void* data, std::size_t bytes);
    // Copies min(bytes, declared size) bytes of the value last set, as D3DX's GetValue.
    bool getValue(const Parameter* parameter, void* data, std::size_t bytes) const;
    bool setMatrix(const Parameter* parameter, const gfx::Matrix& matrix);

    // Saves the device states the passes change; returns the number of passes.
    unsigned begin();
    unsigned passCount() const { return static_cast<unsigned>(source_.passes.size()); }
    bool beginPass(unsigned pass);
    // Makes values set since the last commit reach the next draws.
    void commitChanges();
    void endPass();
    void end();

    gfx::ShaderProgram* programFor(std::uint32_t fvf) override;
    // Links the pass for a vertex format now rather than at its first draw; false when it
    // cannot draw that format.
    bool prepare(unsigned pass, std::uint32_t fvf);
    // Mesh draws of a pass with its own vertex stage may be gathered: the values captured are
    // every parameter's committed floats, one parameter after another.
    bool captureValues(std::vector<float>& values) override;
    gfx::ShaderProgram* programWithValues(std::uint32_t fvf, const float* values) override;
    gfx::ShaderProgram* instancedProgram(std::uint32_t fvf, const std::vector<float>& values,
                                         std::size_t count, std::vector<float>& perInstance) override;

private:
    struct LinkedPass
    {
        std::unique_ptr<gfx::ShaderProgram> program; // null for an instanced variant that failed
        std::vector<GLint> locations;                // per parameter, -1 where the program lacks it
        std::uint64_t uploaded = 0;                  // the commit generation it holds
    };

    Effect(gfx::Device& device, EffectSource source);
    LinkedPass* link(unsigned pass, std::uint32_t fvf, std::string* log);
    void collectParameters(const gfx::ShaderProgram& program);
    void upload(LinkedPass& linked) const;
    // Sets the program's parameters from captured values, but for those in `skipped` (a bit per
    // parameter).
    void uploadValues(const LinkedPass& linked, const float* values, std::uint64_t skipped) const;
    LinkedPass* instancedPass(unsigned pass, std::uint64_t perInstance);

    gfx::Device& device_;
    std::weak_ptr<const void> deviceLifetime_;
    EffectSource source_;
    std::vector<std::unique_ptr<Parameter>> parameters_;
    std::map<std::pair<unsigned, std::uint32_t>, LinkedPass> programs_;
    std::map<std::pair<unsigned, std::uint64_t>, LinkedPass> instancedPrograms_; // by pass and bits
    std::optional<unsigned> currentPass_;
    std::vector<std::pair<gfx::RenderState, std::uint32_t>> savedStates_;
    std::uint64_t commits_ = 1;
    std::string name_ = "effect";
    std::string passLabel_;
    std::shared_ptr<const void> lifetime_ = std::make_shared<char>();
};

} // namespace orb::fx
