// GaussianBlur.fx -- one direction of a separable Gaussian blur on a quarter-size target.
//
// d.xy: one texel of the quarter-size image along the blur's direction ((4/W, 0) across,
// (0, 4/H) down); only its direction is used. Nine texels (sigma of about two texels) are fetched
// one by one, which a software renderer does faster than five filtered taps between texel pairs;
// the edge texel repeats beyond the border, as a clamping sampler would.
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
    const float weights[5] = float[](0.2270270, 0.1945946, 0.1216216, 0.0540541, 0.0162162);
    ivec2 last = textureSize(source, 0) - 1;
    ivec2 centre = ivec2(gl_FragCoord.xy);
    ivec2 step = ivec2(d.x > 0.0 ? 1 : 0, d.y > 0.0 ? 1 : 0);
    vec3 sum = texelFetch(source, centre, 0).rgb * weights[0];
    for (int i = 1; i < 5; ++i) {
        sum += texelFetch(source, clamp(centre + step * i, ivec2(0), last), 0).rgb * weights[i];
        sum += texelFetch(source, clamp(centre - step * i, ivec2(0), last), 0).rgb * weights[i];
    }
    blurred = vec4(sum, 1.0);
}
