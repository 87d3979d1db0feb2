// Scene3.fx -- the trophy, the flying cubes, the pedestal and the floor, lit as polished metal:
// two lights fixed in the world (a warm key high on one side, a cool fill low on the other), a
// sharp white highlight, a bright rim where the surface turns away from the camera, and a soft
// reflection of an orange horizon; far surfaces fade into black.
//
// world, view, projection: the usual transforms (row vectors). ambient, diffuse, specular: the
// surface's colours; power: the highlight's sharpness.
@common
uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform float power;

@pass 0
@state ZEnable = true
@state ZWriteEnable = true
@state AlphaBlendEnable = false
@state CullMode = None
@vertex
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
out vec3 viewPosition;
out vec3 viewNormal;
out vec3 worldPosition;
void main()
{
    vec4 placed = vec4(position, 1.0) * world;
    vec4 seen = placed * view;
    worldPosition = placed.xyz;
    viewPosition = seen.xyz;
    viewNormal = (vec4(normal, 0.0) * world * view).xyz;
    gl_Position = seen * projection;
}
@fragment
in vec3 viewPosition;
in vec3 viewNormal;
in vec3 worldPosition;
out vec4 colour;

vec3 towards(vec3 worldDirection)
{
    return normalize((vec4(worldDirection, 0.0) * view).xyz);
}

void main()
{
    vec3 n = normalize(viewNormal);
    vec3 eye = normalize(-viewPosition);
    // Both faces of an open cup are lit: turn the normal towards the eye.
    n = dot(n, eye) < 0.0 ? -n : n;
    vec3 key = towards(vec3(0.6, 1.0, -0.5));
    vec3 fill = towards(vec3(-0.8, 0.2, 0.6));

    float lit = max(dot(n, key), 0.0) + 0.35 * max(dot(n, fill), 0.0);
    vec3 shine = vec3(0.0);
    for (int light = 0; light < 2; ++light) {
        vec3 l = light == 0 ? key : fill;
        float h = max(dot(n, normalize(l + eye)), 0.0);
        shine += specular.rgb * pow(h, max(power, 1.0)) * (light == 0 ? 1.0 : 0.4);
    }
    // A horizon reflected in the metal: orange below, dark above, by the reflected ray's height.
    vec3 reflected = reflect(-eye, n);
    float up = (vec4(reflected, 0.0) * transpose(view)).y;
    vec3 horizon = mix(vec3(1.0, 0.59, 0.0) * 0.5, vec3(0.06), smoothstep(-0.2, 0.4, up));
    float facing = 1.0 - max(dot(n, eye), 0.0);
    float rim = facing * facing * facing;

    // The floor and pedestal carry a faint grain, so their size reads.
    float grain = 0.85 + 0.3 * orb_noise(worldPosition.xz * 1.5);
    vec3 surface = ambient.rgb + diffuse.rgb * (0.08 + 0.9 * lit) * grain + shine;
    surface += diffuse.rgb * horizon * 0.6 + vec3(1.0, 0.59, 0.0) * rim * 0.35;
    float fog = exp(-max(length(viewPosition) - 30.0, 0.0) * 0.02);
    colour = vec4(surface * fog, 1.0);
}
