// The editor's drawing: the workspace, the read-outs, the panels and buttons, the help
// and the notices, over the finished frame.
#include "editor/SyncEditor.h"

#include "gl/GLHeaders.h"
#include "gl/UnitProjection.h"
#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "editor/EditorLayout.h"
#include "timeline/Transport.h"

#include <algorithm>
#include <iterator>

namespace qelFramework {

using namespace EditorLayout;

namespace {
// The controls the help overlay lists.
const char* const kHelpRows[][2] = {
    {"title row", "opens a panel"},
    {"left click in the key strip", "select a key; drag to move it"},
    {"  with Shift", "snap to a key of the comparison"},
    {"  with Alt", "snap to the nearest beat"},
    {"  with Ctrl", "add to the selection"},
    {"right drag above the strip", "change the selected keys' value"},
    {"middle click in the strip", "add a key on the curve"},
    {"Delete + right click", "remove a key"},
    {"left click over the curve", "select a segment, then a shape"},
    {"left drag in the waveform", "zoom; right click there: whole song"},
    {"Tab + left click", "seek the music and the clock"},
    {"Shift + controller", "compare with another controller"},
    {"record button, then Space", "drop keys on the selected controller"},
    {"  Alt + Space", "drop a key on the nearest beat"},
    {"Enter, or double click a key", "type its time and value"},
    {"typing over a controller list", "filter it; Escape clears"},
    {"Left / Right", "select the previous / next key"},
    {"Ctrl (+ Shift) + Left / Right", "nudge selected keys a frame (a beat)"},
    {"Up / Down (with Shift)", "value up / down 0.01 (0.1)"},
    {"G", "type the play line's time"},
    {"L", "loop the zoomed range (again: stop)"},
    {"B", "bookmark the play line (again: remove)"},
    {"PageUp / PageDown", "previous / next bookmark"},
    {"Ctrl + C, Ctrl + V", "copy the selected keys, paste at the play line"},
    {"Ctrl + Z", "undo"},
    {"Ctrl + Y, Ctrl + Shift + Z", "redo"},
    {"F5 / F6", "hide / show the editor"},
};
} // namespace

float SyncEditor::textWidth(const std::string& text) const {
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    return normalFont.textWidth(text) / static_cast<float>(std::max(viewport[2], 1));
}

void SyncEditor::drawOverlayText() {
    const EditorFont* font = &normalFont;
    char text[160];
    if (selected && hovered >= 0 && hovered < selected->keyCount()) {
        const float t = selected->keyTime(hovered);
        const float x = axis.timeToX(t) - 0.025f;
        printText(font, x, kKeyReadoutY, 0.6f, 0.6f, 0.6f, 1.0f, "time: %.03fs", static_cast<double>(t));
        printText(font, x, kKeyReadoutY - 0.02f, 0.6f, 0.6f, 0.6f, 1.0f, "value: %.03f",
                  static_cast<double>(selected->keyValue(hovered)));
    }
    if (selected && segment >= 0 && segment + 1 < selected->keyCount()) {
        const float from = selected->keyTime(segment), to = selected->nextKeyTime(segment);
        const float x = axis.timeToX(from);
        // The segment's shape and ends are framed among the buttons.
        const SyncSegment& shape = selected->segments()[static_cast<std::size_t>(segment)];
        const int kindId = shape.kind >= linear && shape.kind <= minexponential ? shape.kind - 1 : -1;
        const int endsId = shape.ends >= valval && shape.ends <= zerozero ? shape.ends - 1 + kKindButtonCount : -1;
        shapes.draw(x, kShapeButtonsY, kindId, endsId);
        glDisable(GL_TEXTURE_2D);
        printText(font, x, kSegmentReadoutY, 0.6f, 0.6f, 0.6f, 1.0f, "length: %.03fs", static_cast<double>(to - from));
        printText(font, x, kSegmentReadoutY - 0.02f, 0.6f, 0.6f, 0.6f, 1.0f, "from: %.03fs - to: %0.3fs",
                  static_cast<double>(from), static_cast<double>(to));
    }
    if (cursorShown) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_LINES);
        glColor4f(0.2f, 0.1f, 0.7f, 0.9f);
        glVertex2f(mouseX, kCurveAreaTop);
        glColor4f(0.2f, 0.1f, 0.7f, 0.5f);
        glVertex2f(mouseX, 0.0f);
        glEnd();
    }
    if (zoomDragging) {
        // The range's two ends: the earlier label ends at its line, the later one starts
        // at its own, so they never cross.
        const float anchorX = axis.timeToX(zoomAnchor), mouseTime = axis.xToTime(mouseX);
        std::snprintf(text, sizeof text, "%.4fs", static_cast<double>(zoomAnchor));
        const std::string anchorText = text;
        std::snprintf(text, sizeof text, "%.4fs", static_cast<double>(mouseTime));
        const bool anchorLeft = anchorX <= mouseX;
        const float anchorLabelX = anchorLeft ? anchorX - kLabelGap - textWidth(anchorText) : anchorX + kLabelGap;
        const float mouseLabelX = anchorLeft ? mouseX + kLabelGap : mouseX - kLabelGap - textWidth(text);
        printText(font, anchorLabelX, kKeyHitTop, 0.5f, 0.5f, 1.0f, 1.0f, "%s", anchorText.c_str());
        printText(font, mouseLabelX, kKeyHitTop, 1.0f, 1.0f, 1.0f, 1.0f, "%s", text);
    } else if (cursorShown) {
        printText(font, mouseX - 0.008f, kKeyHitTop, 1.0f, 1.0f, 1.0f, 1.0f, "%.4fs",
                  static_cast<double>(cursorTime()));
    }
    printText(font, kClockX, kClockLabelY, 1.0f, 1.0f, 1.0f, 1.0f, "runtime");
    if (draftDivisor > 1)
        printText(font, kClockX - 0.07f, kClockLabelY, 1.0f, 0.8f, 0.3f, 1.0f, "draft 1/%d", draftDivisor);
    printText(&clockFont, kClockX, kClockY, 1.0f, 1.0f, 1.0f, 1.0f, "%0.3fs", static_cast<double>(axis.currentTime));
    printText(font, kClockX, kMouseStatusY, 1.0f, 1.0f, 1.0f, 1.0f, "%s", mouseStatusText.c_str());
    if (recording)
        printText(font, kRecordBannerX, kRecordBannerY, 1.0f, 0.0f, 0.0f, 1.0f, ">>>RECORD MODE<<<  keys go to %s",
                  selected ? selected->name().c_str() : "no controller: pick one");
}

