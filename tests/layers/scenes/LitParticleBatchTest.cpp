#include "gl/Billboards.h"
#include "gl/GL_MemTexture.h"
#include "gl/Random.h"
#include "layers/scenes/LitParticleBatch.h"
#include "support/GLTest.h"

#include <cstring>

using namespace qelFramework;

namespace {

constexpr int kSize = 64;
const float kLightA[3] = {0.1f, 0, 0}, kLightB[3] = {0, 0.1f, 0}, kLightC[3] = {0.05f, 0.1f, 0};

class Batch : public qmtest::GLTest {
protected:
    Batch() : GLTest(kSize, kSize) {}
    void SetUp() override {
        GLTest::SetUp();
        // 4 x 4 tiles of 16 pixels: tile 0 faces the viewer, tile 1 leans towards the upper
        // left (towards light A), the others are transparent.
        std::vector<unsigned char> rgba(64 * 64 * 4);
        for (int i = 0; i < 64 * 64; ++i) {
            int tile = (i / 64 / 16) * 4 + i % 64 / 16;
            const unsigned char flat[4] = {128, 128, 255, 255}, leaning[4] = {37, 218, 128, 255},
                                none[4] = {128, 128, 255, 0};
            std::memcpy(&rgba[i * 4], tile == 0 ? flat : tile == 1 ? leaning : none, 4);
        }
        atlas.upload(rgba.data(), 64, 64, GL_RGBA);
        LitParticleBatch::eyePos = Vector3{0, 0, -150};
        trace.clear();
    }
    void TearDown() override {
        LitParticleBatch::releaseSharedProgram();
        atlas.release();
        GLTest::TearDown();
    }

    // Sorts and draws the batch over black, x and y from -1 to 1, looking down -z.
    qmtest::Picture render(LitParticleBatch& batch, bool blend, bool zeroBasisFirst = false) {
        glClearColor(0, 0, 0, 1);
        return capture([&] {
            identityMatrices();
            glMatrixMode(GL_PROJECTION);
            glOrtho(-1, 1, -1, 1, -1000, 1000);
            glMatrixMode(GL_MODELVIEW);
            if (zeroBasisFirst) { // leaves a degenerate orientation in the billboards' copy
                glPushMatrix();
                glScalef(0, 0, 0);
                drawBillboardTile(0, 0, 0, 1, true, 0, 0, 1);
                glPopMatrix();
            }
            if (blend) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            }
            batch.copyAndSort();
            batch.draw();
            glDisable(GL_BLEND);
        });
    }

    GL_MemTexture atlas;
};

} // namespace

TEST_F(Batch, BatchesShareOneProgramAndSetFillsOneParticleInsideTheBatch) {
    LitParticleBatch batch, empty;
    ASSERT_TRUE(batch.create(&atlas, 20, kLightA, kLightB, kLightC));
    ASSERT_TRUE(empty.create(&atlas, 0, kLightA, kLightB, kLightC));
    std::vector<std::string> records = trace.records(); // built once, every uniform found
    ASSERT_EQ(records.size(), 1u) << trace.text();
    EXPECT_EQ(records[0].rfind("INFO (shaderCompiler): (particleShader) - shader created!", 0), 0u);
    EXPECT_EQ(std::make_tuple(batch.particles[6].u, batch.particles[6].v, batch.particles[17].v),
              std::make_tuple(0.5f, 0.25f, 0.0f));
    batch.particles[2].offset = Vector3{7, 8, 9};
    batch.set(2, 0.5f, Vector3{1, 2, 3}, Vector3{0, 0, 2}, Vector3{5, 2, 3}, 0.75f);
    const LitParticle& p = batch.particles[2];
    EXPECT_EQ(std::make_tuple(p.size, p.alpha, p.position.y, p.offset.z), std::make_tuple(0.5f, 0.75f, 2.0f, 9.0f));
    // normal x normalise(target - position) = (0, 0, 2) x (1, 0, 0)
    EXPECT_EQ(std::make_tuple(p.tangent.x, p.tangent.y, p.tangent.z), std::make_tuple(0.0f, 2.0f, 0.0f));

    std::vector<LitParticle> before = batch.particles;
    batch.set(20, 1, Vector3{1, 1, 1}, Vector3{1, 1, 1}, Vector3{0, 0, 0}, 1);
    batch.set(-1, 1, Vector3{1, 1, 1}, Vector3{1, 1, 1}, Vector3{0, 0, 0}, 1);
    EXPECT_EQ(std::memcmp(before.data(), batch.particles.data(), before.size() * sizeof(LitParticle)), 0);
    // A target on the particle leaves the tangent at zero rather than not-a-number.
    batch.set(0, 1, Vector3{1, 1, 1}, Vector3{0, 0, 1}, Vector3{1, 1, 1}, 1);
    EXPECT_EQ(std::make_pair(batch.particles[0].tangent.x, batch.particles[0].tangent.y), std::make_pair(0.0f, 0.0f));
    render(empty, false); // an empty batch draws without trouble
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Batch, TheDrawListRunsFromTheFarthestToTheNearestIgnoringOffsets) {
    LitParticleBatch batch;
    batch.create(&atlas, 500, kLightA, kLightB, kLightC);
    const Vector3 eye{3, -2, 10};
    LitParticleBatch::eyePos = eye;
    qelFramework::srand(77);
    for (LitParticle& p : batch.particles) {
        p.position = Vector3{qelFramework::rand() % 200 - 100.f, qelFramework::rand() % 200 - 100.f,
                             qelFramework::rand() % 200 - 100.f};
        p.offset = Vector3{-p.position.x * 2, -p.position.y * 2, -p.position.z * 2}; // would reverse the order
    }
    batch.copyAndSort();
    ASSERT_EQ(batch.drawList.size(), 500u);
    auto distance = [&eye](const LitParticle& p) {
        return vectorLength(Vector3{p.position.x - eye.x, p.position.y - eye.y, p.position.z - eye.z});
    };
    for (size_t k = 1; k < batch.drawList.size(); ++k)
        ASSERT_GE(distance(batch.drawList[k - 1]), distance(batch.drawList[k])) << k;
}

