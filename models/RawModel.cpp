#include "models/RawModel.h"

#include "base/Trace.h"
#include "gl/DrawPacing.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qelFramework {

namespace {

constexpr const char* kTag = "modelLoader";
// The most vertices a model may promise (16 million floats for the positions alone).
constexpr long long kMaxVertices = 1LL << 22;

// Reads one white-space delimited word of at most 8191 bytes and forgets it.
void skipLabel(std::FILE* file) {
    char word[8192];
    int read = std::fscanf(file, "%8191s", word);
    (void)read;
}

// Reads a section's floats; each is zeroed first, so what is missing stays 0. Returns
// how many were read.
size_t readFloats(std::FILE* file, float* values, size_t count) {
    size_t read = 0;
    for (size_t i = 0; i < count; ++i) {
        values[i] = 0.0f;
        if (std::fscanf(file, "%f", &values[i]) == 1)
            ++read;
        else
            values[i] = 0.0f;
    }
    return read;
}

// Reads one white-space delimited word as a whole number of any size: false when the
// word is missing or not a number. A number past 64 bits reads as the largest one of its
// sign, which every check below refuses; `word` keeps it as written.
bool readCount(std::FILE* file, long long& value, std::string& word) {
    char text[64];
    if (std::fscanf(file, "%63s", text) != 1)
        return false;
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    word = text;
    return end != text && *end == '\0';
}

void warnDamaged(const char* path, const char* promised, size_t held, const char* why) {
    Trace::write(Trace::Warning, kTag, "damaged model file %s: it promised %s vertices and held %zu (%s)", path,
                 promised, held, why);
}

// (x, y, z) becomes (z, -y, -x).
void turnDirections(float* values, size_t vertices) {
    for (size_t i = 0; i < vertices; ++i) {
        float* v = values + i * 3;
        float x = v[0], y = v[1], z = v[2];
        v[0] = z;
        v[1] = -y;
        v[2] = -x;
    }
}

// A position this far from the origin is no part of any scene; its triangle would only
// stretch over the whole picture.
constexpr float kFarPosition = 1.0e6f;

bool usablePosition(const float* p) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(p[i]) || std::fabs(p[i]) > kFarPosition)
            return false;
    return true;
}

// Leaves out every whole triangle with a position that is not a number, infinite or far
// out of range, moving the later vertices down in every array; returns the triangles
// left out. Vertices after the last whole triangle are kept as they are.
size_t dropUnusableTriangles(RawModel& m, size_t& n) {
    float* arrays[5] = {m.positions.get(), m.texCoords.get(), m.normals.get(), m.tangents.get(), m.bitangents.get()};
    const size_t widths[5] = {3, 2, 3, 3, 3};
    size_t kept = 0, dropped = 0;
    for (size_t first = 0; first < n; first += 3) {
        const size_t count = std::min<size_t>(3, n - first);
        bool usable = true;
        for (size_t v = first; count == 3 && v < first + 3; ++v)
            usable = usable && usablePosition(m.positions.get() + v * 3);
        if (!usable) {
            ++dropped;
            continue;
        }
        if (kept != first)
            for (int a = 0; a < 5; ++a)
                std::memmove(arrays[a] + kept * widths[a], arrays[a] + first * widths[a],
                             count * widths[a] * sizeof(float));
        kept += count;
    }
    n = kept;
    return dropped;
}

long fileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = std::ftell(file);
    std::rewind(file);
    return size;
}

void upload(GLuint buffer, const float* values, size_t count) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(float)), values, GL_STATIC_DRAW);
}

} // namespace

