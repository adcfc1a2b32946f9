#include "sync/SyncText.h"

#include "platform/Utf16.h"
#include "sync/SyncController.h"
#include "sync/TextLines.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace qelFramework {

namespace {
std::uint32_t floatBits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float floatFromBits(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

constexpr std::uint32_t kPlainNan = 0x7fc00000u;

} // namespace

std::string quoteSyncName(const std::string& name) {
    std::string out = "\"";
    for (unsigned char c : name) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

namespace {
// A word of the text as a message shows it: bytes that are not printable text (control
// bytes, bytes that are no part of UTF-8) as \xHH, so that a binary file puts no raw bytes
// on a terminal, and at most kShownBytes of it.
constexpr std::size_t kShownBytes = 40;

std::string shownWord(const std::string& word) {
    std::string out;
    std::size_t i = 0;
    while (i < word.size() && i < kShownBytes) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        // The length of a UTF-8 sequence starting with c, 0 when c cannot start one.
        const std::size_t length = c >= 0x20 && c < 0x7f ? 1 : c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3
                                   : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        bool whole = length > 0 && i + length <= word.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(word[i + k]) & 0xc0) == 0x80;
        if (whole) {
            out.append(word, i, length);
            i += length;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
            ++i;
        }
    }
    return i < word.size() ? out + "..." : out;
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string shapeWord(std::int32_t kind) {
    const char* word = interpolationKindName(kind);
    return word ? word : std::to_string(kind);
}

std::string presetWord(std::int32_t ends) {
    const char* word = endpointPresetName(ends);
    return word ? word : std::to_string(ends);
}

bool parseInt32(const std::string& token, std::int32_t& out) {
    if (token.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

struct Token {
    std::string text;
    bool quoted = false;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Splits one line into blank-separated tokens; '#' outside quotes ends the line.
bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
    tokens.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == n || line[i] == '#')
            return true;
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    token.text += c;
                    continue;
                }
                if (i == n)
                    break;
                const char e = line[i++];
                if (e == '"' || e == '\\') {
                    token.text += e;
                } else if (e == 'x' && i + 2 <= n && hexDigit(line[i]) >= 0 &&
                           hexDigit(line[i + 1]) >= 0) {
                    token.text += static_cast<char>(hexDigit(line[i]) * 16 + hexDigit(line[i + 1]));
                    i += 2;
                } else {
                    error = "expected \\\", \\\\ or \\x with two hex digits after a backslash in a name";
                    return false;
                }
            }
            if (!closed) {
                error = "expected a closing '\"' at the end of the name";
                return false;
            }
            if (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '#') {
                error = "expected a blank after the closing '\"'";
                return false;
            }
        } else {
            while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '#')
                token.text += line[i++];
        }
        tokens.push_back(std::move(token));
    }
}

const char* const kKeyForm = "TIME VALUE [SHAPE [PRESET]]";

// Parses one key line into the last record; false with the message in error. A key
// before the previous key's time fills outOfOrder.
bool parseKey(const std::vector<Token>& tokens, SyncFileRecord& record, std::string& error, std::string& outOfOrder) {
    if (tokens.size() > 4) {
        error = std::string("expected a key ") + kKeyForm + ", found more than four fields";
        return false;
    }
    if (tokens.size() < 2) {
        error = "expected a key " + std::string(kKeyForm) + ", found only '" + shownWord(tokens[0].text) + "'";
        return false;
    }
    SyncFileKey key;
    const char* fieldNames[] = {"a time", "a value"};
    float* fields[] = {&key.time, &key.value};
    for (int f = 0; f < 2; ++f) {
        if (tokens[f].quoted || !parseSyncFloat(tokens[f].text, *fields[f])) {
            error = std::string("expected ") + fieldNames[f] + " (a decimal number), found '" + shownWord(tokens[f].text) + "'";
            return false;
        }
    }
    // The program leaves out a key whose time is not a number, and only that key.
    if (std::isnan(key.time))
        outOfOrder = "key time " + tokens[0].text + " is not a number; the program leaves this key out";
    if (record.keys.empty()) {
        if (tokens.size() > 2) {
            error = "expected only TIME VALUE: the first key of a controller starts no segment";
            return false;
        }
    } else {
        float previous = NAN; // the last key time that is a number
        for (auto k = record.keys.rbegin(); k != record.keys.rend() && std::isnan(previous); ++k)
            previous = k->time;
        if (key.time < previous)
            outOfOrder = "key time " + tokens[0].text + " lies before the previous key's time " +
                         formatSyncFloat(previous) + "; the program sorts the keys by time";
        key.kind = linear;
        key.ends = valval;
        if (tokens.size() > 2) {
            const std::string& word = tokens[2].text;
            key.kind = interpolationKindFromName(word);
            if (tokens[2].quoted || (key.kind == 0 && !parseInt32(word, key.kind))) {
                error = "expected a shape (linear, smoothstep, exponential, minexponential or a number), found '" +
                        shownWord(word) + "'";
                return false;
            }
        }
        if (tokens.size() > 3) {
            const std::string& word = tokens[3].text;
            key.ends = endpointPresetFromName(word);
            if (tokens[3].quoted || (key.ends == 0 && !parseInt32(word, key.ends))) {
                error = "expected a preset (valval, valzero, valone, zeroval, oneval, oneone, zerozero or a "
                        "number), found '" +
                        shownWord(word) + "'";
                return false;
            }
        }
    }
    record.keys.push_back(key);
    return true;
}
} // namespace

