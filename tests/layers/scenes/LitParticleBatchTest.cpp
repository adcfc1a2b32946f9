#include "app/Trace.h"
#include "gl/Billboards.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_MemTexture.h"
#include "gl/GLTestHelpers.h"
#include "gl/Random.h"
#include "layers/scenes/LitParticleBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace qelFramework;

namespace {

constexpr int kSize = 64;
const float kLightA[3] = {0.1f, 0, 0}, kLightB[3] = {0, 0.1f, 0}, kLightC[3] = {0.05f, 0.1f, 0};

// A 4 x 4 atlas of 16-pixel tiles: tile 0 faces the viewer, tile 1 leans towards the
// upper left (towards light A), the others are transparent.
void makeAtlas(GL_MemTexture& atlas) {
    std::vector<unsigned char> rgba(64 * 64 * 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            unsigned char* p = &rgba[(y * 64 + x) * 4];
            int tile = (y / 16) * 4 + x / 16;
            const unsigned char flat[4] = {128, 128, 255, 255}, leaning[4] = {37, 218, 128, 255},
                                none[4] = {128, 128, 255, 0};
            std::memcpy(p, tile == 0 ? flat : tile == 1 ? leaning : none, 4);
        }
    atlas.upload(rgba.data(), 64, 64, GL_RGBA);
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        Trace::setHighestLevel(Trace::INFO);
        ASSERT_TRUE(gl.ok() && target.create(kSize, kSize, 0));
        makeAtlas(atlas);
        LitParticleBatch::eyePos = Vector3{0, 0, -150};
        trace.clear();
    }
    void TearDown() override {
        LitParticleBatch::releaseSharedProgram();
        target.release();
        atlas.release();
        Trace::reset();
    }

    // Draws the batch over black, x and y from -1 to 1, looking down -z.
    qmtest::Picture render(LitParticleBatch& batch, bool blend, bool zeroBasisFirst = false) {
        glClearColor(0, 0, 0, 1);
        target.beginCapture();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 1, -1, 1, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        if (zeroBasisFirst) {
            // Leaves a degenerate orientation in the billboards' stored basis.
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
        qmtest::Picture p = qmtest::readFramebuffer(kSize, kSize);
        target.endCapture();
        return p;
    }

    qmtest::TraceCapture trace;
    qmtest::GLContext gl;
    GL_FBOTexture target;
    GL_MemTexture atlas;
};

} // namespace

TEST_F(Batch, CreateSharesOneProgramAndGivesEachParticleItsAtlasCell) {
    LitParticleBatch a, b;
    ASSERT_TRUE(a.create(&atlas, 20, kLightA, kLightB, kLightC));
    ASSERT_TRUE(b.create(&atlas, 0, kLightA, kLightB, kLightC));
    std::vector<std::string> records = trace.records();
    ASSERT_EQ(records.size(), 1u) << trace.text(); // built once, every uniform found
    EXPECT_EQ(records[0].rfind("INFO (shaderCompiler): (particleShader) - shader created!", 0), 0u);
    EXPECT_EQ(a.count(), 20);
    EXPECT_EQ(b.count(), 0);
    EXPECT_EQ(a.particles[5].u, 0.25f);
    EXPECT_EQ(a.particles[5].v, 0.25f);
    EXPECT_EQ(a.particles[15].u, 0.75f);
    EXPECT_EQ(a.particles[15].v, 0.75f);
    EXPECT_EQ(a.particles[17].u, 0.25f);
    EXPECT_EQ(a.particles[17].v, 0.0f);
    EXPECT_EQ(a.particles[7].size, 0.0f);
    EXPECT_EQ(a.lightC[1], 0.1f);
    // An empty batch draws without a quad and without trouble.
    render(b, false);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Batch, SetFillsOneParticleKeepsItsOffsetAndIgnoresIndicesOutside) {
    LitParticleBatch batch;
    batch.create(&atlas, 4, kLightA, kLightB, kLightC);
    batch.particles[2].offset = Vector3{7, 8, 9};
    batch.set(2, 0.5f, Vector3{1, 2, 3}, Vector3{0, 0, 2}, Vector3{5, 2, 3}, 0.75f);
    const LitParticle& p = batch.particles[2];
    EXPECT_EQ(p.size, 0.5f);
    EXPECT_EQ(p.alpha, 0.75f);
    EXPECT_EQ(p.position.y, 2.0f);
    EXPECT_EQ(p.normal.z, 2.0f);
    EXPECT_EQ(p.offset.z, 9.0f);
    // normal x normalise(target - position) = (0, 0, 2) x (1, 0, 0)
    EXPECT_FLOAT_EQ(p.tangent.x, 0.0f);
    EXPECT_FLOAT_EQ(p.tangent.y, 2.0f);
    EXPECT_FLOAT_EQ(p.tangent.z, 0.0f);
    EXPECT_EQ(p.u, 0.5f); // the atlas cell stays

    std::vector<LitParticle> before = batch.particles;
    batch.set(4, 1, Vector3{1, 1, 1}, Vector3{1, 1, 1}, Vector3{0, 0, 0}, 1);
    batch.set(-1, 1, Vector3{1, 1, 1}, Vector3{1, 1, 1}, Vector3{0, 0, 0}, 1);
    EXPECT_EQ(std::memcmp(before.data(), batch.particles.data(), before.size() * sizeof(LitParticle)), 0);

    // A target on the particle leaves the tangent at zero rather than not-a-number.
    batch.set(0, 1, Vector3{1, 1, 1}, Vector3{0, 0, 1}, Vector3{1, 1, 1}, 1);
    EXPECT_EQ(batch.particles[0].tangent.x, 0.0f);
    EXPECT_EQ(batch.particles[0].tangent.y, 0.0f);
}

