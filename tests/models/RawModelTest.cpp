#include "app/Trace.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GLTestHelpers.h"
#include "models/RawModel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qelFramework;

namespace {

constexpr int kSize = 64;

class Model : public ::testing::Test {
protected:
    void SetUp() override {
        Trace::setHighestLevel(Trace::INFO);
        ASSERT_TRUE(gl.ok() && target.create(kSize, kSize, 0));
        trace.clear();
    }
    void TearDown() override {
        target.release();
        Trace::reset();
    }

    std::string file(const std::string& text) {
        std::string path = dir.file("model.txt");
        qmtest::writeFile(path, text);
        return path;
    }

    // Draws the model white over black with x and y from 0 to 1 filling the target.
    qmtest::Picture render(RawModel& model) {
        glClearColor(0, 0, 0, 1);
        target.beginCapture();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glColor3f(1, 1, 1);
        model.draw();
        qmtest::Picture p = qmtest::readFramebuffer(kSize, kSize);
        target.endCapture();
        return p;
    }

    static std::vector<float> bufferContents(GLuint buffer, size_t floats) {
        std::vector<float> v(floats, -99.0f);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats * sizeof(float)), v.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return v;
    }

    qmtest::TraceCapture trace;
    qmtest::GLContext gl;
    qmtest::TempFolder dir;
    GL_FBOTexture target;
};

// One triangle over the lower left half; any words serve as labels, lines mean nothing.
const char* const kTriangle = "Object# 7 vertices: 3\n"
                              "positions\n0 0 0.5   1 0 0.5   0 1 0.5\n"
                              "$$ 0 0 1 0 0 1\n"
                              "normals 0 0 1 0 0 1 0 0 1 "
                              "tangents 1 0 0 1 0 0 1 0 0 "
                              "bi-tangents,xyz 0 1 0 0 1 0 0 1 0\n";

} // namespace

