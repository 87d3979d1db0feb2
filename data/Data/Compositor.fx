// Compositor.fx -- lays the glow over the sharp frame and washes the picture out.
//
// Stage 0: the sharp frame. Stage 1: the blurred glow (quarter size, upsampled bilinearly).
// d.x  brightness of the sharp frame (1 keeps it as drawn)
// d.y  glow strength (2 or 3 in the production)
// d.z  wash-out: 0 leaves the picture, rising towards 1 it brightens to white, glowing parts
//      first; 1 and beyond is white
// d.w  flicker: a brightness change for the whole frame, set anew by the scene every frame
// c.x  bloom: a little glow on the highlights (1, 0, 0, 0 is the plain look)
// c.y  halo: the full glow added on top
// c.z  veil: the picture partly softened towards its blurred copy
// c.w  how strongly d.w flickers (1 is four times as strong as 0)
// Colours pushed past white are scaled back as a whole, so a glowing orange stays orange.
// No per-pixel noise is added, so a still picture does not shimmer.
@common
uniform vec4 d;
uniform vec4 c;

@pass 0
@state ZEnable = false
@state ZWriteEnable = false
@state AlphaBlendEnable = false
@state CullMode = None
@vertex
layout(location = 0) in vec4 position;
layout(location = 3) in vec2 texCoord;
out vec2 glowCoord;
// What the values make of the two images, the same for every pixel: worked out once a vertex, not
// once a pixel. The glow's three uses (bloom and halo, the veil's softening, the wash) and the
// flicker fold into one scale for each image.
flat out float sharpScale;
flat out float glowScale;
flat out float wash;

void main()
{
    gl_Position = orb_pretransformed(position);
    glowCoord = texCoord;
    float veil = 0.25 * c.z;
    float flicker = 1.0 + d.w * (1.0 + 3.0 * c.w);
    sharpScale = d.x * flicker * (1.0 - 0.5 * veil);
    glowScale = d.y * (flicker * ((1.0 - veil) * (0.05 * c.x + 0.2 * c.y) + 0.5 * veil) + max(d.z, 0.0));
    wash = smoothstep(0.0, 1.0, clamp(d.z, 0.0, 1.0));
}
@fragment
layout(binding = 0) uniform sampler2D frame;
layout(binding = 1) uniform sampler2D glowImage;
in vec2 glowCoord;
flat in float sharpScale;
flat in float glowScale;
flat in float wash;
out vec4 colour;

void main()
{
    // Pixel centres meet the frame's texel centres exactly: fetching is filtering, only cheaper.
    vec3 picture = texelFetch(frame, ivec2(gl_FragCoord.xy), 0).rgb * sharpScale +
                   texture(glowImage, glowCoord).rgb * glowScale;
    // Scaled back below white as a whole, then mixed towards white by the wash, in one step.
    float keep = (1.0 - wash) / max(max(max(picture.r, picture.g), picture.b), 1.0);
    colour = vec4(picture * keep + wash, 1.0);
}
