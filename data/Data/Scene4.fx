// Scene4.fx -- pass 0: behind the sprite, a slow sea of grey light cells in rows that scroll and
// sway, with orange glints flaring among them; pass 1: the sprite's cubes, dark grey blocks lit
// orange from the side and white from the front.
//
// Pass 0 is drawn after the cubes, at the far plane, and tests depth: it shades only the pixels
// they leave. Its values -- a.y: the rows' rise and fall; a.z: the scroll, a unit a bar with a
// kick on the beat. b.x, b.y: the sway across and up; b.z: a slow turn. c1, c2: glint and cell colours; c3: the
// fade from white and the wash to white. f.x: the glints' drift; f.y: the cells' brightness;
// f.w: the glints' strength. g.x: the aspect ratio. Stage 0: the noise volume, whose slow
// fractal sets the cells' brightness across the sea; the glints come from the computed noise.
// Pass 1 -- world, view, projection; ambient, diffuse, specular, power.
@common
uniform vec3 a;
uniform vec3 b;
uniform vec4 c1;
uniform vec4 c2;
uniform vec4 c3;
uniform vec4 f;
uniform vec4 g;
uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform float power;

@pass 0
@state ZEnable = true
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
    float angle = b.z * 0.25;
    turn = mat2(cos(angle), -sin(angle), sin(angle), cos(angle));
}
@fragment
layout(binding = 0) uniform sampler3D noise;
in vec2 orb_vTexCoord;
flat in mat2 turn;
out vec4 colour;

void main()
{
    vec2 p = (orb_vTexCoord * 2.0 - 1.0) * vec2(g.x, 1.0);
    p = turn * p + vec2(b.x, b.y * 0.3);
    // Cells in rows: every other row runs the other way.
    vec2 grid = p * 9.0 + vec2(0.0, a.y * 2.0);
    float row = floor(grid.y);
    grid.x += a.z * (mod(row, 2.0) * 2.0 - 1.0) * 1.5;
    vec2 cell = floor(grid);
    vec2 inCell = abs(fract(grid) - 0.5);
    float square = 1.0 - smoothstep(0.3, 0.38, max(inCell.x, inCell.y));
    // The volume's values gather tightly around 0.45: spread them to the cells' range.
    vec3 across = vec3(cell * 0.05 + 0.5, 0.5) + vec3(0.0, a.z * 0.02, a.z * 0.003);
    float level = clamp(0.5 + (texture(noise, across).r - 0.454) * 3.0, 0.0, 1.0);
    vec3 cells = c2.rgb * square * (0.08 + level * 0.5 * f.y);
    // A few cells glint orange: those whose noise runs high.
    float glint = smoothstep(0.72, 0.9, orb_noise(cell * 0.9 + f.x * 3.0 + 11.0)) * square;
    float vignette = clamp(1.3 - length(p) * 0.5, 0.0, 1.0);
    colour = vec4((cells + c1.rgb * glint * (0.3 + f.w)) * vignette + c3.rgb, 1.0);
}

@pass 1
@state ZEnable = true
@state ZWriteEnable = true
@state AlphaBlendEnable = false
@state CullMode = None
@vertex
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
out vec3 viewPosition;
out vec3 viewNormal;
void main()
{
    vec4 seen = vec4(position, 1.0) * world * view;
    viewPosition = seen.xyz;
    viewNormal = (vec4(normal, 0.0) * world * view).xyz;
    gl_Position = seen * projection;
}
@fragment
in vec3 viewPosition;
in vec3 viewNormal;
out vec4 colour;

void main()
{
    vec3 n = normalize(viewNormal);
    vec3 eye = normalize(-viewPosition);
    n = dot(n, eye) < 0.0 ? -n : n;
    vec3 side = normalize(vec3(-0.8, 0.5, -0.3));
    vec3 front = normalize(vec3(0.3, 0.4, -1.0));
    float warm = max(dot(n, side), 0.0);
    float cool = max(dot(n, front), 0.0);
    float h = max(dot(n, normalize(front + eye)), 0.0);
    vec3 lit = ambient.rgb + diffuse.rgb * (0.3 + cool) + vec3(1.0, 0.59, 0.0) * warm * 0.8;
    colour = vec4(lit + specular.rgb * pow(h, max(power, 1.0)) * 0.6, 1.0);
}
