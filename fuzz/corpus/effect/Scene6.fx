// Scene6.fx -- a flight down a tunnel carved out of lattice noise: orange veins in grey rock,
// bright rings passing on the beat, the far end lost in black.
//
// a.z: how far the flight has gone. b.x: the tunnel's sway; b.y: the bar count, turning the
// walls a step each bar; b.z: the scene's progress (0 to 1). c1, c2: vein and rock colours.
// f.x: how dense the veins grow; f.y: their contrast. g.x: the aspect ratio.
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
@fragment
in vec2 orb_vTexCoord;
out vec4 colour;

void main()
{
    vec2 p = (orb_vTexCoord * 2.0 - 1.0) * vec2(g.x, 1.0);
    p.x += b.x * 0.3;
    float r = max(length(p), 0.05);
    // The angle folds at the seam, so the noise meets itself there without a step.
    float around = abs(atan(p.y, p.x)) / 3.1415927 + b.y * 0.0625;
    float depth = 1.0 / r + a.z * 0.25;

    // Lattice noise: one cell spans a sixth of the half turn; the rock shifts as the scene goes on.
    vec2 wall = vec2(around * 6.0, depth * 0.5);
    float rock = orb_noise(wall + vec2(0.0, b.z * 4.0));
    float vein = orb_noise(wall * 2.0 + 0.5);
    float detail = orb_noise(wall * vec2(5.0, 3.0) + 9.0);

    // Thin veins where the noise crosses its middle (its values gather around 0.5); they thicken
    // as the scene goes on.
    float width = 0.04 + f.x * 0.06;
    float veins = 1.0 - smoothstep(width, width + 0.05 + f.y * 0.05, abs((vein - 0.5) * 4.0 + (detail - 0.5) * 2.0));
    vec3 rockColour = mix(c2.rgb * (0.1 + rock * rock * 0.8) * (0.6 + detail * 0.8), c1.rgb * 1.2, veins);
    // A ring of light every two units of depth, sharp and short-lived.
    // (Powers by squaring: a software renderer's pow costs a logarithm and an exponential.)
    float ring = 1.0 - abs(fract(depth * 0.5) * 2.0 - 1.0);
    ring *= ring;
    ring *= ring;
    ring *= ring;
    ring *= ring * ring; // to the 24th
    rockColour += c1.rgb * ring * f.z * 0.8;
    // The far end is dark; the near walls are lit.
    float light = clamp(r * 1.1, 0.0, 1.0);
    colour = vec4(rockColour * light * light + c3.rgb * c3.w, 1.0);
}
