#include "support/TestSupport.h"

#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "platform/Window.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#ifdef _WIN32
#include <random>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
TempFolder::TempFolder() {
    std::random_device random;
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    for (int attempt = 0; attempt < 100 && root.empty(); ++attempt) {
        const std::filesystem::path made = base / ("quillmont-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(made, ec))
            root = made.generic_string();
    }
    if (root.empty())
        root = base.generic_string();
}
TempFolder::~TempFolder() {
    if (root.find("/quillmont-test-") != std::string::npos) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
}
#else
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
#endif

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

namespace {
// Everything a command's pipe gives until it ends.
std::string readAll(FILE* pipe) {
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        text.append(buffer, n);
    return text;
}
} // namespace

#ifdef _WIN32
int runCommand(const std::string& command, std::string& output, int) {
    output.clear();
    // The words, as the shell would split them.
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : command) {
        if (c == '\'')
            quoted = !quoted, inWord = true;
        else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else
            word += c, inWord = true;
    }
    if (inWord)
        words.push_back(word);
    if (words.empty())
        return -1;
    if (words[0] == "test" && words.size() == 3) {
        std::error_code ec;
        const bool yes = words[1] == "-d" ? std::filesystem::is_directory(words[2], ec)
                                         : std::filesystem::exists(words[2], ec);
        return yes ? 0 : 1;
    }
    // cmd.exe runs the line. The program goes first without quotes (a line that starts
    // with one loses its first and last quote), each argument quoted.
    // A program named by a Unix path (this build's programs, cross-built on Linux) is
    // on Wine's drive Z:, the Unix root, whatever drive the working folder is on.
    std::string line = (words[0].rfind("/", 0) == 0 ? "Z:" : "") + words[0];
    std::replace(line.begin(), line.end(), '/', '\\');
    // Standard error joins the output, or goes nowhere where the command says 2>/dev/null.
    std::string errors = " 2>&1";
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "2>/dev/null")
            errors = " 2>NUL";
        else
            line += " \"" + words[i] + "\"";
    }
    line += errors;
    FILE* p = _popen(line.c_str(), "rb");
    if (!p)
        return -1;
    output = readAll(p);
    return _pclose(p);
}
#else
int runCommand(const std::string& command, std::string& output, int seconds) {
    output.clear();
    std::string quoted;
    for (char c : command)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    const std::string full =
        "timeout -k 10 " + std::to_string(seconds) + " sh -c '" + quoted + "' 2>&1";
    FILE* p = popen(full.c_str(), "r");
    if (!p)
        return -1;
    output = readAll(p);
    int status = pclose(p);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 124 || code == 137)
        output += "\n[test: status " + std::to_string(code) + ": a timeout killed the command (this wait allows " +
                  std::to_string(seconds) + " s): " + command + "]\n";
    return code;
}
#endif

int forge(const std::string& arguments, std::string& output) {
    return runCommand(std::string(QM_BIN_DIR) + "/quillmont-forge " + arguments, output, 840);
}

bool waitFor(const std::function<bool()>& condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct Deadline::State {
    std::mutex mutex;
    std::condition_variable disarmed;
    bool done = false;
    std::thread watch;
};

Deadline::Deadline(double seconds, std::string what) : state(std::make_unique<State>()) {
    State* s = state.get();
    s->watch = std::thread([s, seconds, what = std::move(what)] {
        std::unique_lock<std::mutex> lock(s->mutex);
        if (!s->disarmed.wait_for(lock, std::chrono::duration<double>(seconds), [s] { return s->done; })) {
            std::fprintf(stderr, "\n[test: still waiting after %g s: %s]\n", seconds, what.c_str());
            std::fflush(stderr);
            std::_Exit(1);
        }
    });
}

Deadline::~Deadline() {
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->done = true;
    }
    state->disarmed.notify_all();
    state->watch.join();
}

} // namespace qmtest
