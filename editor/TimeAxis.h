#pragma once
// The editor's time axis: the song's waveform under a ruler, the keys and the curve of
// the selected controller and the keys of a comparison controller, over the part of
// the song in view. The static part is compiled into one display list (the curve list)
// once a frame; the workspace around it is drawn each frame.
#include "gl/GLHeaders.h"
#include "editor/EditorLayout.h"
#include "sync/SyncController.h"

#include <cstdint>
#include <vector>

namespace qelFramework {

class BeatGrid;
class EditorFont;

class TimeAxis {
public:
    TimeAxis() = default;
    TimeAxis(const TimeAxis&) = delete;
    TimeAxis& operator=(const TimeAxis&) = delete;

    // The whole song as interleaved 16-bit stereo frames. Without samples the axis
    // still spans frameCount frames, and the waveform is left out.
    void setSong(std::vector<std::int16_t> samples, std::uint32_t frameCount, std::uint32_t framesPerSecond);
    // View 0 to the frame count.
    void fullView();

    // Window x of a time: (whole frame - view start) / view width.
    float timeToX(float t) const;
    // Time of a window x in the view.
    float xToTime(float x) const;
    // Values 0..1 span the curve area, y 0.25 to 0.4.
    static float valueToY(float v) { return EditorLayout::kCurveAreaBottom + EditorLayout::kCurveAreaHeight * v; }
    // The frame of a time, truncated toward zero (0 for times before the song).
    std::uint32_t timeToFrame(float t) const;
    float songSeconds() const;
    // The baseline y for a label of width w at x that keeps off the curve of c: just
    // above the curve where the curve area has room for it, else just below.
    float labelYOffCurve(const SyncController& c, float x, float w) const;
    // A label's extent around its baseline, in window fractions.
    static constexpr float kLabelDescent = 0.006f, kLabelAscent = 0.022f;

    // Compiles the curve list anew (waveform, keys, curves, ruler) for the current view
    // and selection. Needs a current GL context.
    void rebuildCurveList();
    // Background, value grid, play position, the curve list, the selected segment, the
    // zoom range and the selected keys, in the 0..1 projection it sets up and restores.
    void drawWorkspace();
    // Deletes the curve list.
    void release();

    // Song.
    std::vector<std::int16_t> samples; // interleaved stereo
    std::uint32_t frameCount = 0;
    std::uint32_t framesPerSecond = 44100;
    // Production time of the frame being drawn, seconds.
    float currentTime = 0.0f;
    // The range being dragged out for a zoom, seconds.
    float rangeFrom = 0.0f, rangeTo = 0.0f;
    bool rangeVisible = false;
    // Frames spanning x = 0..1.
    std::uint32_t viewStart = 0, viewEnd = 0;
    const EditorFont* rulerFont = nullptr; // labels only when set
    // The ruler's marks: bar lines and beat ticks (null: no grid), bookmarks, the loop.
    const BeatGrid* grid = nullptr;
    const std::vector<float>* bookmarks = nullptr;
    bool loopVisible = false;
    float loopFrom = 0.0f, loopTo = 0.0f;
    SyncController* selected = nullptr;
    SyncController* comparison = nullptr;
    std::vector<int> selectedKeys;
    GLuint curveList = 0;
    int selectedSegment = -1;

private:
    void compileWaveform() const;
    void compileKeys() const;
    void compileRuler() const;
    void compileBeatGrid() const;
    void compileLoopAndBookmarks() const;
    // The selected segment when it exists in the selected controller.
    bool segmentSpan(float& fromX, float& toX) const;
};

} // namespace qelFramework