void SyncEditor::drawDragReadout() {
    // The key being dragged: its exact numbers beside the pointer, over the workspace.
    const EditorFont* font = &normalFont;
    char text[64];
    const int dragged = drag == MovingKey && selectedKeyList.size() == 1 ? selectedKeyList[0]
                        : drag == ChangingValues && !selectedKeyList.empty() ? selectedKeyList.back()
                                                                              : -1;
    if (selected && dragged >= 0 && dragged < selected->keyCount()) {
        std::snprintf(text, sizeof text, "%.3f s   %.3f", static_cast<double>(selected->keyTime(dragged)),
                      static_cast<double>(selected->keyValue(dragged)));
        // Beside the pointer, above or below the curve line, on a dark ground.
        const float x = mouseX + kDragReadoutGap, y = axis.labelYOffCurve(*selected, x, textWidth(text));
        glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
        glRectf(x - 0.003f, y - TimeAxis::kLabelDescent, x + textWidth(text) + 0.003f, y + TimeAxis::kLabelAscent);
        printText(font, x, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", text);
    }
}

void SyncEditor::drawControllerName() {
    // The controller being edited, and its value at the play line.
    if (selected)
        printText(&normalFont, kNameX, kNameY, 1.0f, 0.9f, 0.6f, 1.0f, "%s   %.3f", selected->name().c_str(),
                  static_cast<double>(selected->valueAt(axis.currentTime)));
}

void SyncEditor::drawButtonName() {
    const ButtonGroup::Button* button = playButtons.buttonAt(mouseX, mouseY);
    if (!button && segment >= 0 && selected)
        button = shapes.buttonAt(mouseX, mouseY);
    if (!button || !*button->name)
        return;
    // Beside the pointer, kept inside the window.
    const float x = std::min(mouseX + kLabelGap, 1.0f - textWidth(button->name) - kLabelGap);
    glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
    glRectf(x - 0.004f, mouseY - 0.03f, x + textWidth(button->name) + 0.004f, mouseY - 0.005f);
    printText(&normalFont, x, mouseY - 0.025f, 1.0f, 1.0f, 1.0f, 1.0f, "%s", button->name);
}

void SyncEditor::drawKeyEntry() {
    const bool playLine = entry.forPlayLine();
    if (!entry.isOpen() || (!playLine && (!selected || entry.keyIndex() >= selected->keyCount())))
        return;
    const float x = entryX();
    glEnable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, 0.85f);
    glRectf(x, kEntryY - 0.012f, x + kEntryWidth, kEntryY + 0.03f);
    const char* labels[2] = {playLine ? "go to (s)" : "time", "value"};
    float at = x + 0.006f;
    for (KeyEntry::Part part : {KeyEntry::Time, KeyEntry::Value}) {
        if (playLine && part == KeyEntry::Value)
            break;
        const bool active = entry.activePart() == part;
        const std::string shown = entry.text(part) + (active ? "_" : "");
        printText(&normalFont, at, kEntryY, 0.7f, 0.7f, 0.7f, 1.0f, "%s", labels[part]);
        at += textWidth(labels[part]) + 0.006f;
        if (active) {
            glColor4f(0.3f, 0.3f, 0.5f, 0.9f);
            glRectf(at - 0.003f, kEntryY - 0.008f, at + textWidth(shown) + 0.003f, kEntryY + 0.024f);
        }
        printText(&normalFont, at, kEntryY, 1.0f, 1.0f, 1.0f, 1.0f, "%s", shown.c_str());
        at += std::max(textWidth(shown), 0.05f) + 0.015f;
    }
    printText(&normalFont, x + 0.006f, kEntryY - 0.03f, 0.6f, 0.6f, 0.6f, 1.0f, "%s",
              playLine ? "Enter: go there   Escape: leave" : "Tab: time / value   Enter: set   Escape: leave");
}

