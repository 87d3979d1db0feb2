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
in vec2 orb_vTexCoord;
out vec4 colour;

void main()
{
    vec2 p = (orb_vTexCoord * 2.0 - 1.0) * vec2(g.x, 1.0) + vec2(a.x, b.y) * 0.5;
    float angle = atan(p.y, p.x) + b.x + b.z * 0.05;
    float r = length(p);

    // Powers by squaring: a software renderer's pow costs a logarithm and an exponential.
    float beams = 0.5 + 0.5 * cos(angle * 9.0);
    beams *= beams * beams; // cubed, then squared: to the 6th
    beams *= beams * clamp(1.2 - r * 0.6, 0.0, 1.0);
    float rings = 1.0 - abs(fract(r * 2.0 - a.z * 0.125) * 2.0 - 1.0);
    rings *= rings * rings;
    rings *= rings;
    rings *= rings; // to the 12th
    // The angle, wrapped to a half turn either way, folds at the seam: the smoke meets itself there
    // without a step.
    float folded = abs(mod(angle + 3.1415927, 6.2831853) - 3.1415927);
    float smoke = orb_noise(vec2(folded * 1.9, (r * 0.35 - a.z * 0.02) * 6.0) + b.z * 0.09);
    smoke = clamp((smoke - 0.5) * 1.6 + 0.5, 0.0, 1.0);

    vec3 picture = c2.rgb * smoke * f.w + c1.rgb * (beams * f.y + rings * 0.5);
    // The negative inverts brightness but keeps the colour's hue.
    float luminance = dot(picture, vec3(0.299, 0.587, 0.114));
    vec3 negative = clamp(picture + vec3(1.0 - 2.0 * luminance), 0.0, 1.0);
    colour = vec4(mix(picture, negative, invert) + c3.rgb * 0.6, 1.0);
}
