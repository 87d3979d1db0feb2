// Scene2.fx -- behind the main logo: a dark floor of grey tiles turning with the logo's beat,
// orange waves running out from the middle through drifting haze; it burns white at the end.
//
// a.x: a swing across, one a bar or so; a.z: the scene's progress, two units a bar. b.z: the turn
// (a half turn a bar, the other way after bar 8, settling after bar 14). c1, c2: wave and tile
// colours; c3: the wash to white. f.x: the waves' travel; f.y: the tiles' edge; f.w: the glow.
// g.x: the aspect ratio. Stage 0: the noise volume, whose slow fractal shapes the haze; the
// tiles' shades come from the computed noise.
@common
uniform vec3 a;
uniform vec3 b;
uniform vec4 c1;
uniform vec4 c2;
uniform vec4 c3;
uniform vec4 f;
uniform vec4 g;

@pass 0
@state ZEnable = false
@state ZWriteEnable = false
@state AlphaBlendEnable = false
@state CullMode = None
@vertex
layout(location = 0) in vec4 position;
layout(location = 3) in vec2 texCoord;
out vec2 orb_vTexCoord;
// The tiles turn a little less than the beat, so they seem to lag behind it. The turn is the
// same for every pixel: worked out once a vertex, not once a pixel.
flat out mat2 turn;

void main()
{
    gl_Position = orb_pretransformed(position);
    orb_vTexCoord = texCoord;
    float angle = b.z * 0.125;
    turn = mat2(cos(angle), -sin(angle), sin(angle), cos(angle));
}
@fragment
layout(binding = 0) uniform sampler3D noise;
in vec2 orb_vTexCoord;
flat in mat2 turn;
out vec4 colour;

void main()
{
    vec2 p = (orb_vTexCoord * 2.0 - 1.0) * vec2(g.x, 1.0);
    float r = length(p);
    vec2 q = turn * p * (3.0 + a.x * 0.15);
    vec2 cell = floor(q);
    vec2 inCell = abs(fract(q) - 0.5);
    float edge = smoothstep(0.5 - f.y, 0.5 - f.y * 0.4, max(inCell.x, inCell.y));
    float shade = orb_noise(cell * 0.7 + a.z * 0.05);
    vec3 tiles = c2.rgb * (0.15 + shade * 0.35) * (1.0 - edge * 0.7);

    // Waves out from the middle, one a bar, sharpened by squaring.
    float wave = 0.5 + 0.5 * sin(r * 7.0 - f.x * 3.1415927);
    wave *= wave;
    wave *= wave;
    // The volume's values gather tightly around 0.45: spread them to the haze's range. The haze
    // drifts sideways and slowly through the volume's depth.
    vec3 drift = vec3(p * 0.35 + vec2(0.5 + a.z * 0.02, 0.5), 0.3 + a.z * 0.004);
    float haze = clamp(0.5 + (texture(noise, drift).r - 0.454) * 2.8, 0.0, 1.0);
    vec3 light = c1.rgb * wave * (0.25 + haze * 0.5) * f.w * 2.0 * clamp(1.3 - r * 0.6, 0.0, 1.0);
    float vignette = clamp(1.25 - r * 0.55, 0.0, 1.0);
    colour = vec4((tiles + light) * vignette + c3.rgb, 1.0);
}
