// Scene8.fx -- a flight low over an endless lit grid under a grid ceiling, the lines flaring on
// every kick; shown in negative: a pale sky, the structure dark, the orange kept.
//
// a.x: the sideways swing; a.z: how far the flight has gone. b.y: the grid's turn; b.z: the bar.
// c1, c2: line and cell colours; c3: the fade to white. f.x: the cells' noise drift; f.y, f.w:
// line width and glow, which dip on the kick. g.x: the aspect ratio. invert: 1 shows the negative.
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
@vertex
layout(location = 0) in vec4 position;
layout(location = 3) in vec2 texCoord;
out vec2 orb_vTexCoord;
// The turn is the same for every pixel: worked out once a vertex, not once a pixel.
flat out mat2 turn;

void main()
{
    gl_Position = orb_pretransformed(position);
    orb_vTexCoord = texCoord;
    float angle = b.y * 0.25;
    turn = mat2(cos(angle), -sin(angle), sin(angle), cos(angle));
}
@fragment
in vec2 orb_vTexCoord;
flat in mat2 turn;
out vec4 colour;

void main()
{
    vec2 p = (orb_vTexCoord * 2.0 - 1.0) * vec2(g.x, 1.0);
    p = turn * p;
    float height = max(abs(p.y), 0.02);
    // Floor below, ceiling above: the same grid seen in perspective.
    float depth = 1.0 / height;
    vec2 ground = vec2(p.x * depth + a.x * 4.0, depth + a.z);

    vec2 cell = abs(fract(ground) - 0.5);
    float width = 0.03 + (0.7 - f.y) * 0.3;
    // Far lines blur into their cells rather than shimmer.
    float lines = 1.0 - smoothstep(width, width + 0.02 * depth, 0.5 - max(cell.x, cell.y));
    // One shade per cell, drifting slowly from cell to cell.
    float stone = orb_noise(floor(ground) * 0.2 + f.x * 0.06 + b.z * 0.06);
    float shade = clamp((stone - 0.5) * 0.9 + 0.4, 0.0, 1.0);
    vec3 picture = c2.rgb * shade + c1.rgb * lines * (1.2 - f.w);
    // The horizon swallows the grid.
    picture *= clamp(height * 2.5, 0.0, 1.0);

    // The negative inverts brightness but keeps the colour's hue.
    float luminance = dot(picture, vec3(0.299, 0.587, 0.114));
    vec3 negative = clamp(picture + vec3(1.0 - 2.0 * luminance), 0.0, 1.0);
    colour = vec4(mix(picture, negative * 0.85, invert) + c3.rgb, 1.0);
}