TEST_F(Model, OneTriangleDrawsOneTriangleWithItsDirectionsTurned) {
    RawModel model;
    model.load(file(kTriangle).c_str());
    ASSERT_EQ(model.vertexCount, 3);
    EXPECT_EQ(model.positions[3], 1.0f);
    EXPECT_EQ(model.positions[8], 0.5f);
    EXPECT_EQ(model.texCoords[5], 1.0f);
    for (int v = 0; v < 3; ++v) {
        // (x, y, z) -> (z, -y, -x); the positions stay as written.
        EXPECT_EQ(model.normals[v * 3], 1.0f);
        EXPECT_EQ(model.normals[v * 3 + 1], 0.0f);
        EXPECT_EQ(model.normals[v * 3 + 2], 0.0f);
        EXPECT_EQ(model.tangents[v * 3 + 2], -1.0f);
        EXPECT_EQ(model.bitangents[v * 3 + 1], -1.0f);
    }
    // Each buffer holds its own array.
    EXPECT_EQ(bufferContents(model.positionBuffer, 9), std::vector<float>(model.positions.get(), model.positions.get() + 9));
    EXPECT_EQ(bufferContents(model.normalBuffer, 3), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(bufferContents(model.texCoordBuffer, 6), (std::vector<float>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(bufferContents(model.tangentBuffer, 3), (std::vector<float>{0, 0, -1}));
    EXPECT_EQ(bufferContents(model.bitangentBuffer, 3), (std::vector<float>{0, -1, 0}));
    EXPECT_EQ(qmtest::integer(GL_ARRAY_BUFFER_BINDING), 0);

    qmtest::Picture p = render(model);
    p.save("model-triangle");
    int lit = p.count(255, 255, 255, 0);
    EXPECT_NEAR(lit, kSize * kSize / 2, kSize + 1);
    EXPECT_TRUE(p.is(5, 5, 255, 255, 255, 0) && p.is(58, 58, 0, 0, 0, 0));
    EXPECT_EQ(p.count(0, 0, 0, 0) + lit, kSize * kSize);
    EXPECT_EQ(qmtest::integer(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_NORMAL_ARRAY) || glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(trace.records().empty());
}

TEST_F(Model, EmptyMissingAndNeverLoadedModelsDrawNothingAndTouchNoBuffer) {
    RawModel never, empty, missing;
    empty.load(file("a 1 b 0 c d e f g").c_str());
    missing.load(dir.file("no-such-model.txt").c_str());
    GLuint sentinel = 0;
    glGenBuffers(1, &sentinel);
    for (RawModel* m : {&never, &empty, &missing}) {
        EXPECT_EQ(m->vertexCount, 0);
        EXPECT_EQ(m->positionBuffer | m->normalBuffer | m->texCoordBuffer | m->tangentBuffer | m->bitangentBuffer, 0u);
        glBindBuffer(GL_ARRAY_BUFFER, sentinel);
        qmtest::Picture p = render(*m);
        EXPECT_EQ(p.count(0, 0, 0, 0), kSize * kSize);
        EXPECT_EQ(qmtest::integer(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(sentinel));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &sentinel);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(trace.records().empty()) << trace.text();
}

TEST_F(Model, AFileEndingEarlyOrHoldingGarbageGivesZerosForWhatIsMissing) {
    RawModel cut;
    cut.load(file("obj 1 count 3 pos 0 0 0.5 1 0").c_str());
    ASSERT_EQ(cut.vertexCount, 3);
    std::vector<float> positions(cut.positions.get(), cut.positions.get() + 9);
    EXPECT_EQ(positions, (std::vector<float>{0, 0, 0.5f, 1, 0, 0, 0, 0, 0}));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(cut.texCoords[i], 0.0f);
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(cut.normals[i] == 0.0f && cut.tangents[i] == 0.0f && cut.bitangents[i] == 0.0f);
    EXPECT_NE(cut.positionBuffer, 0u);
    EXPECT_EQ(render(cut).count(0, 0, 0, 0), kSize * kSize); // all three corners collapse onto a line

    // An unreadable number stops the section's reading there; what follows reads as 0.
    RawModel garbage;
    garbage.load(file("obj 1 count 3 pos 1 1 x2 3 3 3 3 3 3 uv 1 1 1 1 1 1").c_str());
    ASSERT_EQ(garbage.vertexCount, 3);
    EXPECT_EQ(garbage.positions[1], 1.0f);
    EXPECT_EQ(garbage.positions[2], 0.0f);
    EXPECT_EQ(garbage.positions[8], 0.0f);

    // No header at all: an empty model.
    RawModel headless;
    headless.load(file("").c_str());
    EXPECT_EQ(headless.vertexCount, 0);
    EXPECT_EQ(headless.positionBuffer, 0u);
    EXPECT_TRUE(trace.records().empty()) << trace.text();
}

TEST_F(Model, ANegativeOrImpossibleCountIsDamageWithOneWarningAndAnEmptyModel) {
    const std::string body = " p 1 2 3 4 5 6 7 8 9";
    for (const char* count : {"-3", "2000000000", "200"}) {
        trace.clear();
        RawModel model;
        std::string path = file(std::string("o 0 n ") + count + body);
        model.load(path.c_str());
        EXPECT_EQ(model.vertexCount, 0) << count;
        EXPECT_EQ(model.positions, nullptr);
        EXPECT_EQ(model.positionBuffer, 0u);
        EXPECT_EQ(render(model).count(0, 0, 0, 0), kSize * kSize);
        std::vector<std::string> records = trace.records();
        ASSERT_EQ(records.size(), 1u) << count;
        EXPECT_EQ(records[0], "WARNING (modelLoader): damaged model file " + path + ": vertex count " + count);
    }
    // A count the file could hold, even though it is cut short, still loads.
    RawModel model;
    model.load(file("o 0 n 6" + body).c_str());
    EXPECT_EQ(model.vertexCount, 6);
}

TEST_F(Model, ASecondLoadReplacesTheFirst) {
    RawModel model;
    model.load(file(kTriangle).c_str());
    GLuint first = model.positionBuffer;
    model.load(file("o 0 n 0").c_str());
    EXPECT_EQ(model.vertexCount, 0);
    EXPECT_EQ(model.positionBuffer, 0u);
    EXPECT_FALSE(glIsBuffer(first));
    EXPECT_EQ(render(model).count(0, 0, 0, 0), kSize * kSize);
}
