#include "models/RawModel.h"
#include "support/GLTest.h"

using namespace qelFramework;

namespace {

constexpr int kSize = 64;

class Model : public qmtest::GLTest {
protected:
    Model() : GLTest(kSize, kSize) {}
    void SetUp() override {
        GLTest::SetUp();
        trace.clear();
    }

    std::string file(const std::string& text) {
        qmtest::writeFile(dir.file("model.txt"), text);
        return dir.file("model.txt");
    }

    // The model drawn white over black, x and y from 0 to 1 filling the target; the
    // number of white pixels.
    int render(RawModel& model, const char* name = nullptr) {
        glClearColor(0, 0, 0, 1);
        qmtest::Picture p = capture([&] {
            identityMatrices();
            glMatrixMode(GL_PROJECTION);
            glOrtho(0, 1, 0, 1, -1, 1);
            glMatrixMode(GL_MODELVIEW);
            glDisable(GL_TEXTURE_2D);
            glColor3f(1, 1, 1);
            model.draw();
        });
        if (name)
            p.save(name);
        EXPECT_EQ(p.count(255, 255, 255, 0) + p.count(0, 0, 0, 0), kSize * kSize);
        return p.count(255, 255, 255, 0);
    }

    qmtest::TempFolder dir;
};

} // namespace

TEST_F(Model, OneTriangleDrawsOneTriangleWithItsDirectionsTurned) {
    RawModel model;
    // Any words serve as labels; line breaks mean nothing.
    model.load(file("Object# 7 vertices: 3\npositions\n0 0 0.5   1 0 0.5   0 1 0.5\n$$ 0 0 1 0 0 1\n"
                    "normals 0 0 1 0 0 1 0 0 1 tangents 1 0 0 1 0 0 1 0 0 bi-tangents,xyz 0 1 0 0 1 0 0 1 0\n")
                   .c_str());
    ASSERT_EQ(model.vertexCount, 3);
    EXPECT_EQ(model.positions[3], 1.0f);
    EXPECT_EQ(model.texCoords[5], 1.0f);
    // (x, y, z) becomes (z, -y, -x); the positions stay as written.
    auto lastVector = [](GLuint buffer) { // the third vertex's, as uploaded
        std::vector<float> v(3);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 24, 12, v.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return v;
    };
    EXPECT_EQ(lastVector(model.normalBuffer), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(lastVector(model.tangentBuffer), (std::vector<float>{0, 0, -1}));
    EXPECT_EQ(lastVector(model.bitangentBuffer), (std::vector<float>{0, -1, 0}));
    EXPECT_EQ(model.normals[6], 1.0f);

    EXPECT_NEAR(render(model, "model-triangle"), kSize * kSize / 2, kSize + 1);
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
        EXPECT_EQ(render(*m), 0);
        EXPECT_EQ(qmtest::integer(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(sentinel));
    }
    glDeleteBuffers(1, &sentinel);
    EXPECT_TRUE(trace.records().empty()) << trace.text();
}

TEST_F(Model, AFileEndingEarlyGivesZerosForWhatIsMissing) {
    RawModel cut;
    cut.load(file("obj 1 count 3 pos 0 0 0.5 1 0").c_str());
    ASSERT_EQ(cut.vertexCount, 3);
    EXPECT_EQ(std::vector<float>(cut.positions.get(), cut.positions.get() + 9),
              (std::vector<float>{0, 0, 0.5f, 1, 0, 0, 0, 0, 0}));
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(cut.normals[i] == 0.0f && cut.tangents[i] == 0.0f && cut.bitangents[i] == 0.0f);
    EXPECT_EQ(cut.texCoords[5], 0.0f);
    EXPECT_EQ(render(cut), 0); // the corners collapse onto a line

    EXPECT_TRUE(trace.records().empty()) << trace.text();
}

TEST_F(Model, ANegativeOrImpossibleCountIsDamageWithOneWarningAndAnEmptyModel) {
    const std::string body = " p 1 2 3 4 5 6 7 8 9";
    for (const char* count : {"-3", "2000000000", "200"}) {
        trace.clear();
        RawModel model;
        std::string path = file(std::string("o 0 n ") + count + body);
        model.load(path.c_str());
        EXPECT_TRUE(model.vertexCount == 0 && model.positions == nullptr && model.positionBuffer == 0) << count;
        EXPECT_EQ(render(model), 0);
        EXPECT_EQ(trace.records(),
                  std::vector<std::string>{"WARNING (modelLoader): damaged model file " + path + ": vertex count " + count});
    }
    // A count the file could hold, even though it is cut short, still loads.
    RawModel model;
    model.load(file("o 0 n 6" + body).c_str());
    EXPECT_EQ(model.vertexCount, 6);
}
