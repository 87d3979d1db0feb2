// Scene9.fx -- the credits' background: a slow star of orange beams over grey smoke, rings
// running out from the middle with the flight; on the flashes it turns over, inverts and burns
// orange.
//
// a.x, b.y: the middle's sway; a.z: how far the flight has gone. b.x: pi on a flash, turning the
// star half over; b.z: the bar. c1, c2: beam and smoke colours; c3: the flash's orange or the
// fade to white. f.y: the beams' strength, f.w: the smoke's, both pulsing with the beat.
// g.x: the aspect ratio. invert: 1 on a flash.
@common
uniform vec3 a;
uniform vec3 b;
uniform vec4 c1;
uniform vec4 c2;
uniform vec4 c3;
uniform vec4 f;
uniform vec4 g;
uniform float invert;

@pass 0
@state ZEnable = false
@state ZWriteEnable = false
@state AlphaBlendEnable = false
@state CullMode = None
@fragment
layout(binding = 0) uniform sampler3D noise;
in vec2 orb_vTexCoord;
out vec4 colour;

void main()
{
    vec2 p = (orb_vTexCoord * 2.0 - 1.0) * vec2(g.x, 1.0) + vec2(a.x, b.y) * 0.5;
    float angle = atan(p.y, p.x) + b.x + b.z * 0.05;
    float r = length(p);

    float beams = pow(0.5 + 0.5 * cos(angle * 9.0), 6.0) * clamp(1.2 - r * 0.6, 0.0, 1.0);
    float rings = pow(1.0 - abs(fract(r * 2.0 - a.z * 0.125) * 2.0 - 1.0), 12.0);
    // The volume's values gather around 0.5: spread them into smoke.
    float smoke = texture(noise, vec3(abs(angle) * 0.3183099, r * 0.35 - a.z * 0.02, b.z * 0.015)).r;
    smoke = clamp((smoke - 0.5) * 4.0 + 0.5, 0.0, 1.0);

    vec3 picture = c2.rgb * smoke * f.w + c1.rgb * (beams * f.y + rings * 0.5);
    // The negative inverts brightness but keeps the colour's hue.
    float luminance = dot(picture, vec3(0.299, 0.587, 0.114));
    vec3 negative = clamp(picture + vec3(1.0 - 2.0 * luminance), 0.0, 1.0);
    colour = vec4(mix(picture, negative, invert) + c3.rgb * 0.6, 1.0);
}
