#pragma once
// One GLSL program built from a vertex and a fragment source carried in the code.
// Callers make it current with glUseProgram(programName) and set uniforms themselves,
// on locations looked up once right after build() with uniformLocation().
#include "gl/GLHeaders.h"

#include <vector>

namespace qelFramework {

class GL_Shader {
public:
    GL_Shader();
    GL_Shader(const GL_Shader&) = delete;
    GL_Shader& operator=(const GL_Shader&) = delete;
    // Deletes the shader objects and the program.
    virtual ~GL_Shader();

    // Compiles the given stages (a null source skips its stage) and links them. Writes
    // "(%s) - shader created! (Log: %s)" (INFO) on success; a stage that does not compile
    // writes a WARNING with the compiler's log, then the build writes
    // "(%s) - Unable to compile shader!" (ERROR), deletes the program and sets
    // programName to 0. A program that does not link is treated the same way.
    void build(const char* name, const char* vertexSource, const char* fragmentSource);

    // Compiles one stage (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER) and attaches it to the
    // program; on failure writes the WARNING and returns false, attaching nothing.
    bool compileStage(GLenum type, const char* name, const char* source);

    // Deletes the shader objects and the program now; the destructor then has nothing left.
    void deleteObjects();

    GLuint programName = 0;
    bool isValid = false;
    std::vector<GLuint> shaderNames; // in the order attached
    char name[64];                   // display name for the log
};

// The uniform's location in the shader's program; when there is none, writes
// "unable to retrieve the following uniform variable: %s for shader: %s" (WARNING, tag
// "shaderAccess") and returns -1, which later glUniform calls ignore.
GLint uniformLocation(const GL_Shader& shader, const char* uniformName);

} // namespace qelFramework
