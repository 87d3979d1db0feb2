#pragma once

// ShaderProgram -- a linked GLSL 4.50 program the device draws with.
//
// The device's fixed stages are ShaderPrograms, and so are the effect framework's passes. A
// program that declares the fixed vertex stage's uniforms (orb_WorldViewProjection, a row-major
// mat4, and orb_ViewportSize, the bound target's size in pixels) gets them from the device's
// transforms before every draw that needs them.
//
//   std::string log;
//   auto program = device.linkProgram(vertexSource, fragmentSource, &log);   // null + log
//
// Every vertex stage also writes the draw's instance number as `flat out int orb_vInstance`, for
// fragment stages that read per-instance values.
//
// ProgramSource -- what the effect framework hands the device while a pass is active: the
// program to draw with for the current vertex format. Without one the fixed stages draw. A source
// may also let the device gather consecutive mesh draws that differ only in its values and draw
// them as one instanced draw (see docs/graphics-device.md).

#include <cstdint>
#include <epoxy/gl.h>
#include <memory>
#include <string>
#include <vector>

namespace orb::gfx {

class ShaderProgram
{
public:
    // `contextLifetime` expires with the GL context; afterwards the program is not deleted.
    static std::unique_ptr<ShaderProgram> link(const std::string& vertexSource,
                                               const std::string& fragmentSource, std::string* log,
                                               std::weak_ptr<const void> contextLifetime);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    GLuint name() const { return name_; }
    GLint uniformLocation(const char* name) const { return glGetUniformLocation(name_, name); }

private:
    friend class Device;
    ShaderProgram(GLuint name, std::weak_ptr<const void> contextLifetime);

    GLuint name_;
    std::weak_ptr<const void> contextLifetime_;
    GLint worldViewProjection_;
    GLint viewportSize_;
    std::uint64_t transformsSeen_ = 0; // the device's transform generation last uploaded
};

class ProgramSource
{
public:
    virtual ~ProgramSource() = default;
    // Null when no program can draw this vertex format; the draw is then skipped.
    virtual ShaderProgram* programFor(std::uint32_t fvf) = 0;

    // Appends the values a draw would use now; false when the source's draws cannot be gathered.
    virtual bool captureValues(std::vector<float>&) { return false; }
    // The program drawing with one set of captured values (as programFor, values aside).
    virtual ShaderProgram* programWithValues(std::uint32_t, const float*) { return nullptr; }
    // The program drawing `count` instances whose captured values follow one another in
    // `values`; what differs between them goes into `perInstance`, laid out for the program's
    // storage block at binding 0. Null when the source has no such program.
    virtual ShaderProgram* instancedProgram(std::uint32_t, const std::vector<float>&, std::size_t,
                                            std::vector<float>&)
    {
        return nullptr;
    }
};

} // namespace orb::gfx