std::string formatSyncFloat(float f) {
    if (std::isnan(f)) {
        const std::uint32_t bits = floatBits(f);
        if (bits == kPlainNan)
            return "nan";
        char text[16];
        std::snprintf(text, sizeof text, "nan:%08x", bits);
        return text;
    }
    // Plain notation below a billion, exponents only for the very small and the very large.
    const double magnitude = std::fabs(static_cast<double>(f));
    const bool exponentAllowed = magnitude < 1e-4 || magnitude >= 1e9 || std::isinf(f);
    char text[64];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(f));
        if (!exponentAllowed && std::strchr(text, 'e'))
            continue;
        if (floatBits(std::strtof(text, nullptr)) == floatBits(f))
            return text;
    }
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
    return text;
}

bool parseSyncFloat(const std::string& token, float& f) {
    if (token == "nan") {
        f = floatFromBits(kPlainNan);
        return true;
    }
    if (token.compare(0, 4, "nan:") == 0) {
        const std::string hex = token.substr(4);
        if (hex.empty() || hex.size() > 8)
            return false;
        std::uint32_t bits = 0;
        for (char c : hex) {
            const int d = hexDigit(c);
            if (d < 0)
                return false;
            bits = bits << 4 | static_cast<std::uint32_t>(d);
        }
        if (!std::isnan(floatFromBits(bits)))
            return false;
        f = floatFromBits(bits);
        return true;
    }
    if (token.empty() || token[0] == ' ' || token[0] == '\t')
        return false;
    char* end = nullptr;
    const float v = std::strtof(token.c_str(), &end);
    if (end != token.c_str() + token.size())
        return false;
    if (std::isinf(v)) {
        // Only a written infinity, not a finite number too large to hold.
        std::string lower;
        for (char c : token)
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (lower.find("inf") == std::string::npos)
            return false;
    }
    f = v;
    return true;
}

std::string formatSyncKeyLine(const SyncFileKey& key, bool first) {
    const std::string time = "    " + padded(formatSyncFloat(key.time), 10) + " ";
    if (first)
        return time + formatSyncFloat(key.value);
    return time + padded(formatSyncFloat(key.value), 10) + " " + shapeWord(key.kind) + " " + presetWord(key.ends);
}

std::string formatSyncText(const std::vector<SyncFileRecord>& records) {
    std::string out;
    for (std::size_t r = 0; r < records.size(); ++r) {
        const SyncFileRecord& record = records[r];
        if (r > 0)
            out += '\n';
        out += "controller " + quoteSyncName(record.name) + "\n";
        for (std::size_t i = 0; i < record.keys.size(); ++i)
            out += formatSyncKeyLine(record.keys[i], i == 0) + "\n";
    }
    return out;
}

bool parseSyncText(const std::string& text, std::vector<SyncFileRecord>& records, std::string& error,
                   std::vector<std::string>* notes, std::vector<SyncTextLine>* lines) {
    records.clear();
    if (lines)
        lines->clear();
    // Windows PowerShell 5 writes a program's output to a file as UTF-16.
    if (platform::startsAsUtf16(text)) {
        error = "line 1: expected UTF-8 text, found UTF-16 (save it as UTF-8)";
        return false;
    }
    std::unordered_map<std::string, std::size_t> namedOnLine;
    std::vector<Token> tokens;
    std::size_t lineNumber = 0;
    for (const std::string& line : splitLines(text)) {
        ++lineNumber;

        std::string problem, note;
        bool ok = tokenize(line, tokens, problem);
        if (ok && !tokens.empty()) {
            if (!tokens[0].quoted && tokens[0].text == "controller") {
                if (tokens.size() < 2 || !tokens[1].quoted) {
                    problem = "expected a name in double quotes after 'controller'";
                    ok = false;
                } else if (tokens.size() > 2) {
                    problem = "expected nothing after the name, found '" + shownWord(tokens[2].text) + "'";
                    ok = false;
                } else if (tokens[1].text.size() + 1 > kSyncNameLimit) {
                    problem = "expected a name of at most " + std::to_string(kSyncNameLimit - 1) + " bytes";
                    ok = false;
                } else {
                    // The program reads a name up to its first zero byte.
                    const std::string& name = tokens[1].text;
                    const std::string read = name.substr(0, name.find('\0'));
                    const auto [found, first] = namedOnLine.emplace(read, lineNumber);
                    if (read.size() != name.size())
                        note = "the name holds a zero byte; the program reads it as " + quoteSyncName(read);
                    if (!first)
                        note += std::string(note.empty() ? "" : "; ") + "controller " + quoteSyncName(read) +
                                " was already given on line " + std::to_string(found->second) +
                                "; the program reads only the later one";
                    found->second = lineNumber;
                    records.push_back(SyncFileRecord{name, {}});
                }
            } else if (records.empty()) {
                problem = "expected 'controller \"NAME\"' before the first key, found '" + shownWord(tokens[0].text) + "'";
                ok = false;
            } else {
                ok = parseKey(tokens, records.back(), problem, note);
            }
        }
        if (lines) {
            SyncTextLine where;
            where.record = static_cast<int>(records.size()) - 1;
            if (ok && !tokens.empty() && !(!tokens[0].quoted && tokens[0].text == "controller")) {
                where.key = static_cast<int>(records.back().keys.size()) - 1;
                where.shaped = tokens.size() > 2;
            }
            lines->push_back(where);
        }
        if (!ok) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        if (!note.empty() && notes)
            notes->push_back("line " + std::to_string(lineNumber) + ": " + note);
    }
    return true;
}

} // namespace qelFramework
