#pragma once

// Device -- Direct3D 9's device, over OpenGL 4.5 core.
//
// Does: clear; render states, sampler states, textures per stage, transforms and the vertex
//       format (FVF), all with Direct3D's numeric codes and defaults; draws from user memory
//       through fixed stages (world x view x projection, vertex colour, stage 0 modulated as
//       Direct3D does) or through a program the effect framework provides; state blocks;
//       render targets 0 to 3 and a depth-stencil surface; stretch-rect; textures and volume
//       textures; a back buffer (multisampled when asked) with its automatic depth buffer.
// Does not: light (the LIGHTING state is kept, not emulated), use texture-stage states, or
//       report errors of per-frame calls. Creation calls return null with a reason.
//
// Coordinates are Direct3D's: every target, the back buffer included, is a GL framebuffer
// whose row 0 is the top of the image; v = 0 is the top row of a texture; pre-transformed
// (XYZRHW) vertices are in pixels with pixel centres on whole numbers.
//
//   auto device = Device::create(createOffscreenBackend(&error), {1280, 720, 0}, &error);
//   device->clear(ClearFlag::Target | ClearFlag::ZBuffer, argb(255, 0, 0, 0), 1.0f, 0);
//   device->setFvf(Fvf::XyzRhw | Fvf::Tex1);
//   device->drawPrimitiveUP(PrimitiveType::TriangleList, 1, vertices, 24);
//   device->present();

#include "platform/gfx/Backend.h"
#include "platform/gfx/Codes.h"
#include "platform/gfx/DeviceState.h"
#include "platform/gfx/PassTimer.h"
#include "platform/gfx/ShaderProgram.h"
#include "platform/gfx/Texture.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <epoxy/gl.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace orb::gfx {

class FixedStages;
class StateBlock;
class VertexStream;

// Geometry -- vertices of one format and triangle indices kept in GL buffers, for meshes.
class Geometry
{
public:
    ~Geometry();
    Geometry(const Geometry&) = delete;
    Geometry& operator=(const Geometry&) = delete;

    std::uint32_t fvf() const { return fvf_; }

private:
    friend class Device;
    Geometry(Device& device, std::uint32_t fvf, std::uint32_t stride);

    Device& device_;
    std::weak_ptr<const void> deviceLifetime_;
    std::uint32_t fvf_;
    std::uint32_t stride_;
    GLuint vertexBuffer_ = 0;
    GLuint indexBuffer_ = 0;
    std::uint32_t indexCount_ = 0;
};

struct PresentParameters
{
    int width = 640;
    int height = 480;
    int multisampleType = 0; // Direct3D multisample type: 0 none, 1 non-maskable, 2 to 16 samples
};

