// The performer and the cloth as the forge makes them, drawn at the moments the
// production shows them. With QM_FRAME_DIR set the frames are saved there to look at.
#include "base/Trace.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "gl/GLTestHelpers.h"
#include "layers/scenes/Layer_Liquid.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qelFramework;

namespace {

struct Moment {
    const char* name;
    float play, simulate, burn, fire, down, blue, time;
};

struct Tally {
    int warm = 0, cool = 0, fabric = 0, flame = 0;
};

Tally tally(const qmtest::Picture& p) {
    Tally t;
    for (int i = 0; i < p.width * p.height; ++i) {
        const unsigned char* q = &p.rgb[static_cast<size_t>(i) * 3];
        int r = q[0], g = q[1], b = q[2];
        t.warm += r > 60 && r > b + 30;
        t.cool += b > 60 && b > r + 20;
        t.fabric += r > 70 && g > 60 && b > 50;
        t.flame += r > 60 && g > 30 && b < g;
    }
    return t;
}

} // namespace

TEST(ClothLayerLook, TheForgedPerformerDancesIsCoveredAndTheClothBurns) {
    Trace::setHighestLevel(Trace::Info);
    qmtest::GLContext gl;
    ASSERT_TRUE(gl.ok());
    qmtest::TempFolder dir;
    std::string output;
    ASSERT_EQ(qmtest::forge(dir.path() + " --only performer --only fabric --only fire --only particle-alpha", output), 0)
        << output;
    qmtest::TraceCapture trace;
    GL_TextureManager textures;
    SyncData sync;
    Layer_Liquid layer;
    {
        qmtest::InFolder here(dir.path());
        ASSERT_TRUE(layer.init(&textures, &sync));
    }
    // No warning but the names the empty sync data does not hold.
    for (const std::string& record : trace.records())
        EXPECT_TRUE(record.rfind("WARNING", 0) != 0 || record.rfind("WARNING (syncData)", 0) == 0) << record;
    EXPECT_FALSE(trace.contains("ERROR")) << trace.text();

    const Moment moments[] = {
        {"dance", 0.25f, 0, 0, 0, 1, 0, 41},          {"lying", 1, 0, 0, 0, 1, 0, 45},
        {"cloth-settled", 1, 1, 0, 0, 1, 0, 49},      {"burning", 1, 1, 0.3f, 1, 1, 0, 51},
        {"burning-late", 1, 1, 0.5f, 1, 1, 0.3f, 52}, {"embers-blue", 1, 1, 0.7f, 1, 1, 1, 53},
    };
    const int width = 640, height = 360;
    GL_FBOTexture target;
    ASSERT_TRUE(target.create(width, height, 0));
    int settled = 0;
    for (const Moment& m : moments) {
        float values[] = {m.play, m.simulate, m.burn, m.fire, m.down, m.blue};
        for (size_t i = 0; i < 6; ++i)
            sync.at(i)->value = values[i];
        FrameInfo frame;
        frame.time = m.time;
        layer.update(frame);
        target.beginCapture();
        layer.render();
        qmtest::Picture picture = qmtest::readFramebuffer(width, height);
        target.endCapture();
        picture.save(std::string("look-") + m.name);
        Tally t = tally(picture);
        std::string what = m.name;
        if (m.simulate == 0) {
            // A figure lit warm from one side and cool from the other.
            EXPECT_GT(t.warm, 400) << what;
            EXPECT_GT(t.cool, 400) << what;
        } else if (m.burn == 0 && m.simulate >= 0.85f) {
            EXPECT_GT(t.fabric, 10000) << what;
            settled = t.fabric;
        } else if (m.blue >= 1) {
            EXPECT_GT(t.cool, 50) << what; // blue flames, the cloth gone
            EXPECT_EQ(t.fabric, 0) << what;
        } else if (m.burn > 0) {
            // Fire lights up a wide area; late in the burn little cloth is left.
            EXPECT_GT(t.flame, 8000) << what;
            if (m.burn >= 0.5f) {
                EXPECT_LT(t.fabric, settled) << what;
            }
        }
    }
}
