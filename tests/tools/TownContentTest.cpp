// The town the forge makes: models the production's loader reads, with the world positions
// the city's code relies on once its shader has mirrored them in x.
#include "models/RawModel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using qelFramework::RawModel;

class TownContent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new qmtest::TempFolder;
        std::string out;
        ok = qmtest::forge("'" + dir->path() + "' --only mdl-chimney --only mdl-tower --only mdl-street --only mdl-left-house",
                           out) == 0;
    }
    static void TearDownTestSuite() { delete dir; }
    // Loaded as the production loads it: positions as written, directions turned.
    std::unique_ptr<RawModel> model(const char* name) {
        EXPECT_TRUE(ok);
        auto m = std::make_unique<RawModel>();
        m->load(dir->file(std::string("data/housemodel/mdl-final-") + name + ".txt").c_str());
        EXPECT_GT(m->vertexCount, 0) << name;
        return m;
    }
    qmtest::GLContext gl; // the loader uploads its buffers
    static qmtest::TempFolder* dir;
    static bool ok;
};
qmtest::TempFolder* TownContent::dir = nullptr;
bool TownContent::ok = false;

} // namespace

TEST_F(TownContent, ModelsAreWholeTrianglesWithUnitFramesAndUvsInTheAtlas) {
    for (const char* name : {"chimney", "tower", "street", "left-house"}) {
        const std::unique_ptr<RawModel> m = model(name);
        EXPECT_EQ(m->vertexCount % 3, 0) << name;
        for (int i = 0; i < m->vertexCount; ++i) {
            const float *n = &m->normals[i * 3], *t = &m->tangents[i * 3], *b = &m->bitangents[i * 3];
            EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-3f) << name << " vertex " << i;
            EXPECT_NEAR(n[0] * t[0] + n[1] * t[1] + n[2] * t[2], 0.0f, 1e-3f) << name << " vertex " << i;
            EXPECT_NEAR(n[0] * b[0] + n[1] * b[1] + n[2] * b[2], 0.0f, 1e-3f) << name << " vertex " << i;
            EXPECT_GE(m->texCoords[i * 2], 0.0f);
            EXPECT_LE(m->texCoords[i * 2 + 1], 1.0f);
        }
    }
}

TEST_F(TownContent, ThingsStandWhereTheCityLooksForThem) {
    // The chimney's top is the smoke's emitter at (34.126, 64, 21.088); the file holds x
    // mirrored.
    const std::unique_ptr<RawModel> chimney = model("chimney");
    const float* top = &chimney->positions[0];
    for (int i = 0; i < chimney->vertexCount; ++i)
        if (chimney->positions[i * 3 + 1] > top[1])
            top = &chimney->positions[i * 3];
    EXPECT_NEAR(top[1], 64.0f, 1e-3f);
    EXPECT_NEAR(top[0], -34.126f, 0.5f);
    EXPECT_NEAR(top[2], 21.088f, 0.5f);

    // The tower's top is a flat stage at 90.
    const std::unique_ptr<RawModel> tower = model("tower");
    float high = -1e9f;
    for (int i = 0; i < tower->vertexCount; ++i)
        high = std::max(high, tower->positions[i * 3 + 1]);
    EXPECT_NEAR(high, 90.0f, 1e-3f);

    // The tall house's street wall stands at world x = 17.2, facing the street (-x);
    // nothing of the house reaches into the street below its cornice.
    const std::unique_ptr<RawModel> house = model("left-house");
    int onWall = 0;
    for (int i = 0; i < house->vertexCount; ++i) {
        const float wx = -house->positions[i * 3], y = house->positions[i * 3 + 1], wz = house->positions[i * 3 + 2];
        if (std::fabs(wx - 17.2f) < 1e-3f && wz > 0.99f && wz < 24.01f)
            ++onWall;
        if (wz > 1.5f && wz < 23.5f && y > 1 && y < 36) {
            EXPECT_GT(wx, 16.9f) << "vertex " << i;
        }
    }
    EXPECT_GT(onWall, 4);

    // The street is the ground: up-facing at y = 0 (but for the drain's rim).
    const std::unique_ptr<RawModel> street = model("street");
    for (int i = 0; i < street->vertexCount; ++i)
        if (street->normals[i * 3 + 1] > 0.99f) {
            EXPECT_NEAR(street->positions[i * 3 + 1], 0.0f, 0.03f);
        }
}
