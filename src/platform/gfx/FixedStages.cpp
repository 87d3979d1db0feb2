#include "platform/gfx/FixedStages.h"

#include "platform/gfx/Device.h"
#include "platform/gfx/VertexLayout.h"

namespace orb::gfx {

namespace {

// Pre-transformed positions are placed by orb_pretransformed, which every vertex stage has
// (ShaderProgram.cpp).
constexpr const char* VertexStageBody = R"(
layout(location = 0) in vec4 orb_Position;
layout(location = 1) in vec3 orb_Normal;
layout(location = 2) in vec4 orb_Diffuse;
layout(location = 3) in vec2 orb_TexCoord;

uniform mat4 orb_WorldViewProjection;

out vec4 orb_vDiffuse;
out vec2 orb_vTexCoord;
out vec3 orb_vNormal;

void main()
{
#if ORB_PRETRANSFORMED
    gl_Position = orb_pretransformed(orb_Position);
#else
    gl_Position = vec4(orb_Position.xyz, 1.0) * orb_WorldViewProjection;
#endif
#if ORB_DIFFUSE
    orb_vDiffuse = orb_Diffuse;
#else
    orb_vDiffuse = vec4(1.0);
#endif
#if ORB_TEXCOORD
    orb_vTexCoord = orb_TexCoord;
#else
    orb_vTexCoord = vec2(0.0);
#endif
#if ORB_NORMAL
    orb_vNormal = orb_Normal;
#else
    orb_vNormal = vec3(0.0);
#endif
}
)";

// Stage 0 as Direct3D sets it up: colour = texture x diffuse, alpha = texture alpha.
constexpr const char* FragmentStageBody = R"(
in vec4 orb_vDiffuse;
in vec2 orb_vTexCoord;

#if ORB_STAGE0 == 1
layout(binding = 0) uniform sampler2D orb_Texture0;
#elif ORB_STAGE0 == 2
layout(binding = 0) uniform sampler3D orb_Texture0;
#endif

out vec4 orb_Color;

void main()
{
#if ORB_STAGE0 == 1
    vec4 texel = texture(orb_Texture0, orb_vTexCoord);
#elif ORB_STAGE0 == 2
    vec4 texel = texture(orb_Texture0, vec3(orb_vTexCoord, 0.0));
#else
    vec4 texel = vec4(1.0);
#endif
    orb_Color = vec4(texel.rgb * orb_vDiffuse.rgb, texel.a);
}
)";

std::string define(const char* name, int value)
{
    return std::string("#define ") + name + " " + std::to_string(value) + "\n";
}

} // namespace

std::string Device::fixedVertexStage(std::uint32_t fvf)
{
    const VertexLayout layout = vertexLayout(fvf);
    return "#version 450 core\n" + define("ORB_PRETRANSFORMED", layout.pretransformed) +
           define("ORB_DIFFUSE", layout.diffuse >= 0) + define("ORB_TEXCOORD", layout.texCoord >= 0) +
           define("ORB_NORMAL", layout.normal >= 0) + VertexStageBody;
}

ShaderProgram* FixedStages::programFor(std::uint32_t fvf, StageTexture stage0)
{
    const auto key = std::make_pair(fvf, stage0);
    const auto found = programs_.find(key);
    if (found != programs_.end())
        return found->second.get();
    if (!vertexLayout(fvf).valid)
        return nullptr;
    const std::string fragment =
        "#version 450 core\n" + define("ORB_STAGE0", static_cast<int>(stage0)) + FragmentStageBody;
    std::unique_ptr<ShaderProgram> program =
        ShaderProgram::link(Device::fixedVertexStage(fvf), fragment, nullptr, contextLifetime_);
    return programs_.emplace(key, std::move(program)).first->second.get();
}

} // namespace orb::gfx
