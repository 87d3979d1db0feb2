// GaussianBlur.fx -- one direction of a separable Gaussian blur on a quarter-size target.
//
// d.xy: one texel of the quarter-size image along the blur's direction ((4/W, 0) across,
// (0, 4/H) down). Nine texels (sigma of about two texels) are read in five bilinear taps
// placed between texel pairs. Texture coordinates arrive in full-size units, hence the 4.
@common
uniform vec4 d;

@pass 0
@state ZEnable = false
@state ZWriteEnable = false
@state AlphaBlendEnable = false
@state CullMode = None
@fragment
layout(binding = 0) uniform sampler2D source;
in vec2 orb_vTexCoord;
out vec4 blurred;

void main()
{
    vec2 centre = orb_vTexCoord * 4.0;
    const float offsets[3] = float[](0.0, 1.3846154, 3.2307692);
    const float weights[3] = float[](0.2270270, 0.3162162, 0.0702703);
    vec3 sum = texture(source, centre).rgb * weights[0];
    for (int i = 1; i < 3; ++i) {
        sum += texture(source, centre + d.xy * offsets[i]).rgb * weights[i];
        sum += texture(source, centre - d.xy * offsets[i]).rgb * weights[i];
    }
    blurred = vec4(sum, 1.0);
}