class Device
{
public:
    static std::unique_ptr<Device> create(std::unique_ptr<Backend> backend,
                                          const PresentParameters& parameters, std::string* error);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Frame
    void beginScene() {}
    void endScene() {}
    void present();
    // Clears every bound render target and the depth-stencil surface, whatever the write states.
    void clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil);

    // States
    void setRenderState(RenderState state, std::uint32_t value);
    std::uint32_t renderState(RenderState state) const;
    void setSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value);
    std::uint32_t samplerState(std::uint32_t sampler, SamplerState state) const;
    void setTexture(std::uint32_t stage, BaseTexture* texture);
    BaseTexture* texture(std::uint32_t stage) const;
    void setTransform(TransformType type, const Matrix& matrix);
    const Matrix& transform(TransformType type) const;
    void setFvf(std::uint32_t fvf);
    std::uint32_t fvf() const { return state_.fvf; }
    // Where draws may change pixels while ScissorTestEnable is on; setting render target 0 makes it
    // the whole target. Clears and copies ignore it.
    void setScissorRect(const Rect& rect);
    std::unique_ptr<StateBlock> createStateBlock();

    // Drawing
    void drawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                         std::uint32_t stride);
    // Sets the geometry's vertex format, as a mesh's DrawSubset does, and draws triangles
    // `firstTriangle` to `firstTriangle + count - 1` of its index list. Under a program source
    // that allows it, consecutive draws of the same triangles are gathered and made as one
    // instanced draw when anything else happens (see docs/graphics-device.md).
    void drawIndexedTriangles(const Geometry& geometry, std::uint32_t firstTriangle, std::uint32_t count);
    // Makes the draws gathered so far. Every other operation of the device does so first.
    void flushDraws();
    // Returns once the rasteriser has finished everything asked of it so far, for timing.
    void finish();
    // On by default; off, every mesh draw is made at once (to compare, and to measure).
    void setDrawGathering(bool on);
    // What each pass of a frame costs (see PassTimer): off by default, when marking a pass costs a
    // test. Marks nest; gathered mesh draws made at once are a pass of their own, "mesh batch".
    void setPassTiming(bool on);
    PassTimer* passTimer() const { return passTimer_.get(); }
    void beginTimedPass(std::string_view label)
    {
        if (passTimer_) {
            flushDraws();
            passTimer_->begin(label);
        }
    }
    void endTimedPass()
    {
        if (passTimer_) {
            flushDraws();
            passTimer_->end();
        }
    }
    // While on, a draw at a combination of program, target and states that no draw had before
    // counts as Work::NewDrawState. Off by default: it hashes every draw's states.
    void watchDrawStates(bool on) { watchingDrawStates_ = on; }
    // The GL draw calls made so far: an instanced draw of gathered draws counts once.
    std::uint64_t drawCalls() const { return drawCalls_; }
    // While set, draws use the source's program instead of the fixed stages; null ends that.
    void setProgramSource(ProgramSource* source);
    ProgramSource* programSource() const { return programSource_; }

    // Expires when the device is destroyed, so that objects holding on to it can tell.
    std::weak_ptr<const void> lifetime() const { return lifetime_; }

    // Targets
    Surface* backBuffer() const { return backBuffer_.get(); }
    // The back buffer's single-sampled stand-in: the back buffer itself when it has no samples.
    // A draw into it makes it the frame. It draws over the colour the back buffer was last
    // cleared to, if nothing was drawn since; otherwise what it held before is undefined, and the
    // draw must cover every pixel. present() then shows it without resolving; a draw into the
    // back buffer before that first fills the samples from it, a clear of the back buffer's
    // colour does not.
    Surface* resolvedBackBuffer() const
    {
        return backBufferResolve_ ? backBufferResolve_.get() : backBuffer_.get();
    }
    Surface* autoDepthStencil() const { return autoDepthStencil_.get(); }
    // Target 0 cannot be unset (false); targets 1 to 3 can.
    bool setRenderTarget(std::uint32_t index, Surface* surface);
    Surface* renderTarget(std::uint32_t index) const;
    void setDepthStencilSurface(Surface* surface);
    Surface* depthStencilSurface() const { return depthStencil_; }
    // Copies one whole colour surface onto another with linear filtering, resolving multisampling.
    bool stretchRect(Surface* source, Surface* destination);
    // Exchanges what two colour surfaces hold, as a flip of the back buffer does: each keeps its
    // identity (pointers, state blocks, the framebuffers made for it) and takes the other's texels,
    // for nothing. Both must be single-sampled, of one size and format, and each the back buffer or
    // the only level of a texture; false, and nothing exchanged, otherwise.
    bool exchange(Surface* first, Surface* second);
    // A colour surface's pixels as 0xAARRGGBB, top row first; empty for a missing surface.
    std::vector<Color> readPixels(Surface* surface);

    // Resources
    std::unique_ptr<Texture> createTexture(int width, int height, unsigned levels, std::uint32_t usage,
                                           Format format, std::string* error);
    std::unique_ptr<VolumeTexture> createVolumeTexture(int width, int height, int depth, unsigned levels,
                                                       Format format, std::string* error);
    std::unique_ptr<Geometry> createGeometry(std::uint32_t fvf, const void* vertices,
                                             std::uint32_t vertexCount, std::uint32_t stride,
                                             const std::vector<std::uint32_t>& indices, std::string* error);

    Backend& backend() const { return *backend_; }
    int width() const { return backBuffer_->width(); }
    int height() const { return backBuffer_->height(); }

    // A program in the device's GL context; it may outlive the device.
    std::unique_ptr<ShaderProgram> linkProgram(const std::string& vertexSource,
                                               const std::string& fragmentSource, std::string* log) const
    {
        return ShaderProgram::link(vertexSource, fragmentSource, log, lifetime_);
    }

    // The fixed vertex stage for a vertex format, for programs that have no vertex stage of
    // their own. It writes orb_vDiffuse (vec4), orb_vTexCoord (vec2) and orb_vNormal (vec3).
    static std::string fixedVertexStage(std::uint32_t fvf);

