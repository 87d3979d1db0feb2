#include "platform/gfx/ShaderProgram.h"

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

std::unique_ptr<ShaderProgram> ShaderProgram::link(const std::string& vertexSource,
                                                   const std::string& fragmentSource, std::string* log,
                                                   std::weak_ptr<const void> contextLifetime)
{
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource, log);
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
