#include "gl/BlurPass.h"

#include "gl/FullscreenQuad.h"
#include "gl/GL_Shader.h"

namespace qelFramework {

namespace {

// A cross of 2 x 7 taps, each line weighted 1 6 15 20 15 6 1 over 64; the two lines
// together are halved, so a uniform image keeps its value.
const char* const kBlurFragmentSource = R"(
uniform sampler2D diffuse_tex;
uniform float blur_intensity;

void main()
{
	float d = 0.009 * blur_intensity;
	vec2 c = gl_TexCoord[0].st;
	vec4 sum = vec4(0.0);

	sum += texture2D(diffuse_tex, vec2(c.x, c.y - 3.0 * d)) * 0.015625;
	sum += texture2D(diffuse_tex, vec2(c.x, c.y - 2.0 * d)) * 0.09375;
	sum += texture2D(diffuse_tex, vec2(c.x, c.y - d)) * 0.234375;
	sum += texture2D(diffuse_tex, c) * 0.3125;
	sum += texture2D(diffuse_tex, vec2(c.x, c.y + d)) * 0.234375;
	sum += texture2D(diffuse_tex, vec2(c.x, c.y + 2.0 * d)) * 0.09375;
	sum += texture2D(diffuse_tex, vec2(c.x, c.y + 3.0 * d)) * 0.015625;

	sum += texture2D(diffuse_tex, vec2(c.x - 3.0 * d, c.y)) * 0.015625;
	sum += texture2D(diffuse_tex, vec2(c.x - 2.0 * d, c.y)) * 0.09375;
	sum += texture2D(diffuse_tex, vec2(c.x - d, c.y)) * 0.234375;
	sum += texture2D(diffuse_tex, c) * 0.3125;
	sum += texture2D(diffuse_tex, vec2(c.x + d, c.y)) * 0.234375;
	sum += texture2D(diffuse_tex, vec2(c.x + 2.0 * d, c.y)) * 0.09375;
	sum += texture2D(diffuse_tex, vec2(c.x + 3.0 * d, c.y)) * 0.015625;

	gl_FragColor = sum * 0.5;
}
)";

constexpr int kWorkSize = 512;
// Keeps an absurd intensity from looping (almost) forever; intensity 500 reaches it.
constexpr int kMaxPasses = 10000;

struct BlurState {
    GL_FBOTexture a;
    GL_FBOTexture b;
    GL_Shader shader;
    GLint intensityLocation = -1;
};

BlurState* g_blur = nullptr;

int passCount(float intensity) {
    float passes = intensity * 20.0f + 1.0f;
    if (!(passes > 0.0f)) // zero, negative or not a number: no pass
        return 0;
    return passes >= static_cast<float>(kMaxPasses) ? kMaxPasses : static_cast<int>(passes);
}

// One filtering pass: `from` drawn through the current program over the whole of `to`.
void filterPass(GL_FBOTexture& from, GL_FBOTexture& to) {
    from.bind(GL_TEXTURE0);
    to.beginCapture();
    glColor3f(1.0f, 1.0f, 1.0f);
    drawFullscreenQuad(false);
    to.endCapture();
    from.unbind();
}

} // namespace

bool initBlurPass() {
    if (g_blur)
        return true;
    g_blur = new BlurState();
    bool ok = g_blur->a.create(kWorkSize, kWorkSize, 1);
    ok = g_blur->b.create(kWorkSize, kWorkSize, 1) && ok;
    g_blur->shader.build("gltkBlurShader", kFullscreenQuadVertexSource, kBlurFragmentSource);
    g_blur->intensityLocation = uniformLocation(g_blur->shader, "blur_intensity");
    return ok && g_blur->shader.isValid;
}

void blurInto(GL_Texture& source, float intensity, GL_FBOTexture& destination) {
    if (!g_blur)
        return;
    BlurState& s = *g_blur;
    copyTexture(s.a, source);
    glUseProgram(s.shader.programName);
    int passes = passCount(intensity);
    for (int i = 0; i < passes; ++i) {
        glUniform1f(s.intensityLocation, intensity);
        if (i % 2 == 0)
            filterPass(s.a, s.b);
        else
            filterPass(s.b, s.a);
    }
    glUseProgram(0);
    copyTexture(destination, passes % 2 == 1 ? s.b : s.a);
}

void releaseBlurPass() {
    if (!g_blur)
        return;
    g_blur->a.release();
    g_blur->b.release();
    g_blur->shader.deleteObjects();
    delete g_blur;
    g_blur = nullptr;
}

} // namespace qelFramework
