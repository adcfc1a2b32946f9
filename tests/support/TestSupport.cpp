#include "support/TestSupport.h"

#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qmtest {

namespace {
std::string g_captured;
void collect(const char* text) { g_captured += text; }
} // namespace

TraceCapture::TraceCapture() {
    g_captured.clear();
    qelFramework::platform::setDebugOutputSink(collect);
}
TraceCapture::~TraceCapture() { qelFramework::platform::setDebugOutputSink(nullptr); }
const std::string& TraceCapture::text() const { return g_captured; }
void TraceCapture::clear() { g_captured.clear(); }
bool TraceCapture::contains(const std::string& piece) const { return g_captured.find(piece) != std::string::npos; }
std::vector<std::string> TraceCapture::records() const {
    std::vector<std::string> lines;
    std::istringstream in(g_captured);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

GLContext::GLContext(int width, int height, int samples) {
    qelFramework::platform::WindowRequest r;
    r.title = "test";
    r.width = width;
    r.height = height;
    r.samples = samples;
    window = qelFramework::platform::createWindow(r).window;
}
GLContext::~GLContext() { qelFramework::platform::destroyWindow(window); }

TempFolder::TempFolder() {
    char pattern[] = "/tmp/quillmont-test-XXXXXX";
    char* made = mkdtemp(pattern);
    root = made ? made : "/tmp";
}
TempFolder::~TempFolder() {
    if (root.rfind("/tmp/quillmont-test-", 0) == 0) {
        std::string cmd = "rm -rf '" + root + "'";
        std::system(cmd.c_str());
    }
}

InFolder::InFolder(const std::string& folder) : previous(std::filesystem::current_path().string()) {
    std::filesystem::current_path(folder);
}
InFolder::~InFolder() { std::filesystem::current_path(previous); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool quitPending() {
    qelFramework::InputEvent event;
    while (qelFramework::platform::pollEvent(event)) {
    }
    return qelFramework::platform::takeQuitRequest().has_value();
}

int runCommand(const std::string& command, std::string& output) {
    output.clear();
    std::string full = command + " 2>&1";
    FILE* p = popen(full.c_str(), "r");
    if (!p)
        return -1;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), p)) > 0)
        output.append(buffer, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int forge(const std::string& arguments, std::string& output) {
    return runCommand(std::string(QM_BIN_DIR) + "/quillmont-forge " + arguments, output);
}

} // namespace qmtest
