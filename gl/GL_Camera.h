#pragma once
// A perspective look-at camera that can be blended between two key cameras.

namespace qelFramework {

class GL_Camera {
public:
    virtual ~GL_Camera() = default;

    // Note the order: eye before center. The up vector is stored at unit length.
    void set(float fovY, float aspect, float zNear, float zFar, float eyeX, float eyeY, float eyeZ, float centerX,
             float centerY, float centerZ, float upX, float upY, float upZ);

    // Loads the projection (perspective) and the modelview (look-at); the modelview
    // stays the current matrix.
    void apply() const;

    // This camera becomes a * t + b * (1 - t), field by field, t clamped to [0, 1]
    // (t = 1 gives a), with the blended up vector brought back to unit length.
    void interpolate(const GL_Camera& a, const GL_Camera& b, float t);

    float fovY = 45.0f; // degrees
    float aspect = 1.25f;
    float zNear = 1.0f;
    float zFar = 1000.0f;
    float centerX = 0.0f, centerY = 0.0f, centerZ = -1.0f;
    float eyeX = 0.0f, eyeY = 0.0f, eyeZ = 0.0f;
    float upX = 0.0f, upY = 1.0f, upZ = 0.0f;

private:
    void normalizeUp();
};

} // namespace qelFramework