void SyncEditor::drawHelp() {
    // Rows close enough that the box ends above the workspace.
    const float left = 0.3f, right = 0.72f, top = 0.92f;
    const float row = 0.0175f;
    const float bottom = top - row * static_cast<float>(std::size(kHelpRows) + 2);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
    glRectf(left, bottom, right, top);
    glColor4f(0.8f, 0.8f, 0.8f, 0.65f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
    printText(&normalFont, left + 0.01f, top - row, 1.0f, 0.8f, 0.4f, 1.0f, "CONTROLS  (click anywhere to close)");
    for (std::size_t i = 0; i < std::size(kHelpRows); ++i) {
        const float y = top - row * static_cast<float>(i + 2);
        printText(&normalFont, left + 0.01f, y, 0.8f, 0.8f, 0.8f, 1.0f, "%s", kHelpRows[i][0]);
        printText(&normalFont, left + 0.2f, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", kHelpRows[i][1]);
    }
}

void SyncEditor::drawNotice() {
    if (!notices.showing(platform::queryPerformanceCounter()))
        return;
    const std::string& text = notices.text();
    const float width = textWidth(text);
    float x = std::max(0.0f, kNoticeRight - width), y = kNoticeY;
    if (notices.anchored()) {
        // Beside what it refused, on a dark ground, kept inside the window.
        x = std::clamp(notices.anchorX(), 0.0f, std::max(0.0f, 1.0f - width - kLabelGap));
        y = std::clamp(notices.anchorY(), 0.005f, 0.97f);
        glColor4f(0.0f, 0.0f, 0.0f, 0.8f);
        glRectf(x - 0.004f, y - 0.006f, x + width + 0.004f, y + 0.022f);
    }
    if (notices.warning())
        printText(&normalFont, x, y, 1.0f, 0.69f, 0.29f, 1.0f, "%s", text.c_str());
    else
        printText(&normalFont, x, y, 0.7f, 0.9f, 0.7f, 1.0f, "%s", text.c_str());
}

void SyncEditor::draw() {
    if (!initialised)
        return;
    // 1. The time axis takes the selection and the production time; its curve list is
    // compiled once a frame, here.
    axis.selected = selected;
    axis.selectedSegment = segment;
    axis.rebuildCurveList();
    axis.selectedKeys = selectedKeyList;
    axis.currentTime = transport.currentTime();

    // 2. Hide and show.
    if (platform::isKeyDown(Key::F5))
        isHidden = true;
    if (platform::isKeyDown(Key::F6))
        isHidden = false;
    if (isHidden)
        return;

    // 4. The overlay's state; whatever the layers left is restored afterwards.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glUseProgram(0);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    pushUnitProjection(false);

    // 5 to 9. Read-outs.
    drawOverlayText();

    // 10. Workspace, panels, transport.
    popUnitProjection();
    axis.drawWorkspace();
    pushUnitProjection(false);
    drawControllerName();
    workspace.draw(&normalFont, kWorkspacePanel.x, kWorkspacePanel.y, kWorkspacePanel.width, -1);
    layers.draw(&normalFont, kLayersPanel.x, kLayersPanel.y, kLayersPanel.width, selectedIndex);
    controllers.draw(&normalFont, kControllersPanel.x, kControllersPanel.y, kControllersPanel.width, selectedIndex);
    controllers2.draw(&normalFont, kControllers2Panel.x, kControllers2Panel.y, kControllers2Panel.width,
                      selectedIndex);
    playButtons.draw(kTransportX, kTransportY);
    glDisable(GL_TEXTURE_2D);

    drawDragReadout();
    drawKeyEntry();
    drawButtonName();
    if (helpShown)
        drawHelp();
    drawNotice();

    popUnitProjection();
    glDepthMask(GL_TRUE);
    glUseProgram(static_cast<GLuint>(program));
    glPopAttrib();
}

} // namespace qelFramework
