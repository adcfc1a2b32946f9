#include "gl/GL_Camera.h"

#include "gl/GLHeaders.h"
#include "gl/Vector3.h"

namespace qelFramework {

void GL_Camera::set(float fov, float aspectRatio, float nearPlane, float farPlane, float ex, float ey, float ez,
                    float cx, float cy, float cz, float ux, float uy, float uz) {
    fovY = fov;
    aspect = aspectRatio;
    zNear = nearPlane;
    zFar = farPlane;
    eyeX = ex;
    eyeY = ey;
    eyeZ = ez;
    centerX = cx;
    centerY = cy;
    centerZ = cz;
    upX = ux;
    upY = uy;
    upZ = uz;
    normalizeUp();
}

void GL_Camera::apply() const {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovY, aspect, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}

void GL_Camera::interpolate(const GL_Camera& a, const GL_Camera& b, float t) {
    if (t < 0.0f)
        t = 0.0f;
    if (t > 1.0f)
        t = 1.0f;
    float s = 1.0f - t;
    fovY = a.fovY * t + b.fovY * s;
    aspect = a.aspect * t + b.aspect * s;
    zNear = a.zNear * t + b.zNear * s;
    zFar = a.zFar * t + b.zFar * s;
    centerX = a.centerX * t + b.centerX * s;
    centerY = a.centerY * t + b.centerY * s;
    centerZ = a.centerZ * t + b.centerZ * s;
    eyeX = a.eyeX * t + b.eyeX * s;
    eyeY = a.eyeY * t + b.eyeY * s;
    eyeZ = a.eyeZ * t + b.eyeZ * s;
    upX = a.upX * t + b.upX * s;
    upY = a.upY * t + b.upY * s;
    upZ = a.upZ * t + b.upZ * s;
    normalizeUp();
}

void GL_Camera::normalizeUp() {
    float length = vectorLength(Vector3{upX, upY, upZ});
    // A zero up vector (opposite ups blended half way) has no direction to keep.
    if (length > 0.0f) {
        upX /= length;
        upY /= length;
        upZ /= length;
    }
}

} // namespace qelFramework