TEST_F(Batch, TheAtlasNormalsAreLitInTheTangentFrameAndHiddenParticlesAreSkipped) {
    LitParticleBatch batch;
    ASSERT_TRUE(batch.create(&atlas, 2, kLightA, kLightB, kLightC));
    // Facing the viewer; a target straight below makes the tangent +x.
    batch.set(0, 0.3f, Vector3{-0.5f, 0, -50}, Vector3{0, 0, 1}, Vector3{-0.5f, -10, -50}, 1);
    batch.set(1, 0.3f, Vector3{0.5f, 0, -50}, Vector3{0, 0, 1}, Vector3{0.5f, -10, -50}, 0.25f);
    qmtest::Picture p = render(batch, false);
    p.save("lit-particles");
    // Flat: only the viewer's light, 0.2 + lightC x 8. Leaning: only light A, 0.2 + lightA x 6.
    EXPECT_TRUE(p.is(16, 32, 153, 255, 51, 4));
    EXPECT_TRUE(p.is(48, 32, 204, 51, 51, 6));
    EXPECT_TRUE(p.is(32, 32, 0, 0, 0, 0));
    EXPECT_TRUE(p.is(16, 50, 0, 0, 0, 0));

    // Alpha: texture alpha x 2 x distance fade x alpha; 100 units from eyePos fade fully in.
    p = render(batch, true);
    EXPECT_TRUE(p.is(16, 32, 153, 255, 51, 4));
    EXPECT_TRUE(p.is(48, 32, 102, 26, 26, 4));
    LitParticleBatch::eyePos = Vector3{0.5f, 0, -75}; // 25 units: a quarter
    p = render(batch, true);
    EXPECT_TRUE(p.is(48, 32, 26, 6, 6, 3)) << int(p.at(48, 32)[0]);

    // A hidden particle gets neither a quad nor uniforms, even first in the draw list,
    // and the first one drawn reads a fresh orientation even after a degenerate one was
    // left behind.
    batch.particles[0].alpha = 0.3f;
    batch.set(1, 0.0f, Vector3{0.5f, 0, 50}, Vector3{0, 0, 1}, Vector3{10, 0, -50}, 0.9f);
    p = render(batch, false, true);
    EXPECT_TRUE(p.is(16, 32, 153, 255, 51, 4));
    EXPECT_TRUE(p.is(48, 32, 0, 0, 0, 0));
    int lit = kSize * kSize - p.count(0, 0, 0, 0);
    EXPECT_TRUE(lit >= 19 * 19 && lit <= 20 * 20) << lit << " pixels lit";
    GLfloat alpha = 0;
    glGetUniformfv(LitParticleBatch::sharedProgram().programName, batch.alphaLocation, &alpha);
    EXPECT_FLOAT_EQ(alpha, 0.3f);
    EXPECT_EQ(qmtest::integer(GL_CURRENT_PROGRAM), 0);
    LitParticleBatch::eyePos = Vector3{0.5f, 0, 60}; // and last in the draw list
    render(batch, false);
    glGetUniformfv(LitParticleBatch::sharedProgram().programName, batch.alphaLocation, &alpha);
    EXPECT_FLOAT_EQ(alpha, 0.3f);
}

