#include "models/RawModel.h"

#include "base/Trace.h"
#include "gl/DrawPacing.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace qelFramework {

namespace {

constexpr const char* kTag = "modelLoader";

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

    int ignored = 0, count = 0;
    skipLabel(file);
    if (std::fscanf(file, "%d", &ignored) != 1)
        ignored = 0;
    skipLabel(file);
    if (std::fscanf(file, "%d", &count) != 1) {
        warnDamaged(path, "no", 0, "empty, or not a model");
        std::fclose(file);
        return;
    }
    // Every vertex takes many bytes of text, so a count above the file's size in bytes
    // cannot be real; reading it would only ask for memory the file never fills.
    const std::string promised = std::to_string(count);
    if (count < 0 || size < 0 || static_cast<long>(count) > size) {
        warnDamaged(path, promised.c_str(), 0, "a count the file cannot hold; nothing loaded");
        std::fclose(file);
        return;
    }

    const size_t n = static_cast<size_t>(count);
    positions.reset(new float[n * 3]);
    texCoords.reset(new float[n * 2]);
    normals.reset(new float[n * 3]);
    tangents.reset(new float[n * 3]);
    bitangents.reset(new float[n * 3]);
    vertexCount = count;

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
    if (n == 0)
        warnDamaged(path, "0", 0, "an empty model");
    else if (held < n)
        warnDamaged(path, promised.c_str(), held, "cut short or damaged: what is missing reads as 0");

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
