#pragma once
// Where the editor's parts lie, in window fractions with y measured from the bottom:
// the bands of the workspace along the bottom, the panels along the top, the button
// rows, the read-outs, and the reach of the mouse gestures.

namespace qelFramework::EditorLayout {

// The workspace's bands, bottom to top.
constexpr float kZoomBandTop = 0.18f;   // the waveform, where a drag zooms: y < 0.18
constexpr float kRulerTop = 0.2f;       // the ruler's shaded strip above the waveform
constexpr float kAddKeyBottom = 0.2f;   // a middle click adds a key for 0.2 < y < 0.25
constexpr float kKeyHitBottom = 0.22f;  // keys answer clicks for 0.22 <= y <= 0.24
constexpr float kKeyHitTop = 0.24f;
constexpr float kKeyStripTop = 0.25f;   // the key strip: 0.18 <= y < 0.25
constexpr float kCurveAreaBottom = 0.25f; // the curve area: 0.25 < y < 0.4, values 0..1
constexpr float kCurveAreaHeight = 0.15f;
constexpr float kCurveAreaTop = 0.4f;   // also the top of the workspace

// On the ruler: the loop's band over the whole strip, bar lines across it with their
// numbers inside it, beat ticks hanging from its top, and bookmark flags above it.
constexpr float kBeatTickBottom = 0.194f;
constexpr float kBarNumberY = 0.1825f;
constexpr float kBookmarkFlagTop = 0.21f;
constexpr float kBookmarkFlagWidth = 0.004f;
// Beat ticks and bar lines are drawn only this many pixels apart or more; bar numbers
// at least this far apart (every bar, every second, fourth, ... bar).
constexpr float kBeatTickSpacingPixels = 6.0f;
constexpr float kBarNumberSpacingPixels = 40.0f;

// Reach of the mouse, in window x.
constexpr float kKeyHitHalfWidth = 0.005f; // a key answers within this of its x
constexpr float kSnapReach = 0.008f;       // Shift snaps to a comparison key this close
constexpr float kSegmentKeepMargin = 0.01f; // a release this far past the segment keeps it
constexpr float kShortestZoom = 0.005f;    // a zoom drag must be wider than this
// A value drag: the value moves ten times the vertical mouse travel.
constexpr float kValueDragGain = 10.0f;

// The four drop-down panels along the top: title position and width.
struct PanelPlace {
    float x, y, width;
};
constexpr PanelPlace kWorkspacePanel{0.025f, 0.95f, 0.1f};
constexpr PanelPlace kLayersPanel{0.15f, 0.95f, 0.15f};
constexpr PanelPlace kControllersPanel{0.325f, 0.95f, 0.2f};
constexpr PanelPlace kControllers2Panel{0.55f, 0.95f, 0.2f};
// Controllers 0 to 39 go into the first controller panel, the rest into the second.
constexpr int kFirstPanelControllers = 40;

// The transport buttons (play, pause, record) at the top right, and the shape buttons,
// whose group stands over the selected segment's start key at the curve area's top.
constexpr float kTransportX = 0.9f, kTransportY = 0.87f;
constexpr float kShapeButtonsY = kCurveAreaTop;
// The shape group: ids 0..3 set the segment's kind (1..4), ids 4..10 its ends (1..7).
constexpr int kKindButtonCount = 4;

// Read-outs.
constexpr float kKeyReadoutY = 0.43f;     // time and value of the hovered key (value 0.02 lower)
constexpr float kSegmentReadoutY = 0.71f; // length and span of the selected segment (0.02 lower)
constexpr float kClockX = 0.9f, kClockLabelY = 0.98f, kClockY = 0.95f;
constexpr float kMouseStatusY = 0.8f;
constexpr float kNoticeRight = 0.995f, kNoticeY = 0.76f; // notices end at the right edge
constexpr float kRecordBannerX = 0.43f, kRecordBannerY = 0.985f;
// The selected controller's name and value, at the top left of the curve area.
constexpr float kNameX = 0.005f, kNameY = kCurveAreaTop - 0.02f;
// A dragged key's numbers stand this far right of and above the pointer; labels keep
// this gap from the line they belong to.
constexpr float kDragReadoutGap = 0.012f;
constexpr float kLabelGap = 0.004f;
// The key-entry field, above the workspace over its key.
constexpr float kEntryY = kCurveAreaTop + 0.04f;
constexpr float kEntryWidth = 0.3f;
// A refusal of what was typed stands just above the field.
constexpr float kEntryNoticeY = kEntryY + 0.04f;

} // namespace qelFramework::EditorLayout
