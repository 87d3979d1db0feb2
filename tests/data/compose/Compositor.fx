// The compositor term by term, as first written: the look the production's compositor keeps while
// it folds the terms into fewer operations. Rendering with this one in its place must give the same
// pictures within 2/255.
@common
uniform vec4 d;
uniform vec4 c;

@pass 0
@state ZEnable = false
@state ZWriteEnable = false
@state AlphaBlendEnable = false
@state CullMode = None
@fragment
layout(binding = 0) uniform sampler2D frame;
layout(binding = 1) uniform sampler2D glowImage;
in vec2 orb_vTexCoord;
out vec4 colour;

void main()
{
    // Pixel centres meet the frame's texel centres exactly: fetching is filtering, only cheaper.
    vec3 sharp = texelFetch(frame, ivec2(gl_FragCoord.xy), 0).rgb * d.x;
    vec3 glow = texture(glowImage, orb_vTexCoord).rgb * d.y;
    vec3 picture = sharp + glow * (0.05 * c.x + 0.2 * c.y);
    picture = mix(picture, 0.5 * (sharp + glow), 0.25 * c.z);
    picture *= 1.0 + d.w * (1.0 + 3.0 * c.w);
    picture += glow * max(d.z, 0.0);
    picture /= max(max(max(picture.r, picture.g), picture.b), 1.0);
    float wash = smoothstep(0.0, 1.0, clamp(d.z, 0.0, 1.0));
    colour = vec4(mix(picture, vec3(1.0), wash), 1.0);
}
