#include "platform/gfx/ShaderProgram.h"

#include "platform/gfx/WorkCounters.h"

namespace orb::gfx {

namespace {

std::string infoLog(GLuint object, bool program)
{
    GLint length = 0;
    program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length)
            : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length), '\0');
    if (length > 0) {
        program ? glGetProgramInfoLog(object, length, nullptr, log.data())
                : glGetShaderInfoLog(object, length, nullptr, log.data());
        log.resize(static_cast<std::size_t>(length - 1));
    }
    while (!log.empty() && (log.back() == '\n' || log.back() == ' '))
        log.pop_back();
    return log;
}

GLuint compile(GLenum stage, const std::string& source, std::string* log)
{
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
        return shader;
    if (log != nullptr)
        *log += (stage == GL_VERTEX_SHADER ? "vertex stage: " : "fragment stage: ") + infoLog(shader, false);
    glDeleteShader(shader);
    return 0;
}

} // namespace

namespace {

// Direct3D 9 puts pixel centres on whole window coordinates, OpenGL half a pixel further on. Every
// vertex stage is moved by that half pixel, so that pictures drawn with Direct3D's half-texel
// offsets land texel for pixel, as they were made to. The move is 63/128 of a pixel rather than
// 1/2: an edge on a whole coordinate then covers the pixels Direct3D's top-left rule gives it,
// where an exact half would leave the tie to OpenGL's rule, which the flipped rows turn upside
// down. The stage's own main runs first. The instance number goes along for instanced draws.
// orb_pretransformed places a pre-transformed vertex (pixels with centres on whole numbers, rhw 0
// counting as 1) for every stage that draws them; the 1/128 pixel it adds makes the move above
// the exact half pixel, so that such draws sample texel centres exactly.
std::string withDirect3DPixelCentres(const std::string& vertexSource)
{
    const std::size_t afterVersion = vertexSource.find('\n') + 1; // #version stays the first line
    return vertexSource.substr(0, afterVersion) +
           "#define main orb_stageMain\nuniform vec2 orb_ViewportSize;\nflat out int orb_vInstance;\n"
           "vec4 orb_pretransformed(vec4 position)\n"
           "{\n"
           "    float w = position.w == 0.0 ? 1.0 : 1.0 / position.w;\n"
           "    vec2 pixel = position.xy + 1.0 / 128.0;\n"
           "    vec2 ndc = vec2(pixel.x / orb_ViewportSize.x * 2.0 - 1.0, 1.0 - pixel.y / orb_ViewportSize.y "
           "* 2.0);\n"
           "    return vec4(ndc * w, position.z * w, w);\n"
           "}\n" +
           vertexSource.substr(afterVersion) +
           "\n#undef main\n"
           "void main()\n"
           "{\n"
           "    orb_vInstance = gl_InstanceID;\n"
           "    orb_stageMain();\n"
           "    gl_Position.xy += vec2(63.0 / 64.0, -63.0 / 64.0) / orb_ViewportSize * gl_Position.w;\n"
           "}\n";
}

} // namespace

std::unique_ptr<ShaderProgram> ShaderProgram::link(const std::string& vertexSource,
                                                   const std::string& fragmentSource, std::string* log,
                                                   std::weak_ptr<const void> contextLifetime)
{
    const GLuint vertex = compile(GL_VERTEX_SHADER, withDirect3DPixelCentres(vertexSource), log);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource, log);
    if (vertex == 0 || fragment == 0) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return nullptr;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        if (log != nullptr)
            *log += "link: " + infoLog(program, true);
        glDeleteProgram(program);
        return nullptr;
    }
    countWork(Work::ProgramLinked);
    return std::unique_ptr<ShaderProgram>(new ShaderProgram(program, std::move(contextLifetime)));
}

ShaderProgram::ShaderProgram(GLuint name, std::weak_ptr<const void> contextLifetime)
    : name_(name), contextLifetime_(std::move(contextLifetime)),
      worldViewProjection_(glGetUniformLocation(name, "orb_WorldViewProjection")),
      viewportSize_(glGetUniformLocation(name, "orb_ViewportSize"))
{}

ShaderProgram::~ShaderProgram()
{
    if (!contextLifetime_.expired())
        glDeleteProgram(name_);
}

} // namespace orb::gfx
