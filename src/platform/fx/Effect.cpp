#include "platform/fx/Effect.h"

#include "platform/fx/EffectInstancing.h"

#include <algorithm>
#include <cstring>

namespace orb::fx {

struct Effect::Parameter
{
    std::string name;
    std::size_t floats; // 1 to 4, or 16 for a matrix
    std::array<float, 16> pending{};
    std::array<float, 16> committed{};
};

namespace {

// Passes without a vertex stage are checked at creation against the fixed stage of this format.
constexpr std::uint32_t ProbeFvf = gfx::Fvf::Xyz | gfx::Fvf::Diffuse | gfx::Fvf::Tex1;

std::size_t floatsOf(GLenum type)
{
    switch (type) {
    case GL_FLOAT:
        return 1;
    case GL_FLOAT_VEC2:
        return 2;
    case GL_FLOAT_VEC3:
        return 3;
    case GL_FLOAT_VEC4:
        return 4;
    case GL_FLOAT_MAT4:
        return 16;
    default:
        return 0;
    }
}

bool reserved(const std::string& name)
{
    return name.rfind("orb_", 0) == 0 || name.rfind("gl_", 0) == 0;
}

} // namespace

std::unique_ptr<Effect> Effect::create(gfx::Device& device, const char* text, std::size_t size,
                                       std::string* log)
{
    std::string error;
    std::optional<EffectSource> source =
        text != nullptr ? parseEffect(std::string(text, strnlen(text, size)), &error) : std::nullopt;
    if (!source) {
        if (log != nullptr)
            *log = text != nullptr ? error : "no effect text";
        return nullptr;
    }
    std::unique_ptr<Effect> effect(new Effect(device, std::move(*source)));
    for (unsigned pass = 0; pass < effect->source_.passes.size(); ++pass) {
        if (effect->link(pass, ProbeFvf, log) == nullptr)
            return nullptr;
    }
    // Passes linked before a later pass declared a parameter look it up now.
    for (auto& [key, linked] : effect->programs_) {
        linked.locations.clear();
        for (const auto& parameter : effect->parameters_)
            linked.locations.push_back(linked.program->uniformLocation(parameter->name.c_str()));
    }
    return effect;
}

bool Effect::reload(const char* text, std::size_t size, std::string* log)
{
    std::unique_ptr<Effect> replacement = create(device_, text, size, log);
    if (!replacement)
        return false;
    for (const auto& parameter : replacement->parameters_) {
        const Parameter* kept = parameterByName(parameter->name.c_str());
        if (kept != nullptr && kept->floats == parameter->floats) {
            parameter->pending = kept->pending;
            parameter->committed = kept->committed;
        }
    }
    source_ = std::move(replacement->source_);
    parameters_ = std::move(replacement->parameters_);
    programs_ = std::move(replacement->programs_);
    instancedPrograms_ = std::move(replacement->instancedPrograms_);
    return true;
}

Effect::Effect(gfx::Device& device, EffectSource source)
    : device_(device), deviceLifetime_(device.lifetime()), source_(std::move(source))
{}

Effect::~Effect()
{
    if (!deviceLifetime_.expired() && device_.programSource() == this)
        device_.setProgramSource(nullptr);
}

Effect::LinkedPass* Effect::link(unsigned pass, std::uint32_t fvf, std::string* log)
{
    const PassSource& source = source_.passes[pass];
    const auto key = std::make_pair(pass, source.vertex ? 0u : fvf);
    const auto found = programs_.find(key);
    if (found != programs_.end())
        return &found->second;

    std::string linkLog;
    std::unique_ptr<gfx::ShaderProgram> program = device_.linkProgram(
        vertexStage(source_.common, source, fvf), glslStage(source_.common, source.fragment), &linkLog);
    if (!program) {
        if (log != nullptr)
            *log = "pass " + std::to_string(pass) + " " + linkLog;
        return nullptr;
    }
    collectParameters(*program);
    LinkedPass linked{std::move(program), {}, 0};
    for (const auto& parameter : parameters_)
        linked.locations.push_back(linked.program->uniformLocation(parameter->name.c_str()));
    return &programs_.emplace(key, std::move(linked)).first->second;
}

void Effect::collectParameters(const gfx::ShaderProgram& program)
{
    GLint count = 0;
    glGetProgramInterfaceiv(program.name(), GL_UNIFORM, GL_ACTIVE_RESOURCES, &count);
    for (GLint index = 0; index < count; ++index) {
        const GLenum properties[3] = {GL_TYPE, GL_BLOCK_INDEX, GL_ARRAY_SIZE};
        GLint values[3] = {0, 0, 0};
        glGetProgramResourceiv(program.name(), GL_UNIFORM, static_cast<GLuint>(index), 3, properties, 3,
                               nullptr, values);
        const std::size_t floats = floatsOf(static_cast<GLenum>(values[0]));
        if (floats == 0 || values[1] != -1 || values[2] != 1)
            continue; // samplers, block members and arrays are not parameters
        char name[256] = {};
        glGetProgramResourceName(program.name(), GL_UNIFORM, static_cast<GLuint>(index), sizeof name, nullptr,
                                 name);
        if (!reserved(name) && parameterByName(name) == nullptr)
            parameters_.push_back(std::make_unique<Parameter>(Parameter{name, floats}));
    }
}

const Effect::Parameter* Effect::parameterByName(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    const auto found = std::find_if(parameters_.begin(), parameters_.end(),
                                    [name](const auto& parameter) { return parameter->name == name; });
    return found != parameters_.end() ? found->get() : nullptr;
}

bool Effect::setValue(const Parameter* parameter, const void* data, std::size_t bytes)
{
    if (parameter == nullptr || data == nullptr)
        return false;
    Parameter& target = const_cast<Parameter&>(*parameter);
    std::memcpy(target.pending.data(), data, std::min(bytes, target.floats * sizeof(float)));
    return true;
}

const Effect::Parameter* Effect::parameter(unsigned index) const
{
    return index < parameters_.size() ? parameters_[index].get() : nullptr;
}

Effect::ParameterDescription Effect::describe(const Parameter& parameter)
{
    return {parameter.name, parameter.floats};
}

bool Effect::getValue(const Parameter* parameter, void* data, std::size_t bytes) const
{
    if (parameter == nullptr || data == nullptr)
        return false;
    std::memcpy(data, parameter->pending.data(), std::min(bytes, parameter->floats * sizeof(float)));
    return true;
}

bool Effect::setMatrix(const Parameter* parameter, const gfx::Matrix& matrix)
{
    if (parameter == nullptr || parameter->floats != 16)
        return false;
    return setValue(parameter, &matrix.m[0][0], sizeof matrix.m);
}

unsigned Effect::begin()
{
    savedStates_.clear();
    for (const PassSource& pass : source_.passes) {
        for (const auto& assignment : pass.states) {
            const gfx::RenderState state = assignment.first;
            const bool saved = std::any_of(savedStates_.begin(), savedStates_.end(),
                                           [state](const auto& entry) { return entry.first == state; });
            if (!saved)
                savedStates_.emplace_back(state, device_.renderState(state));
        }
    }
    return static_cast<unsigned>(source_.passes.size());
}

bool Effect::beginPass(unsigned pass)
{
    if (pass >= source_.passes.size())
        return false;
    if (currentPass_)
        device_.endTimedPass();
    if (device_.passTimer() != nullptr) {
        // Built in a string that keeps its room, so that a timed frame allocates nothing here.
        passLabel_.assign(name_).append(" pass ").append(std::to_string(pass));
        device_.beginTimedPass(passLabel_);
    }
    for (const auto& [state, value] : source_.passes[pass].states)
        device_.setRenderState(state, value);
    commitChanges();
    currentPass_ = pass;
    device_.setProgramSource(this);
    return true;
}

void Effect::commitChanges()
{
    for (const auto& parameter : parameters_)
        parameter->committed = parameter->pending;
    ++commits_;
}

void Effect::endPass()
{
    if (device_.programSource() == this)
        device_.setProgramSource(nullptr);
    if (currentPass_)
        device_.endTimedPass();
    currentPass_.reset();
}

void Effect::end()
{
    endPass();
    for (const auto& [state, value] : savedStates_)
        device_.setRenderState(state, value);
    savedStates_.clear();
}

bool Effect::prepare(unsigned pass, std::uint32_t fvf)
{
    return pass < source_.passes.size() && link(pass, fvf, nullptr) != nullptr;
}

gfx::ShaderProgram* Effect::programFor(std::uint32_t fvf)
{
    if (!currentPass_)
        return nullptr;
    LinkedPass* linked = link(*currentPass_, fvf, nullptr);
    if (linked == nullptr)
        return nullptr;
    if (linked->uploaded != commits_)
        upload(*linked);
    return linked->program.get();
}

namespace {

void uploadUniform(GLuint program, GLint location, std::size_t floats, const float* value)
{
    switch (floats) {
    case 1:
        glProgramUniform1fv(program, location, 1, value);
        break;
    case 2:
        glProgramUniform2fv(program, location, 1, value);
        break;
    case 3:
        glProgramUniform3fv(program, location, 1, value);
        break;
    case 4:
        glProgramUniform4fv(program, location, 1, value);
        break;
    case 16:
        glProgramUniformMatrix4fv(program, location, 1, GL_TRUE, value);
        break;
    default:
        break;
    }
}

} // namespace

void Effect::upload(LinkedPass& linked) const
{
    for (std::size_t index = 0; index < parameters_.size(); ++index)
        if (linked.locations[index] >= 0)
            uploadUniform(linked.program->name(), linked.locations[index], parameters_[index]->floats,
                          parameters_[index]->committed.data());
    linked.uploaded = commits_;
}

void Effect::uploadValues(const LinkedPass& linked, const float* values, std::uint64_t skipped) const
{
    for (std::size_t index = 0; index < parameters_.size(); values += parameters_[index]->floats, ++index)
        if (linked.locations[index] >= 0 && (skipped >> index & 1u) == 0)
            uploadUniform(linked.program->name(), linked.locations[index], parameters_[index]->floats,
                          values);
}

bool Effect::captureValues(std::vector<float>& values)
{
    if (!currentPass_ || !source_.passes[*currentPass_].vertex || parameters_.size() > 64)
        return false;
    for (const auto& parameter : parameters_)
        values.insert(values.end(), parameter->committed.begin(),
                      parameter->committed.begin() + static_cast<std::ptrdiff_t>(parameter->floats));
    return true;
}

gfx::ShaderProgram* Effect::programWithValues(std::uint32_t fvf, const float* values)
{
    LinkedPass* linked = currentPass_ ? link(*currentPass_, fvf, nullptr) : nullptr;
    if (linked == nullptr)
        return nullptr;
    uploadValues(*linked, values, 0);
    linked->uploaded = 0; // the committed values go back at the next programFor
    return linked->program.get();
}

// The parameters whose values differ between the draws are read per instance, the others stay
// uniforms with the first draw's values.
gfx::ShaderProgram* Effect::instancedProgram(std::uint32_t fvf, const std::vector<float>& values,
                                             std::size_t count, std::vector<float>& perInstance)
{
    const std::size_t stride = values.size() / count;
    std::uint64_t varying = 0;
    for (std::size_t index = 0, offset = 0; index < parameters_.size();
         offset += parameters_[index++]->floats) {
        for (std::size_t draw = 1; draw < count && (varying >> index & 1u) == 0; ++draw) {
            if (!std::equal(&values[offset], &values[offset] + parameters_[index]->floats,
                            &values[draw * stride + offset]))
                varying |= std::uint64_t{1} << index;
        }
    }
    perInstance.clear();
    if (varying == 0)
        return programWithValues(fvf, values.data()); // the same draw, repeated
    LinkedPass* linked = currentPass_ ? instancedPass(*currentPass_, varying) : nullptr;
    if (linked == nullptr)
        return nullptr;
    uploadValues(*linked, values.data(), varying);
    for (std::size_t draw = 0; draw < count; ++draw) {
        for (std::size_t index = 0, offset = 0; index < parameters_.size();
             offset += parameters_[index++]->floats) {
            if ((varying >> index & 1u) == 0)
                continue;
            const float* value = &values[draw * stride + offset];
            perInstance.insert(perInstance.end(), value, value + parameters_[index]->floats);
            perInstance.resize(perInstance.size() + instanceSlot(parameters_[index]->floats) -
                               parameters_[index]->floats);
        }
    }
    return linked->program.get();
}

Effect::LinkedPass* Effect::instancedPass(unsigned pass, std::uint64_t perInstance)
{
    const auto key = std::make_pair(pass, perInstance);
    auto found = instancedPrograms_.find(key);
    if (found == instancedPrograms_.end()) {
        std::vector<InstancedParameter> read;
        for (std::size_t index = 0; index < parameters_.size(); ++index) {
            if ((perInstance >> index & 1u) != 0)
                read.push_back({parameters_[index]->name, parameters_[index]->floats});
        }
        LinkedPass linked;
        if (const auto sources = instancedSources(source_, pass, read))
            linked.program = device_.linkProgram(sources->vertex, sources->fragment, nullptr);
        for (const auto& parameter : parameters_)
            linked.locations.push_back(
                linked.program ? linked.program->uniformLocation(parameter->name.c_str()) : -1);
        found = instancedPrograms_.emplace(key, std::move(linked)).first;
    }
    return found->second.program ? &found->second : nullptr;
}

} // namespace orb::fx