private:
    friend class BaseTexture;
    friend class StateBlock;

    using Attachments = std::array<Surface*, 5>; // render targets 0 to 3, depth-stencil

    Device(std::unique_ptr<Backend> backend);
    bool createBackBuffer(const PresentParameters& parameters, std::string* error);

    // Called by textures and state blocks as they die.
    void forget(BaseTexture* texture);
    void forget(StateBlock* block) { stateBlocks_.erase(block); }

    void markAllStatesDirty();
    void flushStates();
    void flushRenderStates();
    void flushSamplers();
    void flushTextures();
    bool bindTargets();
    GLuint framebufferFor(const Attachments& attachments);
    GLuint framebufferOf(Surface* surface)
    {
        return framebufferFor({surface, nullptr, nullptr, nullptr, nullptr});
    }
    // The render target index the surface is bound at; -1 when it is not bound.
    GLint targetIndex(const Surface* surface) const
    {
        const auto found = std::find(renderTargets_.begin(), renderTargets_.end(), surface);
        return found == renderTargets_.end() ? -1 : static_cast<GLint>(found - renderTargets_.begin());
    }
    // At a draw, once its targets are bound: a frame left in the stand-in, or a colour cleared
    // to, goes into the back buffer's samples when the draw is into the back buffer.
    void followFrame();
    // Copies one whole colour surface onto another, scaling and resolving as it must.
    bool blit(Surface* source, Surface* destination, GLenum filter);
    // A single-sampled framebuffer holding the surface's pixels (the back buffer's resolved).
    GLuint resolved(Surface* surface);
    // The surface that holds `surface`'s pixels now: the stand-in for a back buffer whose frame
    // is there or only cleared (the stand-in then takes the colour).
    Surface* holding(Surface* surface);
    ShaderProgram* programForDraw();
    // Binds target, program, states and vertex format for a draw; the vertex array, or 0 when
    // the draw cannot be made.
    GLuint prepareDraw(std::uint32_t stride, ShaderProgram* program);
    // After each draw call: GL tests the scissor only during the draws that ask for it.
    void drawn();
    void drawGeometry(const Geometry& geometry, std::uint32_t firstTriangle, std::uint32_t count,
                      ShaderProgram* program, std::size_t instances);
    void uploadFixedUniforms(ShaderProgram& program);
    GLuint vertexArrayFor(std::uint32_t fvf);
    void noteDrawState(GLuint program, std::uint32_t stride);

    std::unique_ptr<Backend> backend_;
    std::shared_ptr<const void> lifetime_ = std::make_shared<char>();
    DeviceState state_;
    ProgramSource* programSource_ = nullptr;

    std::unique_ptr<Surface> backBuffer_;
    std::unique_ptr<Surface> autoDepthStencil_;
    std::array<Surface*, 4> renderTargets_{};
    Surface* depthStencil_ = nullptr;
    std::map<Attachments, GLuint> framebuffers_;
    // A multisampled back buffer's single-sampled stand-in, and where its frame is: in the
    // samples, in the stand-in (drawn there last), or only a colour it was cleared to, kept until
    // something draws or shows it, so that a frame that ends on a clear resolves nothing.
    std::unique_ptr<Surface> backBufferResolve_;
    enum class FrameIn
    {
        Samples,
        StandIn,
        Colour
    };
    FrameIn frameIn_ = FrameIn::Samples;
    std::array<GLfloat, 4> frameColour_{};

    std::unique_ptr<FixedStages> fixedStages_;
    std::unique_ptr<VertexStream> vertexStream_;
    std::map<std::uint32_t, GLuint> vertexArrays_;
    std::array<GLuint, SamplerCount> samplers_{};

    std::set<BaseTexture*> textures_;
    std::set<StateBlock*> stateBlocks_;

    // Mesh draws gathered for one instanced draw: the same triangles under the same source.
    struct GatheredDraws
    {
        const Geometry* geometry = nullptr;
        std::uint32_t firstTriangle = 0;
        std::uint32_t triangleCount = 0;
        ProgramSource* source = nullptr;
        std::size_t count = 0;
        std::vector<float> values; // each draw's captured values, one after another
    };
    GatheredDraws gathered_;
    bool gathering_ = true;
    std::vector<float> captured_;    // the values of the draw being added
    std::vector<float> perInstance_; // what the instanced program reads per instance
    GLuint instanceBuffer_ = 0;
    std::uint64_t drawCalls_ = 0;
    bool watchingDrawStates_ = false;
    std::unique_ptr<PassTimer> passTimer_;
    std::unordered_set<std::uint64_t> drawStatesSeen_;

    // What GL holds now, so that a draw only sends what changed.
    std::uint32_t renderStatesDirty_ = ~0u; // groups of render states
    std::uint32_t samplersDirty_ = ~0u;
    std::uint32_t texturesDirty_ = ~0u;
    std::uint64_t transformGeneration_ = 1;
    Matrix worldViewProjection_ = Matrix::identity();
    bool worldViewProjectionDirty_ = true;
    GLuint boundFramebuffer_ = 0;
    GLuint boundProgram_ = 0;
    GLuint boundVertexArray_ = 0;
    bool scissoring_ = false;
    int viewportWidth_ = 0;
    int viewportHeight_ = 0;
};

class StateBlock
{
public:
    ~StateBlock();
    StateBlock(const StateBlock&) = delete;
    StateBlock& operator=(const StateBlock&) = delete;

    // Sets every state back to what it was when the block was created or last captured.
    void apply();
    // Takes the device's states as they are now.
    void capture();

private:
    friend class Device;
    StateBlock(Device& device, const DeviceState& state) : device_(&device), state_(state) {}

    Device* device_; // null once the device is gone
    DeviceState state_;
};

} // namespace orb::gfx