void RawModel::load(const char* path) {
    // A second load replaces the first.
    if (positionBuffer != 0) {
        GLuint names[5] = {positionBuffer, texCoordBuffer, normalBuffer, tangentBuffer, bitangentBuffer};
        glDeleteBuffers(5, names);
        positionBuffer = texCoordBuffer = normalBuffer = tangentBuffer = bitangentBuffer = 0;
    }
    positions.reset();
    texCoords.reset();
    normals.reset();
    tangents.reset();
    bitangents.reset();
    vertexCount = 0;

    std::FILE* file = platform::openFile(path, "r");
    if (!file) {
        Trace::write(Trace::Warning, kTag, "could not load model file %s: %s", path, std::strerror(errno));
        return;
    }
    const long size = fileSize(file);

    long long ignored = 0, count = 0;
    std::string promised;
    skipLabel(file);
    readCount(file, ignored, promised); // not used
    skipLabel(file);
    if (!readCount(file, count, promised)) {
        warnDamaged(path, "no", 0, "empty, or not a model");
        std::fclose(file);
        return;
    }
    // Every vertex takes many bytes of text, so a count above the file's size in bytes
    // cannot be real; reading it would only ask for memory the file never fills. Above
    // kMaxVertices no model of the show comes near.
    if (count < 0 || size < 0 || count > static_cast<long long>(size) || count > kMaxVertices) {
        warnDamaged(path, promised.c_str(), 0, "a count the file cannot hold; nothing loaded");
        std::fclose(file);
        return;
    }

    size_t n = static_cast<size_t>(count);
    positions.reset(new float[n * 3]);
    texCoords.reset(new float[n * 2]);
    normals.reset(new float[n * 3]);
    tangents.reset(new float[n * 3]);
    bitangents.reset(new float[n * 3]);

    // A vertex is held when every one of its numbers was read.
    size_t held = n;
    auto section = [&](float* values, size_t width) {
        skipLabel(file);
        held = std::min(held, readFloats(file, values, n * width) / width);
    };
    section(positions.get(), 3);
    section(texCoords.get(), 2);
    section(normals.get(), 3);
    section(tangents.get(), 3);
    section(bitangents.get(), 3);
    // One record a file: what the count promised, and the triangles left out.
    const size_t whole = n;
    const size_t dropped = dropUnusableTriangles(*this, n);
    char leftOut[160] = "";
    if (dropped > 0)
        std::snprintf(leftOut, sizeof leftOut,
                      "%zu triangle%s with a position that is not a number, infinite or beyond %.0f left out",
                      dropped, dropped == 1 ? "" : "s", static_cast<double>(kFarPosition));
    if (whole == 0)
        warnDamaged(path, "0", 0, "an empty model");
    else if (held < whole)
        warnDamaged(path, promised.c_str(), held,
                    (std::string("cut short or damaged: what is missing reads as 0") + (dropped ? "; " : "") + leftOut)
                        .c_str());
    else if (dropped > 0)
        Trace::write(Trace::Warning, kTag, "damaged model file %s: %s", path, leftOut);
    vertexCount = static_cast<int>(n);

    turnDirections(normals.get(), n);
    turnDirections(tangents.get(), n);
    turnDirections(bitangents.get(), n);

    if (n > 0) {
        GLuint names[5] = {};
        glGenBuffers(5, names);
        positionBuffer = names[0];
        texCoordBuffer = names[1];
        normalBuffer = names[2];
        tangentBuffer = names[3];
        bitangentBuffer = names[4];
        upload(positionBuffer, positions.get(), n * 3);
        upload(normalBuffer, normals.get(), n * 3);
        upload(texCoordBuffer, texCoords.get(), n * 2);
        upload(bitangentBuffer, bitangents.get(), n * 3);
        upload(tangentBuffer, tangents.get(), n * 3);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    std::fclose(file);
}

void RawModel::draw() {
    if (vertexCount <= 0 || positionBuffer == 0)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glEnableClientState(GL_NORMAL_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, normalBuffer);
    glNormalPointer(GL_FLOAT, 0, nullptr);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, texCoordBuffer);
    glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
    glDrawArrays(GL_TRIANGLES, 0, vertexCount);
    countSmallDraw(); // the sky's swarm draws thousands of feathers a frame
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

} // namespace qelFramework
