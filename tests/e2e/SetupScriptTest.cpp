// scripts/setup on a small stand-in project: every failure of configure, build or forge
// fails setup (and so scripts/test and scripts/play) and shows why, even over the
// programs an earlier build left behind.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
const char* const kProject = "cmake_minimum_required(VERSION 3.16)\n"
                             "project(standin CXX)\n"
                             "set(CMAKE_CXX_STANDARD 17)\n"
                             "set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)\n"
                             "add_executable(quillmont main.cpp)\n"
                             "add_executable(quillmont-forge forge.cpp)\n";
const char* const kForge = "#include <cstdio>\n#include <filesystem>\n#include <string>\n"
                           "int main(int, char** argv) {\n"
                           "    std::filesystem::create_directories(std::string(argv[1]) + \"/data\");\n"
                           "    return 0;\n}\n";

int setup(const qmtest::TempFolder& tree, std::string& output) {
    return qmtest::runCommand("cd '" + tree.path() + "' && scripts/setup", output);
}
} // namespace

TEST(SetupScript, AFailedConfigureBuildOrForgeFailsSetupAndShowsWhy) {
    qmtest::TempFolder tree;
    std::filesystem::create_directories(tree.file("scripts"));
    std::filesystem::create_directories(tree.file("content"));
    std::filesystem::copy_file(std::string(QM_SOURCE_DIR) + "/scripts/setup", tree.file("scripts/setup"));
    std::filesystem::permissions(tree.file("scripts/setup"), std::filesystem::perms::owner_all);
    qmtest::writeFile(tree.file("CMakeLists.txt"), kProject);
    qmtest::writeFile(tree.file("main.cpp"), "int main() { return 0; }\n");
    qmtest::writeFile(tree.file("forge.cpp"), kForge);
    qmtest::writeFile(tree.file("content/notes.md"), "x");
    std::string out;
    ASSERT_EQ(setup(tree, out), 0) << out;
    ASSERT_TRUE(std::filesystem::exists(tree.file("build/bin/data/.forged"))) << out;

    // Each change breaks one step; the programs of the good build are still there.
    const std::pair<std::pair<const char*, std::string>, const char*> breaks[] = {
        {{"main.cpp", "int main() { return undeclared_in_main; }\n"}, "undeclared_in_main"},
        {{"CMakeLists.txt", std::string(kProject) + "message(FATAL_ERROR \"configure broke here\")\n"},
         "configure broke here"},
        {{"forge.cpp", "#include <cstdio>\nint main() { std::fputs(\"forge: no room for the pictures\\n\", stderr); "
                       "return 1; }\n"},
         "forge: no room for the pictures"},
    };
    for (const auto& [change, why] : breaks) {
        const std::string before = qmtest::readFile(tree.file(change.first));
        qmtest::writeFile(tree.file(change.first), change.second);
        EXPECT_NE(setup(tree, out), 0) << change.first << ":\n" << out;
        EXPECT_NE(out.find(why), std::string::npos) << out;
        EXPECT_NE(out.find("setup: "), std::string::npos) << out;
        EXPECT_TRUE(std::filesystem::exists(tree.file("build/bin/quillmont")));
        qmtest::writeFile(tree.file(change.first), before);
    }
    EXPECT_EQ(setup(tree, out), 0) << out;
}
