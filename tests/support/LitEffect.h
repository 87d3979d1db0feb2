#pragma once

// An effect that lights a mesh by one direction, with its own matrices and diffuse colour:
// colour = diffuse x (0.2 + 0.8 x max(n . l, 0)), l = normalize(1, 1, -1) towards the light.

namespace orb::fx::test {

constexpr const char* LitEffect = R"(@common
uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform vec4 diffuse;

@pass 0
@vertex
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
out vec3 worldNormal;
void main()
{
    gl_Position = vec4(position, 1.0) * world * view * projection;
    worldNormal = (vec4(normal, 0.0) * world).xyz;
}
@fragment
in vec3 worldNormal;
out vec4 colour;
void main()
{
    float light = max(dot(normalize(worldNormal), normalize(vec3(1.0, 1.0, -1.0))), 0.0);
    colour = vec4(diffuse.rgb * (0.2 + 0.8 * light), 1.0);
}
)";

} // namespace orb::fx::test
