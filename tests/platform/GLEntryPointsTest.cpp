// Every entry point called between glBegin and glEnd is GL 1.1 or resolved when the
// context is made, and resolving it changes nothing a frame shows.
#include "gl/GLHeaders.h"
#include "platform/GLEntryPoints.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

namespace {
// The calls GL 1.1 allows between glBegin and glEnd (a loader finds them without a lookup).
bool isImmediateModeOfGl11(const std::string& name) {
    static const std::regex gl11("gl(Vertex|Color|TexCoord|Normal|Index|EdgeFlag|Material|"
                                 "EvalCoord|EvalPoint|ArrayElement|CallList|CallLists)[0-9]?[bsifdu]*v?");
    return std::regex_match(name, gl11);
}
} // namespace

TEST(GLEntryPoints, NoCallBetweenGlBeginAndGlEndNeedsALookupThere) {
    const std::set<std::string> resolved(qelFramework::platform::immediateModeEntryPoints().begin(),
                                         qelFramework::platform::immediateModeEntryPoints().end());
    const std::regex call("\\b(gl[A-Z][A-Za-z0-9]*)\\s*\\(");
    int blocks = 0;
    for (const char* folder : {"app", "editor", "gl", "layers", "models", "timeline", "platform", "tests"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(QM_SOURCE_DIR) + "/" + folder)) {
            const std::string ext = entry.path().extension().string();
            if ((ext != ".cpp" && ext != ".h") || entry.path().filename() == "GLEntryPointsTest.cpp")
                continue;
            const std::string text = qmtest::readFile(entry.path().string());
            for (std::size_t begin = text.find("glBegin("); begin != std::string::npos;
                 begin = text.find("glBegin(", begin + 1)) {
                const std::size_t end = text.find("glEnd(", begin);
                ASSERT_NE(end, std::string::npos) << entry.path();
                ++blocks;
                const std::string block = text.substr(begin + 8, end - begin - 8);
                for (std::sregex_iterator it(block.begin(), block.end(), call), none; it != none; ++it) {
                    const std::string name = (*it)[1];
                    EXPECT_TRUE(isImmediateModeOfGl11(name) || resolved.count(name))
                        << name << " in a glBegin block of " << entry.path();
                }
            }
        }
    }
    EXPECT_GT(blocks, 10); // the scan found the drawing code
}

TEST(GLEntryPoints, ResolvingLeavesTheTextureCoordinatesOfAFreshContext) {
    qmtest::GLContext context;
    ASSERT_TRUE(context.ok());
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_COORDS, &units);
    for (GLint unit = 0; unit < std::min(units, 4); ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLfloat coords[4] = {-1, -1, -1, -1};
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
        EXPECT_EQ(coords[0], 0.0f);
        EXPECT_EQ(coords[1], 0.0f);
        EXPECT_EQ(coords[2], 0.0f);
        EXPECT_EQ(coords[3], 1.0f);
    }
    glActiveTexture(GL_TEXTURE0);
}
