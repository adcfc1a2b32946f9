#include "app/FrameDiagnostics.h"

#include "app/MusicStream.h"
#include "gl/GLHeaders.h"

#include <cstdio>

namespace qelFramework {

void FrameDiagnostics::drawFrameTimes(float delta, platform::Window* window) {
    frameTimeHistory[frameHistoryIndex] = delta;
    frameHistoryIndex =
        frameHistoryIndex + 1 >= static_cast<std::uint32_t>(kHistorySize) ? 0 : frameHistoryIndex + 1;

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glPushMatrix();
    glDisable(GL_LIGHTING);
    gluOrtho2D(0, 1, 1, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glColor3f(0.25f, 0.2f, 0.2f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(0.25f, 0.0f);
    glVertex2f(0.25f, 1.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
    glDisable(GL_BLEND);

    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (std::uint32_t i = 0; i < frameHistoryIndex; ++i)
        glVertex2f(static_cast<float>(i) / 1000.0f, 0.25f + 4.0f * frameTimeHistory[i]);
    glEnd();
    glColor3f(0.5f, 0.5f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (std::uint32_t i = frameHistoryIndex; i < static_cast<std::uint32_t>(kHistorySize); ++i)
        glVertex2f(static_cast<float>(i) / 1000.0f, 0.25f + 4.0f * frameTimeHistory[i]);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);

    ++framesCounted;
    secondsCounted += delta;
    if (secondsCounted >= 0.5f) {
        framesPerSecond = static_cast<int>(2 * framesCounted);
        framesCounted = 0;
        secondsCounted = 0.0f;
    }
    char title[64];
    std::snprintf(title, sizeof(title), "FPS:  %d", framesPerSecond);
    platform::setWindowText(window, title);
    glColor3f(1.0f, 1.0f, 1.0f);
    glPopMatrix();
}

void FrameDiagnostics::showLatency(platform::Window* window, std::uint32_t now, MusicStream* soundtrack) {
    char title[96];
    if (soundtrack && soundtrack->opened)
        std::snprintf(title, sizeof(title), "latency: %f\n",
                      static_cast<double>(static_cast<float>(now) / 1000.0f - musicSeconds(soundtrack)));
    else
        std::snprintf(title, sizeof(title), "latency: no soundtrack");
    platform::setWindowText(window, title);
}

} // namespace qelFramework
