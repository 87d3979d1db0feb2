// Scene5.fx -- behind the invitation pages: slow clouds of grey smoke drifting past, lit orange
// from below, breathing with the beat; quiet enough for text to be read over them.
//
// a.x: the clouds' scale; a.y: their rise and fall; a.z: how far they have drifted. b.x: their
// sway. c1, c2: smoke and light colours; c3: the fade from and to white. f.y: the smoke's
// contrast, f.w: the light's strength, both pulsing. g.x: the aspect ratio.
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
    vec2 drift = vec2(a.z * 0.01 + b.x * 0.2, a.y * 0.1);
    float far = orb_fractal((p * 0.18 / a.x + drift) * 6.0, 2);
    float near = orb_noise((p * 0.4 / a.x + drift * 2.0) * 6.0 + a.z * 0.012);
    // The noise gathers around 0.5: spread it into smoke.
    float smoke = clamp((far - 0.5) * 1.2 + (near - 0.5) * 0.7 * f.y + 0.45, 0.0, 1.0);
    float light = clamp(0.8 - orb_vTexCoord.y * 0.9 + (near - 0.5) * 0.7, 0.0, 1.0);
    vec3 picture = c1.rgb * smoke * 0.6 + c2.rgb * light * light * smoke * (0.25 + f.w * 0.1);
    colour = vec4(picture * 0.8 + c3.rgb, 1.0);
}
