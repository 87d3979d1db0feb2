// Scene7.fx -- the greetings: the bar's name, read from the text target, is torn sideways by the
// noise at the start of the bar, settles readable in white over a warm grey haze, and tears
// again as the bar ends.
//
// a.x: the bar's sweep (-1.5 to 1.1), the tear being strongest away from 0; a.y: the haze's
// height, alternating from name to name; a.z: the haze's drift. b.x: the haze's swing, b.y: the
// name's vertical drift. c1, c2: haze colours; c3: the name's colour. f.w: the haze's glow.
// g.x: the aspect ratio.
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
layout(binding = 1) uniform sampler2D names;
in vec2 orb_vTexCoord;
out vec4 colour;

void main()
{
    vec2 uv = orb_vTexCoord;
    vec2 p = (uv * 2.0 - 1.0) * vec2(g.x, 1.0);

    vec2 drift = vec2(p.x * 0.2 + a.z * 0.05, p.y * 0.25 + a.y * 0.3) * 6.0;
    float haze = orb_noise(drift + b.x * 3.0) * 0.7 + orb_noise(drift * 2.5 + 7.0) * 0.3;
    haze = clamp((haze - 0.5) * 1.6 + 0.5, 0.0, 1.0);
    float band = exp(-4.0 * (p.y - a.y * 0.5) * (p.y - a.y * 0.5));
    vec3 picture = mix(c1.rgb * 0.35, c2.rgb, haze * band) * (0.4 + haze * 0.6) + c2.rgb * f.w * band * 0.5;

    // The name fills the target's width and its middle band of 1 / A rows; torn along its rows.
    float tear = a.x * a.x * 0.08;
    float rowNoise = orb_noise(vec2(uv.y * 18.0, (a.z * 0.1 + b.y) * 6.0)) - 0.5;
    vec2 page = vec2(uv.x + rowNoise * tear * 1.5, 0.5 + (uv.y - 0.5 + b.y * 0.05) / g.x);
    float name = texture(names, page).r;
    colour = vec4(picture + c3.rgb * name * (1.0 - min(tear * 3.0, 0.8)), 1.0);
}
