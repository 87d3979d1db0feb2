// Downsample4x4.fx -- reduces the frame to a quarter of its size in each direction and keeps
// only what is bright enough to glow.
//
// d.xy: one texel of the full-size frame. d.z: the glow threshold; the part of each colour
// above it, rescaled to 0..1, is what glows (0 lets everything glow, 0.3 only highlights).
// The triangle's texture coordinates are in full-size units, so this quarter-size target's
// pixel (x, y) reads the 4 x 4 block of the frame whose centre is 4 times its coordinate.
@common
uniform vec4 d;

@pass 0
@state ZEnable = false
@state ZWriteEnable = false
@state AlphaBlendEnable = false
@state CullMode = None
@fragment
layout(binding = 0) uniform sampler2D frame;
in vec2 orb_vTexCoord;
out vec4 glow;

void main()
{
    vec2 centre = orb_vTexCoord * 4.0;
    // Four bilinear taps between texels average the sixteen texels of the block.
    vec3 sum = texture(frame, centre + vec2(-d.x, -d.y)).rgb + texture(frame, centre + vec2(d.x, -d.y)).rgb +
               texture(frame, centre + vec2(-d.x, d.y)).rgb + texture(frame, centre + vec2(d.x, d.y)).rgb;
    float threshold = clamp(d.z, 0.0, 0.95);
    glow = vec4(max(sum * 0.25 - threshold, 0.0) / (1.0 - threshold), 1.0);
}