TEST_F(Batch, TheDrawListRunsFromTheFarthestToTheNearestIgnoringOffsets) {
    LitParticleBatch batch;
    batch.create(&atlas, 500, kLightA, kLightB, kLightC);
    LitParticleBatch::eyePos = Vector3{3, -2, 10};
    qelFramework::srand(77);
    for (LitParticle& p : batch.particles) {
        p.position = Vector3{(qelFramework::rand() % 200) - 100.f, (qelFramework::rand() % 200) - 100.f,
                             (qelFramework::rand() % 200) - 100.f};
        // Offsets that would reverse the order if they counted.
        p.offset = Vector3{-p.position.x * 2, -p.position.y * 2, -p.position.z * 2};
    }
    std::vector<LitParticle> before = batch.particles;
    batch.copyAndSort();
    ASSERT_EQ(batch.drawList.size(), 500u);
    auto distance = [](const LitParticle& p) {
        const Vector3& e = LitParticleBatch::eyePos;
        return std::sqrt((p.position.x - e.x) * (p.position.x - e.x) + (p.position.y - e.y) * (p.position.y - e.y) +
                         (p.position.z - e.z) * (p.position.z - e.z));
    };
    for (size_t k = 1; k < batch.drawList.size(); ++k)
        ASSERT_GE(distance(batch.drawList[k - 1]), distance(batch.drawList[k])) << k;
    // The particle list itself keeps its order.
    EXPECT_EQ(std::memcmp(before.data(), batch.particles.data(), before.size() * sizeof(LitParticle)), 0);
}

TEST_F(Batch, TheAtlasNormalsAreLitByTheThreeLightsInTheTangentFrame) {
    LitParticleBatch batch;
    batch.create(&atlas, 2, kLightA, kLightB, kLightC);
    // Facing the viewer; the target straight below makes the tangent +x and the bitangent
    // +y. Tile 0 is flat, tile 1 leans to the upper left.
    batch.set(0, 0.3f, Vector3{-0.5f, 0, -50}, Vector3{0, 0, 1}, Vector3{-0.5f, -10, -50}, 1);
    batch.set(1, 0.3f, Vector3{0.5f, 0, -50}, Vector3{0, 0, 1}, Vector3{0.5f, -10, -50}, 0.25f);
    qmtest::Picture p = render(batch, false);
    p.save("lit-particles");
    // Flat: only the viewer's light, 0.2 + lightC x 8. Leaning: only light A, 0.2 + lightA x 6.
    EXPECT_TRUE(p.is(16, 32, 153, 255, 51, 4)) << int(p.at(16, 32)[0]) << " " << int(p.at(16, 32)[1]);
    EXPECT_TRUE(p.is(48, 32, 204, 51, 51, 6)) << int(p.at(48, 32)[0]) << " " << int(p.at(48, 32)[1]);
    EXPECT_TRUE(p.is(32, 32, 0, 0, 0, 0) && p.is(16, 50, 0, 0, 0, 0));

    // Alpha: texture alpha x 2 x distance fade x alpha; 100 units from eyePos fade fully in.
    p = render(batch, true);
    EXPECT_TRUE(p.is(16, 32, 153, 255, 51, 4));
    EXPECT_TRUE(p.is(48, 32, 102, 26, 26, 4)) << int(p.at(48, 32)[0]);
    LitParticleBatch::eyePos = Vector3{0.5f, 0, -75}; // 25 units: a quarter
    p = render(batch, true);
    EXPECT_TRUE(p.is(48, 32, 26, 6, 6, 3)) << int(p.at(48, 32)[0]);
}

TEST_F(Batch, HiddenParticlesGetNeitherAQuadNorUniforms) {
    LitParticleBatch batch;
    batch.create(&atlas, 2, kLightA, kLightB, kLightC);
    batch.set(0, 0.3f, Vector3{-0.5f, 0, -50}, Vector3{0, 0, 1}, Vector3{10, 0, -50}, 0.3f);
    // Farther from the eye, so it comes first in the draw list, but hidden.
    batch.set(1, 0.0f, Vector3{0.5f, 0, 50}, Vector3{0, 0, 1}, Vector3{10, 0, -50}, 0.9f);
    // Even after a degenerate orientation was left behind, the first drawn particle reads
    // a fresh one.
    qmtest::Picture p = render(batch, false, true);
    EXPECT_TRUE(p.is(16, 32, 153, 255, 51, 4));
    EXPECT_TRUE(p.is(48, 32, 0, 0, 0, 0));
    int lit = kSize * kSize - p.count(0, 0, 0, 0);
    EXPECT_TRUE(lit >= 19 * 19 && lit <= 20 * 20) << lit;
    GLfloat alpha = 0;
    glGetUniformfv(LitParticleBatch::sharedProgram().programName, batch.alphaLocation, &alpha);
    EXPECT_FLOAT_EQ(alpha, 0.3f);
    EXPECT_EQ(qmtest::integer(GL_CURRENT_PROGRAM), 0);
}
