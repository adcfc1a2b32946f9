#include "gl/GL_Shader.h"

#include "base/Trace.h"

#include <cstdio>

namespace qelFramework {

namespace {
constexpr const char* kTag = "shaderCompiler";
constexpr GLsizei kLogSize = 4096;
} // namespace

GL_Shader::GL_Shader() { name[0] = '\0'; }

GL_Shader::~GL_Shader() { deleteObjects(); }

void GL_Shader::deleteObjects() {
    // Nothing to do (and no GL call, which would need a context) for an unbuilt shader.
    if (shaderNames.empty() && programName == 0)
        return;
    for (GLuint shader : shaderNames)
        glDeleteShader(shader);
    if (programName != 0)
        glDeleteProgram(programName);
    shaderNames.clear();
    programName = 0;
    isValid = false;
}

void GL_Shader::build(const char* displayName, const char* vertexSource, const char* fragmentSource) {
    programName = glCreateProgram();
    std::snprintf(name, sizeof(name), "%s", displayName ? displayName : "");
    if (!glIsProgram(programName))
        return;

    isValid = true;
    if (vertexSource)
        isValid = compileStage(GL_VERTEX_SHADER, name, vertexSource) && isValid;
    if (fragmentSource)
        isValid = compileStage(GL_FRAGMENT_SHADER, name, fragmentSource) && isValid;
    glLinkProgram(programName);

    char log[kLogSize];
    log[0] = '\0';
    glGetProgramInfoLog(programName, kLogSize, nullptr, log);

    // A program that compiled but does not link cannot draw; it fails like a compile error.
    GLint linked = GL_FALSE;
    glGetProgramiv(programName, GL_LINK_STATUS, &linked);
    if (isValid && !linked) {
        Trace::write(Trace::Warning, kTag, "(%s) - Unable to link shader program: %s", name, log);
        isValid = false;
    }

    if (isValid) {
        Trace::write(Trace::Info, kTag, "(%s) - shader created! (Log: %s)", name, log);
    } else {
        Trace::write(Trace::Error, kTag, "(%s) - Unable to compile shader!", name);
        glDeleteProgram(programName);
        isValid = false;
        programName = 0;
    }
}

bool GL_Shader::compileStage(GLenum type, const char* displayName, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 0) {
        char log[kLogSize];
        log[0] = '\0';
        glGetShaderInfoLog(shader, kLogSize, nullptr, log);
        Trace::write(Trace::Warning, kTag, "(%s) - Unable to compile shader source: %s", displayName, log);
        // The failed object is neither attached nor kept.
        glDeleteShader(shader);
        return false;
    }
    glAttachShader(programName, shader);
    shaderNames.push_back(shader);
    return true;
}

GLint uniformLocation(const GL_Shader& shader, const char* uniformName) {
    GLint location = shader.programName != 0 ? glGetUniformLocation(shader.programName, uniformName) : -1;
    if (location == -1)
        Trace::write(Trace::Warning, "shaderAccess", "unable to retrieve the following uniform variable: %s for shader: %s",
                     uniformName, shader.name);
    return location;
}

} // namespace qelFramework
