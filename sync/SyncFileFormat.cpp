#include "sync/SyncFileFormat.h"

#include "sync/SyncData.h"

#include <cstdio>
#include <cstring>

namespace qelFramework {

namespace {
std::uint32_t getU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

float getF32(const unsigned char* p) {
    const std::uint32_t bits = getU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::int32_t getI32(const unsigned char* p) {
    const std::uint32_t bits = getU32(p);
    std::int32_t i;
    std::memcpy(&i, &bits, sizeof i);
    return i;
}

void putU32(std::vector<unsigned char>& out, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    out.insert(out.end(), b, b + 4);
}

void putF32(std::vector<unsigned char>& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    putU32(out, bits);
}

void putI32(std::vector<unsigned char>& out, std::int32_t i) {
    std::uint32_t bits;
    std::memcpy(&bits, &i, sizeof bits);
    putU32(out, bits);
}

// Checks a name's length before it is stored; false with the reason in problem.
bool nameFits(const std::string& name, std::string& problem) {
    if (name.size() + 1 > kSyncNameLimit) {
        problem = "the name \"" + name.substr(0, 40) + "...\" is longer than " + std::to_string(kSyncNameLimit - 1) +
                  " bytes";
        return false;
    }
    return true;
}

void putName(std::vector<unsigned char>& out, const std::string& name) {
    putU32(out, static_cast<std::uint32_t>(name.size() + 1));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

std::string describe(const char* format, unsigned long long a, unsigned long long b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

constexpr std::size_t kKeyBytes = 8;     // time and value
constexpr std::size_t kSegmentBytes = 8; // kind and preset
} // namespace

SyncFileDecoder::SyncFileDecoder(const unsigned char* data, std::size_t byteCount) : bytes(data), size(byteCount) {
    if (size < 4) {
        fail(0, "the file is too short to hold the controller count");
        return;
    }
    declared = getU32(bytes);
    offset = 4;
}

bool SyncFileDecoder::fail(std::size_t at, const std::string& what) {
    problemText = what;
    problemAt = at;
    return false;
}

bool SyncFileDecoder::next() {
    if (damaged())
        return false;
    const std::size_t start = offset;
    if (read == declared) {
        if (offset != size)
            return fail(offset, describe("%llu bytes follow the last of the controllers the file announces",
                                         static_cast<unsigned long long>(size - offset)));
        return false;
    }
    const unsigned long long number = read + 1ULL;
    std::size_t left = size - offset;
    if (left < 4)
        return fail(start, describe("controller %llu of %llu is missing", number, declared));
    const std::uint32_t nameLength = getU32(bytes + offset);
    if (nameLength == 0 || nameLength > kSyncNameLimit)
        return fail(start, describe("controller %llu has a name length of %llu", number, nameLength));
    offset += 4;
    left -= 4;
    if (left < nameLength)
        return fail(start, describe("the name of controller %llu runs past the end of the file", number));
    const unsigned char* name = bytes + offset;
    if (name[nameLength - 1] != 0)
        return fail(start, describe("the name of controller %llu does not end in a zero byte", number));
    offset += nameLength;
    left -= nameLength;
    if (left < 4)
        return fail(start, describe("the key count of controller %llu runs past the end of the file", number));
    const std::uint32_t keys = getU32(bytes + offset);
    offset += 4;
    left -= 4;
    // Checked against what is left before anything is sized by it.
    const unsigned long long needed =
        keys == 0 ? 0ULL : keys * static_cast<unsigned long long>(kKeyBytes + kSegmentBytes) - kSegmentBytes;
    if (needed > left)
        return fail(start, describe("the %llu keys of controller %llu run past the end of the file", keys, number));

    recordName.assign(reinterpret_cast<const char*>(name), nameLength - 1);
    recordKeys = keys;
    keyData = bytes + offset;
    offset += static_cast<std::size_t>(needed);
    ++read;
    return true;
}

SyncFileKey SyncFileDecoder::key(std::uint32_t index) const {
    SyncFileKey key;
    if (index >= recordKeys)
        return key;
    // Key 0 takes 8 bytes, every later key 16.
    const unsigned char* p =
        keyData + (index == 0 ? 0 : kKeyBytes + (index - 1) * static_cast<std::size_t>(kKeyBytes + kSegmentBytes));
    key.time = getF32(p);
    key.value = getF32(p + 4);
    if (index > 0) {
        key.kind = getI32(p + 8);
        key.ends = getI32(p + 12);
    }
    return key;
}

SyncFileRecord SyncFileDecoder::record() const {
    SyncFileRecord r;
    r.name = recordName;
    r.keys.reserve(recordKeys);
    for (std::uint32_t i = 0; i < recordKeys; ++i)
        r.keys.push_back(key(i));
    return r;
}

bool decodeSyncRecords(const std::vector<unsigned char>& image, std::vector<SyncFileRecord>& records,
                       std::string& problem) {
    SyncFileDecoder decoder(image.data(), image.size());
    while (decoder.next())
        records.push_back(decoder.record());
    if (!decoder.damaged())
        return true;
    problem = describe("at byte %llu: ", decoder.problemOffset()) + decoder.problem();
    return false;
}

bool syncContentsHold(SyncContents contents, const SyncController& controller) {
    return contents == SyncContents::snapshot || controller.keyCount() > 0 || controller.namedByFile();
}

bool encodeSyncData(const SyncData& data, std::vector<unsigned char>& image, std::string& problem,
                    SyncContents contents) {
    image.clear();
    std::uint32_t count = 0;
    for (std::size_t c = 0; c < data.count(); ++c)
        count += syncContentsHold(contents, *data.at(c)) ? 1 : 0;
    putU32(image, count);
    for (std::size_t c = 0; c < data.count(); ++c) {
        const SyncController& controller = *data.at(c);
        if (!syncContentsHold(contents, controller))
            continue;
        if (!nameFits(controller.nameRef(), problem))
            return false;
        // The reader ends a controller's name at its first zero byte, so such a name
        // would not come back.
        if (controller.nameRef().find('\0') != std::string::npos) {
            problem = "a controller's name holds a zero byte";
            return false;
        }
        putName(image, controller.nameRef());
        const std::vector<SyncKey>& keys = controller.keys();
        const std::vector<SyncSegment>& segments = controller.segments();
        putU32(image, static_cast<std::uint32_t>(keys.size()));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            putF32(image, keys[i].time);
            putF32(image, keys[i].value);
            if (i > 0) {
                putI32(image, segments[i - 1].kind);
                putI32(image, segments[i - 1].ends);
            }
        }
    }
    return true;
}

bool encodeSyncRecords(const std::vector<SyncFileRecord>& records, std::vector<unsigned char>& image,
                       std::string& problem) {
    image.clear();
    putU32(image, static_cast<std::uint32_t>(records.size()));
    for (const SyncFileRecord& record : records) {
        if (!nameFits(record.name, problem))
            return false;
        putName(image, record.name);
        putU32(image, static_cast<std::uint32_t>(record.keys.size()));
        for (std::size_t i = 0; i < record.keys.size(); ++i) {
            putF32(image, record.keys[i].time);
            putF32(image, record.keys[i].value);
            if (i > 0) {
                putI32(image, record.keys[i].kind);
                putI32(image, record.keys[i].ends);
            }
        }
    }
    return true;
}

} // namespace qelFramework
