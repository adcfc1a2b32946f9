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
    for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY})
        EXPECT_FALSE(glIsEnabled(array)) << "array 0x" << std::hex << array << " left on";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(trace.records().empty());
}

TEST_F(Model, EmptyMissingAndNeverLoadedModelsDrawNothingAndTouchNoBuffer) {
    // Each failed load says why in one WARNING: the file, the count it promised, what it held.
    const std::string prefix = "WARNING (modelLoader): damaged model file ";
    const std::pair<const char*, std::string> failures[] = {
        {"a 1 b 0 c d e f g", "it promised 0 vertices and held 0 (an empty model)"},
        {"", "it promised no vertices and held 0 (empty, or not a model)"},
        {"\x89PNG\r\n\x1a\n IHDR", "it promised no vertices and held 0 (empty, or not a model)"},
        {"o 0 n -3 p 1 2 3 4 5 6 7 8 9", "it promised -3 vertices and held 0 (a count the file cannot hold; nothing loaded)"},
        {"o 0 n 2000000000 p 1 2 3", "it promised 2000000000 vertices and held 0 (a count the file cannot hold; nothing "
                                     "loaded)"},
        {"o 0 n 200 p 1 2 3 4 5 6 7 8 9", "it promised 200 vertices and held 0 (a count the file cannot hold; nothing "
                                          "loaded)"},
        // Counts past 32 and 64 bits do not wrap into small ones.
        {"o 0 vertices 4294967297 p 1 2 3 4 5 6 7 8 9", "it promised 4294967297 vertices and held 0 (a count the file "
                                                       "cannot hold; nothing loaded)"},
        {"o 0 n 123456789012345678901234567890 p 1 2 3", "it promised 123456789012345678901234567890 vertices and held 0 "
                                                        "(a count the file cannot hold; nothing loaded)"},
    };
    GLuint sentinel = 0;
    glGenBuffers(1, &sentinel);
    auto drawsNothing = [&](RawModel& m) {
        EXPECT_EQ(m.vertexCount, 0);
        EXPECT_EQ(m.positionBuffer | m.normalBuffer | m.texCoordBuffer | m.tangentBuffer | m.bitangentBuffer, 0u);
        glBindBuffer(GL_ARRAY_BUFFER, sentinel);
        EXPECT_EQ(render(m), 0);
        EXPECT_EQ(qmtest::integer(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(sentinel));
    };
    for (const auto& [text, why] : failures) {
        trace.clear();
        RawModel model;
        const std::string path = file(text);
        model.load(path.c_str());
        drawsNothing(model);
        EXPECT_EQ(trace.records(), std::vector<std::string>{prefix + path + ": " + why});
    }
    trace.clear();
    RawModel never, missing;
    missing.load(dir.file("no-such-model.txt").c_str());
    EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (modelLoader): could not load model file " +
                                                        dir.file("no-such-model.txt") + ": No such file or directory"});
    drawsNothing(never);
    drawsNothing(missing);
    glDeleteBuffers(1, &sentinel);
}

TEST_F(Model, AFileEndingEarlyGivesZerosForWhatIsMissingAndSaysHowMuchItHeld) {
    RawModel cut;
    const std::string path = file("obj 1 count 3 pos 0 0 0.5 1 0");
    cut.load(path.c_str());
    ASSERT_EQ(cut.vertexCount, 3);
    EXPECT_EQ(std::vector<float>(cut.positions.get(), cut.positions.get() + 9),
              (std::vector<float>{0, 0, 0.5f, 1, 0, 0, 0, 0, 0}));
    for (const float* values : {cut.normals.get(), cut.tangents.get(), cut.bitangents.get()})
        EXPECT_EQ(std::vector<float>(values, values + 9), std::vector<float>(9, 0.0f));
    EXPECT_EQ(cut.texCoords[5], 0.0f);
    EXPECT_EQ(render(cut), 0); // the corners collapse onto a line
    EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (modelLoader): damaged model file " + path +
                                                        ": it promised 3 vertices and held 0 (cut short or damaged: "
                                                        "what is missing reads as 0)"});

    // Cut in the last section: the two whole vertices count, and the triangle still draws.
    trace.clear();
    const std::string whole = "o 7 n 3 p 0 0 0.5 1 0 0.5 0 1 0.5 t 0 0 1 0 0 1 n 0 0 1 0 0 1 0 0 1 "
                              "t 1 0 0 1 0 0 1 0 0 b 0 1 0 0 1 0";
    cut.load(file(whole).c_str());
    EXPECT_TRUE(trace.contains("it promised 3 vertices and held 2 (cut short")) << trace.text();
    EXPECT_NEAR(render(cut), kSize * kSize / 2, kSize + 1);
    trace.clear();
    cut.load(file(whole + " 0 1 0").c_str());
    EXPECT_TRUE(trace.records().empty()) << trace.text();

    // Any cut or changed byte of a good model: never a crash, at most one record.
    const std::string good = whole + " 0 1 0";
    unsigned seed = 3;
    for (size_t at = 0; at < good.size(); ++at) {
        seed = seed * 1103515245u + 12345u;
        std::string bad = good;
        bad[at] = "x-.e9 \n#"[seed % 8];
        for (const std::string& text : {good.substr(0, at), bad}) {
            trace.clear();
            RawModel model;
            model.load(file(text).c_str());
            EXPECT_LE(trace.records().size(), 1u) << text;
            EXPECT_LE(model.vertexCount, 3);
        }
    }
}

// Positions that are not numbers, infinite or far out of range take their triangle out of
// the model, with one warning naming the file; the other triangles draw.
TEST_F(Model, TrianglesWithUnusablePositionsAreLeftOutWithOneWarning) {
    const std::string good = "0 0 0.5 1 0 0.5 0 1 0.5 ";
    const std::string rest = " t 0 0 0 0 0 0 0 0 1 0 0 1"
                             " n 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1"
                             " t 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0"
                             " b 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0";
    for (const char* bad : {"nan 0 0 1 0 0 0 1 0 ", "0 0 0 inf 0 0 0 1 0 ", "0 0 0 1 0 0 0 -2e6 0 ",
                            "0 0 0 1 0 0 0 1 1e39 "}) {
        trace.clear();
        RawModel model;
        // The damaged triangle first: the good one moves down in every array.
        const std::string path = file(std::string("o 0 n 6 p ") + bad + good + rest);
        model.load(path.c_str());
        ASSERT_EQ(model.vertexCount, 3) << bad;
        EXPECT_EQ(std::vector<float>(model.positions.get(), model.positions.get() + 9),
                  (std::vector<float>{0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f}));
        EXPECT_EQ(model.texCoords[5], 1.0f);
        EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (modelLoader): damaged model file " + path +
                                                            ": 1 triangle with a position that is not a number, "
                                                            "infinite or beyond 1000000 left out"})
            << bad;
        EXPECT_NEAR(render(model), kSize * kSize / 2, kSize + 1) << bad;
    }
    // Cut short as well: still one record, saying both.
    trace.clear();
    RawModel model;
    const std::string path = file("o 0 n 6 p nan 0 0 1 0 0 0 1 0 " + good);
    model.load(path.c_str());
    EXPECT_EQ(model.vertexCount, 3);
    EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (modelLoader): damaged model file " + path +
                                                        ": it promised 6 vertices and held 0 (cut short or damaged: "
                                                        "what is missing reads as 0; 1 triangle with a position that "
                                                        "is not a number, infinite or beyond 1000000 left out)"});
}
