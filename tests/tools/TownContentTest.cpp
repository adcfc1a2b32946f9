// The town the forge makes: text models the loader reads, with the world positions the
// city's code relies on once its shader has mirrored them in x.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

const std::string kForge = std::string(QM_BIN_DIR) + "/quillmont-forge";

struct Model {
    int count = 0;
    std::vector<float> positions, uvs, normals, tangents, bitangents;
};

// Reads the text model format: label, integer, label, count, then five labelled
// sections. False when a section is short.
bool readModel(const std::string& path, Model& m) {
    std::istringstream in(qmtest::readFile(path));
    std::string label;
    int ignored = 0;
    if (!(in >> label >> ignored >> label >> m.count) || m.count <= 0)
        return false;
    for (auto* section : {&m.positions, &m.uvs, &m.normals, &m.tangents, &m.bitangents}) {
        size_t n = static_cast<size_t>(m.count) * (section == &m.uvs ? 2 : 3);
        in >> label;
        section->resize(n);
        for (float& v : *section)
            if (!(in >> v))
                return false;
    }
    return true;
}

// A direction as the loader stores it: (x, y, z) in the file becomes (z, -y, -x).
void loaded(const std::vector<float>& v, size_t i, float out[3]) {
    out[0] = v[i * 3 + 2];
    out[1] = -v[i * 3 + 1];
    out[2] = -v[i * 3];
}

class TownContent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new qmtest::TempFolder;
        std::string out;
        ok = qmtest::runCommand(kForge + " '" + dir->path() +
                                    "' --only mdl-chimney --only mdl-tower --only mdl-street --only mdl-left-house",
                                out) == 0;
    }
    static void TearDownTestSuite() { delete dir; }
    static Model model(const char* name) {
        Model m;
        EXPECT_TRUE(ok);
        EXPECT_TRUE(readModel(dir->file(std::string("data/housemodel/mdl-final-") + name + ".txt"), m)) << name;
        return m;
    }
    static qmtest::TempFolder* dir;
    static bool ok;
};
qmtest::TempFolder* TownContent::dir = nullptr;
bool TownContent::ok = false;

} // namespace

TEST_F(TownContent, ModelsAreWholeTrianglesWithUnitFramesAndUvsInTheAtlas) {
    for (const char* name : {"chimney", "tower", "street", "left-house"}) {
        Model m = model(name);
        ASSERT_GT(m.count, 0) << name;
        EXPECT_EQ(m.count % 3, 0) << name;
        for (int i = 0; i < m.count; ++i) {
            float n[3], t[3], b[3];
            loaded(m.normals, static_cast<size_t>(i), n);
            loaded(m.tangents, static_cast<size_t>(i), t);
            loaded(m.bitangents, static_cast<size_t>(i), b);
            EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-3f) << name << " vertex " << i;
            EXPECT_NEAR(n[0] * t[0] + n[1] * t[1] + n[2] * t[2], 0.0f, 1e-3f) << name << " vertex " << i;
            EXPECT_NEAR(n[0] * b[0] + n[1] * b[1] + n[2] * b[2], 0.0f, 1e-3f) << name << " vertex " << i;
            EXPECT_GE(m.uvs[static_cast<size_t>(i) * 2], 0.0f);
            EXPECT_LE(m.uvs[static_cast<size_t>(i) * 2 + 1], 1.0f);
        }
    }
}

TEST_F(TownContent, ThingsStandWhereTheCityLooksForThem) {
    // The chimney's top is the smoke's emitter at (34.126, 64, 21.088); the file holds x
    // mirrored.
    Model chimney = model("chimney");
    float top = -1e9f, x = 0, z = 0;
    for (int i = 0; i < chimney.count; ++i)
        if (chimney.positions[static_cast<size_t>(i) * 3 + 1] > top) {
            top = chimney.positions[static_cast<size_t>(i) * 3 + 1];
            x = chimney.positions[static_cast<size_t>(i) * 3];
            z = chimney.positions[static_cast<size_t>(i) * 3 + 2];
        }
    EXPECT_NEAR(top, 64.0f, 1e-3f);
    EXPECT_NEAR(x, -34.126f, 0.5f);
    EXPECT_NEAR(z, 21.088f, 0.5f);

    // The tower's top is a flat stage at 90.
    Model tower = model("tower");
    float high = -1e9f;
    for (int i = 0; i < tower.count; ++i)
        high = std::max(high, tower.positions[static_cast<size_t>(i) * 3 + 1]);
    EXPECT_NEAR(high, 90.0f, 1e-3f);

    // The tall house's street wall stands at world x = 17.2, facing the street (-x);
    // nothing of the house reaches into the street below its cornice.
    Model house = model("left-house");
    int onWall = 0;
    for (int i = 0; i < house.count; ++i) {
        const float wx = -house.positions[static_cast<size_t>(i) * 3], y = house.positions[static_cast<size_t>(i) * 3 + 1];
        const float wz = house.positions[static_cast<size_t>(i) * 3 + 2];
        if (std::fabs(wx - 17.2f) < 1e-3f && wz > 0.99f && wz < 24.01f)
            ++onWall;
        if (wz > 1.5f && wz < 23.5f && y > 1 && y < 36) {
            EXPECT_GT(wx, 16.9f) << "vertex " << i;
        }
    }
    EXPECT_GT(onWall, 4);

    // The street is the ground: up-facing at y = 0 (but for the drain's rim).
    Model street = model("street");
    for (int i = 0; i < street.count; ++i) {
        float n[3];
        loaded(street.normals, static_cast<size_t>(i), n);
        if (n[1] > 0.99f) {
            EXPECT_NEAR(street.positions[static_cast<size_t>(i) * 3 + 1], 0.0f, 0.03f);
        }
    }
}
