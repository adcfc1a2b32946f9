#include "gl/FullscreenQuad.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_Shader.h"
#include "support/GLTest.h"

using namespace qelFramework;
using Records = std::vector<std::string>;

namespace {

const char* const kVertex = "void main() { gl_Position = ftransform(); }";
const char* const kFragment = "uniform vec4 tint;\nvoid main() { gl_FragColor = tint * vec4(1.0, 0.5, 0.25, 1.0); }";

class Shaders : public qmtest::GLTest {
protected:

    // Records that start with `start` and go on (with the driver's log).
    int recorded(const std::string& start) const {
        int n = 0;
        for (const std::string& r : trace.records())
            n += r.rfind(start, 0) == 0 && r.size() > start.size();
        return n;
    }
};

} // namespace

TEST_F(Shaders, ABuiltProgramDrawsWithItsUniformsAndAMissingUniformWarns) {
    GL_Shader shader;
    shader.build("city shader", kVertex, kFragment);
    ASSERT_TRUE(shader.isValid);
    ASSERT_NE(shader.programName, 0u);
    EXPECT_EQ(shader.shaderNames.size(), 2u);
    EXPECT_EQ(recorded("INFO (shaderCompiler): (city shader) - shader created! (Log: "), 1);
    GLint tint = uniformLocation(shader, "tint");
    EXPECT_EQ(trace.records().size(), 1u);
    EXPECT_EQ(uniformLocation(shader, "gone"), -1);
    EXPECT_EQ(trace.records().back(),
              "WARNING (shaderAccess): unable to retrieve the following uniform variable: gone for shader: city shader");

    GL_FBOTexture target;
    ASSERT_TRUE(target.create(8, 8, 0));
    target.beginCapture();
    glUseProgram(shader.programName);
    glUniform4f(tint, 0.8f, 0.8f, 0.8f, 1.0f);
    drawFullscreenQuad(false);
    glUseProgram(0);
    EXPECT_EQ(qmtest::readFramebuffer(8, 8).count(204, 102, 51), 64);
    target.endCapture();
    target.release();
}

TEST_F(Shaders, ASyntaxErrorWarnsWithTheCompilerLogThenFailsTheProgram) {
    GL_Shader shader;
    shader.build("brokenShader", kVertex, "void main() { gl_FragColor = vec4(1.0) }");
    EXPECT_FALSE(shader.isValid);
    EXPECT_EQ(shader.programName, 0u);
    EXPECT_EQ(shader.shaderNames.size(), 1u); // the vertex stage compiled and stays recorded
    EXPECT_EQ(recorded("WARNING (shaderCompiler): (brokenShader) - Unable to compile shader source: "), 1);
    EXPECT_EQ(trace.records().back(), "ERROR (shaderCompiler): (brokenShader) - Unable to compile shader!");

    // Both stages are tried even when the first fails.
    trace.clear();
    GL_Shader both;
    both.build("twiceBroken", "void main() { x }", "void main() { y }");
    EXPECT_TRUE(both.shaderNames.empty());
    EXPECT_EQ(recorded("WARNING (shaderCompiler): (twiceBroken) - Unable to compile shader source: "), 2);

    // A program that compiles but does not link fails the same way.
    trace.clear();
    GL_Shader unlinked;
    unlinked.build("unlinked", "void helper();\nvoid main() { helper(); gl_Position = ftransform(); }", nullptr);
    EXPECT_EQ(unlinked.programName, 0u);
    EXPECT_EQ(recorded("WARNING (shaderCompiler): (unlinked) - Unable to link shader program: "), 1);
    EXPECT_EQ(trace.records().back(), "ERROR (shaderCompiler): (unlinked) - Unable to compile shader!");
}
