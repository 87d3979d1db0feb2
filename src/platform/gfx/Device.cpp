#include "platform/gfx/Device.h"

#include "platform/gfx/FixedStages.h"
#include "platform/gfx/VertexLayout.h"
#include "platform/gfx/VertexStream.h"
#include "platform/gfx/WorkCounters.h"

#include <algorithm>
#include <utility>

namespace orb::gfx {

namespace {

// Bounds what a long run of gathered draws holds before it is drawn.
constexpr std::size_t MaxGathered = 8192;

constexpr std::uint32_t StateIndex(RenderState state)
{
    return static_cast<std::uint32_t>(state);
}

GLenum glBlend(std::uint32_t blend)
{
    switch (blend) {
    case Blend::Zero:
        return GL_ZERO;
    case Blend::One:
        return GL_ONE;
    case Blend::SrcColor:
        return GL_SRC_COLOR;
    case Blend::InvSrcColor:
        return GL_ONE_MINUS_SRC_COLOR;
    case Blend::SrcAlpha:
        return GL_SRC_ALPHA;
    case Blend::InvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case Blend::DestAlpha:
        return GL_DST_ALPHA;
    case Blend::InvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case Blend::DestColor:
        return GL_DST_COLOR;
    case Blend::InvDestColor:
        return GL_ONE_MINUS_DST_COLOR;
    case Blend::SrcAlphaSat:
        return GL_SRC_ALPHA_SATURATE;
    case Blend::BlendFactor:
        return GL_CONSTANT_COLOR;
    case Blend::InvBlendFactor:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

GLenum glBlendEquation(std::uint32_t operation)
{
    switch (operation) {
    case BlendOp::Subtract:
        return GL_FUNC_SUBTRACT;
    case BlendOp::RevSubtract:
        return GL_FUNC_REVERSE_SUBTRACT;
    case BlendOp::Min:
        return GL_MIN;
    case BlendOp::Max:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum glAddress(std::uint32_t address)
{
    switch (address) {
    case TextureAddress::Mirror:
        return GL_MIRRORED_REPEAT;
    case TextureAddress::Clamp:
        return GL_CLAMP_TO_EDGE;
    case TextureAddress::Border:
        return GL_CLAMP_TO_BORDER;
    case TextureAddress::MirrorOnce:
        return GL_MIRROR_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

GLenum glMinFilter(std::uint32_t min, std::uint32_t mip)
{
    const bool linear = min >= TextureFilter::Linear;
    if (mip == TextureFilter::None)
        return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == TextureFilter::Point)
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

struct Primitive
{
    GLenum mode;
    GLsizei vertexCount;
};

Primitive primitiveFor(PrimitiveType type, std::uint32_t count)
{
    const auto vertices = [count](std::uint32_t perPrimitive, std::uint32_t extra) {
        return count == 0 ? 0 : static_cast<GLsizei>(count * perPrimitive + extra);
    };
    switch (type) {
    case PrimitiveType::PointList:
        return {GL_POINTS, vertices(1, 0)};
    case PrimitiveType::LineList:
        return {GL_LINES, vertices(2, 0)};
    case PrimitiveType::LineStrip:
        return {GL_LINE_STRIP, vertices(1, 1)};
    case PrimitiveType::TriangleList:
        return {GL_TRIANGLES, vertices(3, 0)};
    case PrimitiveType::TriangleStrip:
        return {GL_TRIANGLE_STRIP, vertices(1, 2)};
    case PrimitiveType::TriangleFan:
        return {GL_TRIANGLE_FAN, vertices(1, 2)};
    }
    return {GL_TRIANGLES, 0};
}

// Render states that share a piece of GL state are sent together.
enum RenderStateGroup : std::uint32_t
{
    DepthGroup = 1,
    BlendGroup = 2,
    BlendFactorGroup = 4,
    CullGroup = 8,
    AllGroups = 15,
};

std::uint32_t groupOf(RenderState state)
{
    switch (state) {
    case RenderState::ZEnable:
    case RenderState::ZWriteEnable:
    case RenderState::ZFunc:
        return DepthGroup;
    case RenderState::AlphaBlendEnable:
    case RenderState::SrcBlend:
    case RenderState::DestBlend:
    case RenderState::BlendOp:
        return BlendGroup;
    case RenderState::BlendFactor:
        return BlendFactorGroup;
    case RenderState::CullMode:
        return CullGroup;
    default:
        return 0;
    }
}

} // namespace

Matrix operator*(const Matrix& a, const Matrix& b)
{
    Matrix product{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            for (int k = 0; k < 4; ++k)
                product.m[row][column] += a.m[row][k] * b.m[k][column];
    return product;
}

DeviceState DeviceState::defaults()
{
    DeviceState state;
    state.renderStates.fill(0);
    state.renderStates[StateIndex(RenderState::ZEnable)] = 1;
    state.renderStates[StateIndex(RenderState::ZWriteEnable)] = 1;
    state.renderStates[StateIndex(RenderState::SrcBlend)] = Blend::One;
    state.renderStates[StateIndex(RenderState::DestBlend)] = Blend::Zero;
    state.renderStates[StateIndex(RenderState::CullMode)] = Cull::CounterClockwise;
    state.renderStates[StateIndex(RenderState::ZFunc)] = Cmp::LessEqual;
    state.renderStates[StateIndex(RenderState::Lighting)] = 1;
    state.renderStates[StateIndex(RenderState::BlendOp)] = BlendOp::Add;
    state.renderStates[StateIndex(RenderState::BlendFactor)] = 0xFFFFFFFF;
    for (auto& sampler : state.samplerStates) {
        sampler.fill(0);
        sampler[static_cast<std::uint32_t>(SamplerState::AddressU)] = TextureAddress::Wrap;
        sampler[static_cast<std::uint32_t>(SamplerState::AddressV)] = TextureAddress::Wrap;
        sampler[static_cast<std::uint32_t>(SamplerState::AddressW)] = TextureAddress::Wrap;
        sampler[static_cast<std::uint32_t>(SamplerState::MagFilter)] = TextureFilter::Point;
        sampler[static_cast<std::uint32_t>(SamplerState::MinFilter)] = TextureFilter::Point;
        sampler[static_cast<std::uint32_t>(SamplerState::MipFilter)] = TextureFilter::None;
    }
    return state;
}

std::unique_ptr<Device> Device::create(std::unique_ptr<Backend> backend, const PresentParameters& parameters,
                                       std::string* error)
{
    const auto refuse = [error](const std::string& reason) {
        if (error != nullptr)
            *error = reason;
        return nullptr;
    };
    if (!backend)
        return refuse("no graphics backend");
    if (epoxy_gl_version() < 45)
        return refuse("OpenGL 4.5 is not available (found " + std::to_string(epoxy_gl_version()) + ")");
    std::unique_ptr<Device> device(new Device(std::move(backend)));
    if (!device->vertexStream_->valid())
        return refuse("cannot map a vertex buffer");
    if (!device->createBackBuffer(parameters, error))
        return nullptr;
    return device;
}

Device::Device(std::unique_ptr<Backend> backend)
    : backend_(std::move(backend)), state_(DeviceState::defaults()),
      fixedStages_(std::make_unique<FixedStages>(lifetime_)), vertexStream_(std::make_unique<VertexStream>())
{
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glCreateSamplers(SamplerCount, samplers_.data());
    for (GLuint unit = 0; unit < SamplerCount; ++unit)
        glBindSampler(unit, samplers_[unit]);
}

Device::~Device()
{
    gathered_.count = 0; // their sources and meshes may be gone; nothing is drawn any more
    passTimer_.reset();
    glDeleteBuffers(1, &instanceBuffer_);
    for (StateBlock* block : stateBlocks_)
        block->device_ = nullptr;
    for (BaseTexture* texture : textures_)
        texture->orphan();
    for (const auto& [attachments, framebuffer] : framebuffers_)
        glDeleteFramebuffers(1, &framebuffer);
    for (Surface* surface : {backBuffer_.get(), autoDepthStencil_.get(), backBufferResolve_.get()}) {
        if (surface != nullptr)
            surface->renderbuffer_ ? glDeleteRenderbuffers(1, &surface->name_)
                                   : glDeleteTextures(1, &surface->name_);
    }
    for (const auto& [fvf, vertexArray] : vertexArrays_)
        glDeleteVertexArrays(1, &vertexArray);
    glDeleteSamplers(SamplerCount, samplers_.data());
    fixedStages_.reset();
    vertexStream_.reset();
}

// Each setter flushes the gathered draws only when the state changes: setting a value the device
// already holds must not end a gathered run.
void Device::setRenderState(RenderState state, std::uint32_t value)
{
    const std::uint32_t index = StateIndex(state);
    if (index >= RenderStateCount || state_.renderStates[index] == value)
        return;
    flushDraws();
    state_.renderStates[index] = value;
    renderStatesDirty_ |= groupOf(state);
}

std::uint32_t Device::renderState(RenderState state) const
{
    const std::uint32_t index = StateIndex(state);
    return index < RenderStateCount ? state_.renderStates[index] : 0;
}

void Device::setSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value)
{
    const auto index = static_cast<std::uint32_t>(state);
    if (sampler >= SamplerCount || index >= SamplerStateCount ||
        state_.samplerStates[sampler][index] == value)
        return;
    flushDraws();
    state_.samplerStates[sampler][index] = value;
    samplersDirty_ |= 1u << sampler;
}

std::uint32_t Device::samplerState(std::uint32_t sampler, SamplerState state) const
{
    const auto index = static_cast<std::uint32_t>(state);
    return sampler < SamplerCount && index < SamplerStateCount ? state_.samplerStates[sampler][index] : 0;
}

void Device::setTexture(std::uint32_t stage, BaseTexture* texture)
{
    if (stage >= SamplerCount || state_.textures[stage] == texture)
        return;
    flushDraws();
    state_.textures[stage] = texture;
    texturesDirty_ |= 1u << stage;
}

BaseTexture* Device::texture(std::uint32_t stage) const
{
    return stage < SamplerCount ? state_.textures[stage] : nullptr;
}

void Device::setTransform(TransformType type, const Matrix& matrix)
{
    Matrix* held = nullptr;
    switch (type) {
    case TransformType::World:
        held = &state_.world;
        break;
    case TransformType::View:
        held = &state_.view;
        break;
    case TransformType::Projection:
        held = &state_.projection;
        break;
    default:
        return;
    }
    if (*held == matrix)
        return;
    flushDraws();
    *held = matrix;
    worldViewProjectionDirty_ = true;
    ++transformGeneration_;
}

const Matrix& Device::transform(TransformType type) const
{
    switch (type) {
    case TransformType::View:
        return state_.view;
    case TransformType::Projection:
        return state_.projection;
    default:
        return state_.world;
    }
}

void Device::setFvf(std::uint32_t fvf)
{
    if (state_.fvf == fvf)
        return;
    flushDraws();
    state_.fvf = fvf;
}

void Device::setScissorRect(const Rect& rect)
{
    flushDraws();
    state_.scissorRect = rect;
}

void Device::setProgramSource(ProgramSource* source)
{
    if (programSource_ == source)
        return;
    flushDraws();
    programSource_ = source;
}

std::unique_ptr<StateBlock> Device::createStateBlock()
{
    std::unique_ptr<StateBlock> block(new StateBlock(*this, state_));
    stateBlocks_.insert(block.get());
    return block;
}

StateBlock::~StateBlock()
{
    if (device_ != nullptr)
        device_->forget(this);
}

void StateBlock::capture()
{
    if (device_ != nullptr)
        state_ = device_->state_;
}

void StateBlock::apply()
{
    if (device_ == nullptr)
        return;
    device_->flushDraws();
    device_->state_ = state_;
    device_->markAllStatesDirty();
}

void Device::markAllStatesDirty()
{
    renderStatesDirty_ = AllGroups;
    samplersDirty_ = ~0u;
    texturesDirty_ = ~0u;
    worldViewProjectionDirty_ = true;
    ++transformGeneration_;
}

void Device::flushStates()
{
    if (renderStatesDirty_ != 0)
        flushRenderStates();
    if (samplersDirty_ != 0)
        flushSamplers();
    if (texturesDirty_ != 0)
        flushTextures();
}

void Device::flushRenderStates()
{
    const auto& states = state_.renderStates;
    const auto value = [&states](RenderState state) { return states[StateIndex(state)]; };
    if (renderStatesDirty_ & DepthGroup) {
        value(RenderState::ZEnable) != 0 ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        glDepthMask(value(RenderState::ZWriteEnable) != 0 ? GL_TRUE : GL_FALSE);
        const std::uint32_t function =
            std::clamp<std::uint32_t>(value(RenderState::ZFunc), Cmp::Never, Cmp::Always);
        glDepthFunc(GL_NEVER + (function - Cmp::Never));
    }
    if (renderStatesDirty_ & BlendGroup) {
        value(RenderState::AlphaBlendEnable) != 0 ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        glBlendFunc(glBlend(value(RenderState::SrcBlend)), glBlend(value(RenderState::DestBlend)));
        glBlendEquation(glBlendEquation(value(RenderState::BlendOp)));
    }
    if (renderStatesDirty_ & BlendFactorGroup) {
        const Color factor = value(RenderState::BlendFactor);
        glBlendColor(static_cast<float>((factor >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((factor >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(factor & 0xFF) / 255.0f, static_cast<float>(factor >> 24) / 255.0f);
    }
    if (renderStatesDirty_ & CullGroup) {
        // Under the upper-left clip origin a triangle that is clockwise on screen is GL_CW, and
        // in Direct3D those are the fronts, for culling and for what a shader sees, whatever the
        // mode: CounterClockwise culls the backs, Clockwise the fronts.
        glFrontFace(GL_CW);
        const std::uint32_t cull = value(RenderState::CullMode);
        if (cull == Cull::Clockwise || cull == Cull::CounterClockwise) {
            glEnable(GL_CULL_FACE);
            glCullFace(cull == Cull::CounterClockwise ? GL_BACK : GL_FRONT);
        } else {
            glDisable(GL_CULL_FACE);
        }
    }
    renderStatesDirty_ = 0;
}

void Device::flushSamplers()
{
    for (std::uint32_t unit = 0; unit < SamplerCount; ++unit) {
        if ((samplersDirty_ & (1u << unit)) == 0)
            continue;
        const auto& states = state_.samplerStates[unit];
        const auto value = [&states](SamplerState state) {
            return states[static_cast<std::uint32_t>(state)];
        };
        const GLuint sampler = samplers_[unit];
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S,
                            static_cast<GLint>(glAddress(value(SamplerState::AddressU))));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T,
                            static_cast<GLint>(glAddress(value(SamplerState::AddressV))));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R,
                            static_cast<GLint>(glAddress(value(SamplerState::AddressW))));
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                            value(SamplerState::MagFilter) >= TextureFilter::Linear ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(
            sampler, GL_TEXTURE_MIN_FILTER,
            static_cast<GLint>(glMinFilter(value(SamplerState::MinFilter), value(SamplerState::MipFilter))));
    }
    samplersDirty_ = 0;
}

void Device::flushTextures()
{
    for (std::uint32_t unit = 0; unit < SamplerCount; ++unit) {
        if ((texturesDirty_ & (1u << unit)) != 0)
            glBindTextureUnit(unit, state_.textures[unit] != nullptr ? state_.textures[unit]->name() : 0);
    }
    texturesDirty_ = 0;
}

ShaderProgram* Device::programForDraw()
{
    if (programSource_ != nullptr)
        return programSource_->programFor(state_.fvf);
    const BaseTexture* stage0 = state_.textures[0];
    const StageTexture kind = stage0 == nullptr    ? StageTexture::None
                              : stage0->isVolume() ? StageTexture::Volume
                                                   : StageTexture::Flat;
    return fixedStages_->programFor(state_.fvf, kind);
}

void Device::uploadFixedUniforms(ShaderProgram& program)
{
    if (program.transformsSeen_ == transformGeneration_)
        return;
    if (worldViewProjectionDirty_) {
        worldViewProjection_ = state_.world * state_.view * state_.projection;
        worldViewProjectionDirty_ = false;
    }
    if (program.worldViewProjection_ >= 0)
        glProgramUniformMatrix4fv(program.name(), program.worldViewProjection_, 1, GL_TRUE,
                                  &worldViewProjection_.m[0][0]);
    if (program.viewportSize_ >= 0)
        glProgramUniform2f(program.name(), program.viewportSize_, static_cast<float>(viewportWidth_),
                           static_cast<float>(viewportHeight_));
    program.transformsSeen_ = transformGeneration_;
}

GLuint Device::vertexArrayFor(std::uint32_t fvf)
{
    const auto found = vertexArrays_.find(fvf);
    if (found != vertexArrays_.end())
        return found->second;
    const VertexLayout layout = vertexLayout(fvf);
    GLuint vertexArray = 0;
    glCreateVertexArrays(1, &vertexArray);
    const auto attribute = [vertexArray](GLuint location, int offset, GLint size, GLenum type,
                                         GLboolean normalized) {
        if (offset < 0)
            return;
        glEnableVertexArrayAttrib(vertexArray, location);
        glVertexArrayAttribFormat(vertexArray, location, size, type, normalized, static_cast<GLuint>(offset));
        glVertexArrayAttribBinding(vertexArray, location, 0);
    };
    attribute(PositionLocation, layout.position, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE);
    attribute(NormalLocation, layout.normal, 3, GL_FLOAT, GL_FALSE);
    attribute(DiffuseLocation, layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    attribute(TexCoordLocation, layout.texCoord, 2, GL_FLOAT, GL_FALSE);
    vertexArrays_.emplace(fvf, vertexArray);
    return vertexArray;
}

GLuint Device::prepareDraw(std::uint32_t stride, ShaderProgram* program)
{
    const VertexLayout layout = vertexLayout(state_.fvf);
    if (!layout.valid || stride < layout.size || program == nullptr)
        return 0;
    if (!bindTargets())
        return 0;
    followFrame();
    if (program->name() != boundProgram_) {
        glUseProgram(program->name());
        boundProgram_ = program->name();
    }
    uploadFixedUniforms(*program);
    flushStates();
    if (watchingDrawStates_)
        noteDrawState(program->name(), stride);
    const GLuint vertexArray = vertexArrayFor(state_.fvf);
    if (vertexArray != boundVertexArray_) {
        glBindVertexArray(vertexArray);
        boundVertexArray_ = vertexArray;
    }
    if (state_.renderStates[StateIndex(RenderState::ScissorTestEnable)] != 0) {
        // Rows from the top are GL's window rows under the upper-left clip origin.
        const Rect& rect = state_.scissorRect;
        const int left = std::clamp(rect.left, 0, viewportWidth_),
                  top = std::clamp(rect.top, 0, viewportHeight_);
        glScissor(left, top, std::clamp(rect.right, left, viewportWidth_) - left,
                  std::clamp(rect.bottom, top, viewportHeight_) - top);
        glEnable(GL_SCISSOR_TEST);
        scissoring_ = true;
    }
    return vertexArray;
}

void Device::drawn()
{
    if (scissoring_) {
        glDisable(GL_SCISSOR_TEST);
        scissoring_ = false;
    }
    ++drawCalls_;
}

// A software rasteriser compiles code for each combination of these at its first draw with it.
void Device::noteDrawState(GLuint program, std::uint32_t stride)
{
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    const auto mix = [&hash](const void* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= static_cast<const unsigned char*>(data)[i];
            hash *= 1099511628211ull;
        }
    };
    const std::uint32_t fvf = state_.fvf;
    mix(&program, sizeof program);
    mix(&boundFramebuffer_, sizeof boundFramebuffer_);
    mix(&fvf, sizeof fvf);
    mix(&stride, sizeof stride);
    // The blend factor is a constant the rasteriser reads, not part of the code it compiles.
    auto renderStates = state_.renderStates;
    renderStates[StateIndex(RenderState::BlendFactor)] = 0;
    mix(renderStates.data(), sizeof renderStates);
    for (std::uint32_t stage = 0; stage < SamplerCount; ++stage) {
        const BaseTexture* texture = state_.textures[stage];
        if (texture == nullptr)
            continue;
        const Format format = texture->format();
        mix(&stage, sizeof stage);
        mix(&format, sizeof format);
        mix(state_.samplerStates[stage].data(), sizeof state_.samplerStates[stage]);
    }
    if (drawStatesSeen_.insert(hash).second)
        countWork(Work::NewDrawState);
}

void Device::drawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                             std::uint32_t stride)
{
    flushDraws();
    const Primitive primitive = primitiveFor(type, primitiveCount);
    if (primitive.vertexCount == 0 || vertices == nullptr)
        return;
    const GLuint vertexArray = prepareDraw(stride, programForDraw());
    if (vertexArray == 0)
        return;
    GLuint buffer = 0;
    const GLintptr offset =
        vertexStream_->write(vertices, static_cast<std::size_t>(primitive.vertexCount) * stride, buffer);
    glVertexArrayVertexBuffer(vertexArray, 0, buffer, offset, static_cast<GLsizei>(stride));
    glDrawArrays(primitive.mode, 0, primitive.vertexCount);
    drawn();
}

Geometry::Geometry(Device& device, std::uint32_t fvf, std::uint32_t stride)
    : device_(device), deviceLifetime_(device.lifetime()), fvf_(fvf), stride_(stride)
{}

Geometry::~Geometry()
{
    if (deviceLifetime_.expired())
        return;
    device_.flushDraws();
    glDeleteBuffers(1, &vertexBuffer_);
    glDeleteBuffers(1, &indexBuffer_);
}

std::unique_ptr<Geometry> Device::createGeometry(std::uint32_t fvf, const void* vertices,
                                                 std::uint32_t vertexCount, std::uint32_t stride,
                                                 const std::vector<std::uint32_t>& indices,
                                                 std::string* error)
{
    const VertexLayout layout = vertexLayout(fvf);
    const bool indicesFit = std::all_of(indices.begin(), indices.end(),
                                        [vertexCount](std::uint32_t index) { return index < vertexCount; });
    if (!layout.valid || stride < layout.size || vertices == nullptr || vertexCount == 0 || indices.empty() ||
        indices.size() % 3 != 0 || !indicesFit) {
        if (error != nullptr)
            *error = "invalid geometry";
        return nullptr;
    }
    std::unique_ptr<Geometry> geometry(new Geometry(*this, fvf, stride));
    glCreateBuffers(1, &geometry->vertexBuffer_);
    glNamedBufferStorage(geometry->vertexBuffer_, static_cast<GLsizeiptr>(vertexCount) * stride, vertices, 0);
    glCreateBuffers(1, &geometry->indexBuffer_);
    glNamedBufferStorage(geometry->indexBuffer_,
                         static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(), 0);
    geometry->indexCount_ = static_cast<std::uint32_t>(indices.size());
    return geometry;
}

void Device::drawIndexedTriangles(const Geometry& geometry, std::uint32_t firstTriangle, std::uint32_t count)
{
    captured_.clear();
    const bool gatherable =
        gathering_ && programSource_ != nullptr && programSource_->captureValues(captured_);
    const bool joins = gatherable && gathered_.count > 0 && gathered_.count < MaxGathered &&
                       gathered_.geometry == &geometry && gathered_.firstTriangle == firstTriangle &&
                       gathered_.triangleCount == count && gathered_.source == programSource_ &&
                       gathered_.values.size() == gathered_.count * captured_.size();
    if (!joins)
        flushDraws();
    state_.fvf = geometry.fvf_;
    const std::uint64_t end = (std::uint64_t{firstTriangle} + count) * 3;
    if (count == 0 || end > geometry.indexCount_)
        return;
    if (!gatherable) {
        drawGeometry(geometry, firstTriangle, count, programForDraw(), 1);
        return;
    }
    if (!joins) {
        gathered_.geometry = &geometry;
        gathered_.firstTriangle = firstTriangle;
        gathered_.triangleCount = count;
        gathered_.source = programSource_;
    }
    gathered_.values.insert(gathered_.values.end(), captured_.begin(), captured_.end());
    ++gathered_.count;
}

// One instanced draw when the source has a program for it; otherwise the draws one by one, each
// with its own values, as they would have been made at once.
void Device::flushDraws()
{
    // Taken out first, so that nothing the drawing does can flush them again; the values' storage
    // stays for the next run of draws.
    const std::size_t count = std::exchange(gathered_.count, 0);
    if (count == 0)
        return;
    const std::vector<float>& values = gathered_.values;
    const std::size_t stride = values.size() / count;
    ShaderProgram* instanced =
        count > 1 ? gathered_.source->instancedProgram(state_.fvf, values, count, perInstance_) : nullptr;
    if (instanced != nullptr) {
        if (passTimer_)
            passTimer_->begin("mesh batch");
        if (instanceBuffer_ == 0)
            glCreateBuffers(1, &instanceBuffer_);
        glNamedBufferData(instanceBuffer_, static_cast<GLsizeiptr>(perInstance_.size() * sizeof(float)),
                          perInstance_.data(), GL_STREAM_DRAW);
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, instanceBuffer_);
        drawGeometry(*gathered_.geometry, gathered_.firstTriangle, gathered_.triangleCount, instanced, count);
        if (passTimer_)
            passTimer_->end();
    } else {
        for (std::size_t draw = 0; draw < count; ++draw)
            drawGeometry(*gathered_.geometry, gathered_.firstTriangle, gathered_.triangleCount,
                         gathered_.source->programWithValues(state_.fvf, &values[draw * stride]), 1);
    }
    gathered_.values.clear();
}

void Device::finish()
{
    flushDraws();
    glFinish();
}

void Device::setPassTiming(bool on)
{
    flushDraws();
    passTimer_ = on ? std::make_unique<PassTimer>() : nullptr;
}

void Device::setDrawGathering(bool on)
{
    flushDraws();
    gathering_ = on;
}

void Device::drawGeometry(const Geometry& geometry, std::uint32_t firstTriangle, std::uint32_t count,
                          ShaderProgram* program, std::size_t instances)
{
    const GLuint vertexArray = prepareDraw(geometry.stride_, program);
    if (vertexArray == 0)
        return;
    glVertexArrayVertexBuffer(vertexArray, 0, geometry.vertexBuffer_, 0,
                              static_cast<GLsizei>(geometry.stride_));
    glVertexArrayElementBuffer(vertexArray, geometry.indexBuffer_);
    glDrawElementsInstanced(
        GL_TRIANGLES, static_cast<GLsizei>(count * 3), GL_UNSIGNED_INT,
        reinterpret_cast<const void*>(static_cast<std::uintptr_t>(firstTriangle) * 3 * sizeof(std::uint32_t)),
        static_cast<GLsizei>(instances));
    drawn();
}

} // namespace orb::gfx
