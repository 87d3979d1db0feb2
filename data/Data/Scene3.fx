// Scene3.fx -- the trophy, the flying cubes, the pedestal and the floor, lit as polished metal:
// two lights fixed in the world (a key high on one side, a fill low on the other), a sharp white
// highlight, a bright rim where the surface turns away from the camera, and a soft
// reflection of an orange horizon; far surfaces fade into black.
//
// Pass 0 draws curved surfaces (the trophy), pass 1 flat-faced ones (the boxes): a face's normal
// and its diffuse light are the same at every pixel, so they are found once a vertex.
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

// The lights, turned into view space.
vec3 keyLight() { return normalize((vec4(0.6, 1.0, -0.5, 0.0) * view).xyz); }
vec3 fillLight() { return normalize((vec4(-0.8, 0.2, 0.6, 0.0) * view).xyz); }

// The diffuse light on a surface facing n.
float diffuseLight(vec3 n, vec3 key, vec3 fill)
{
    return max(dot(n, key), 0.0) + 0.35 * max(dot(n, fill), 0.0);
}

// A surface facing n (towards the eye), lit by `lit`.
vec4 metal(vec3 n, float lit, vec3 eye, vec3 key, vec3 up, vec3 viewPosition, vec3 worldPosition)
{
    // One sharp highlight, from the key light.
    vec3 shine = specular.rgb * pow(max(dot(n, normalize(key + eye)), 0.0), max(power, 1.0));
    // A horizon reflected in the metal: orange below, dark above, by the reflected ray's height.
    float height = dot(reflect(-eye, n), up);
    vec3 horizon = mix(vec3(1.0, 0.59, 0.0) * 0.5, vec3(0.06), smoothstep(-0.2, 0.4, height));
    float facing = 1.0 - max(dot(n, eye), 0.0);
    float rim = facing * facing * facing;

    // The floor and pedestal carry a faint grain, so their size reads.
    float grain = 0.85 + 0.3 * orb_noise(worldPosition.xz * 1.5);
    vec3 surface = ambient.rgb + diffuse.rgb * (0.06 + 0.7 * lit) * grain + shine;
    surface += diffuse.rgb * horizon * 0.6 + vec3(1.0, 0.59, 0.0) * rim * 0.35;
    float fog = exp(-max(length(viewPosition) - 30.0, 0.0) * 0.02);
    return vec4(surface * fog, 1.0);
}

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
// The lights and the world's up, turned into view space once a vertex rather than once a pixel.
flat out vec3 key;
flat out vec3 fill;
flat out vec3 up;
void main()
{
    vec4 placed = vec4(position, 1.0) * world;
    vec4 seen = placed * view;
    worldPosition = placed.xyz;
    viewPosition = seen.xyz;
    viewNormal = (vec4(normal, 0.0) * world * view).xyz;
    key = keyLight();
    fill = fillLight();
    up = (vec4(0.0, 1.0, 0.0, 0.0) * view).xyz;
    gl_Position = seen * projection;
}
@fragment
in vec3 viewPosition;
in vec3 viewNormal;
in vec3 worldPosition;
flat in vec3 key;
flat in vec3 fill;
flat in vec3 up;
out vec4 colour;
void main()
{
    vec3 n = normalize(viewNormal);
    vec3 eye = normalize(-viewPosition);
    // Both faces of an open cup are lit: turn the normal towards the eye.
    n = dot(n, eye) < 0.0 ? -n : n;
    colour = metal(n, diffuseLight(n, key, fill), eye, key, up, viewPosition, worldPosition);
}

@pass 1
@state ZEnable = true
@state ZWriteEnable = true
@state AlphaBlendEnable = false
@state CullMode = None
@vertex
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
out vec3 viewPosition;
out vec3 worldPosition;
flat out vec3 faceNormal;
// The diffuse light on the face's front and on its back.
flat out vec2 faceLight;
flat out vec3 key;
flat out vec3 up;
void main()
{
    vec4 placed = vec4(position, 1.0) * world;
    vec4 seen = placed * view;
    worldPosition = placed.xyz;
    viewPosition = seen.xyz;
    faceNormal = normalize((vec4(normal, 0.0) * world * view).xyz);
    key = keyLight();
    vec3 fill = fillLight();
    faceLight = vec2(diffuseLight(faceNormal, key, fill), diffuseLight(-faceNormal, key, fill));
    up = (vec4(0.0, 1.0, 0.0, 0.0) * view).xyz;
    gl_Position = seen * projection;
}
@fragment
in vec3 viewPosition;
in vec3 worldPosition;
flat in vec3 faceNormal;
flat in vec2 faceLight;
flat in vec3 key;
flat in vec3 up;
out vec4 colour;
void main()
{
    vec3 eye = normalize(-viewPosition);
    bool front = dot(faceNormal, eye) >= 0.0;
    colour = metal(front ? faceNormal : -faceNormal, front ? faceLight.x : faceLight.y, eye, key, up,
                   viewPosition, worldPosition);
}
