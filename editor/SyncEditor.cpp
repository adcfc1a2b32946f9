// The editor's life (init, shutdown) and its commands: selection, snapshots, undo and
// redo, save, reset, keeping unsaved edits at the end, the sync text's reloads and the
// loop's wrap (its keys are in SyncEditorKeyCommands.cpp).
#include "editor/SyncEditor.h"

#include "base/Trace.h"
#include "gl/GLHeaders.h"
#include "gl/GL_TextureManager.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/Sound.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncFileFormat.h"
#include "editor/EditorLayout.h"
#include "timeline/Timeline.h"
#include "timeline/Transport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelFramework {

using namespace EditorLayout;

namespace {
const char* const kTag = "syncEditor";
// Without a decodable song the axis spans the schedule (or this) at this rate.
constexpr std::uint32_t kFallbackRate = 44100;
constexpr std::uint32_t kFallbackMilliseconds = 260000;

// The buttons' pictures and places: the shape group's (ids 0..3 set the kind, 4..10 the
// preset, placed relative to the selected segment) and the transport's (relative to
// the top right).
struct ButtonPlace {
    const char* texture;
    bool shape; // else transport
    int id;
    float x, y;
    const char* name; // shown while the mouse is over the button
};
const ButtonPlace kButtons[] = {
    {"editor//button-linear.png", true, 0, 0.0f, 0.23f, "linear"},
    {"editor//button-smoothstep.png", true, 1, 0.0f, 0.17f, "smoothstep"},
    {"editor//button-exponential.png", true, 2, 0.0f, 0.11f, "exponential"},
    {"editor//button-minexponential.png", true, 3, 0.0f, 0.05f, "minexponential"},
    {"editor//button-man-valval.png", true, 4, 0.038f, 0.05f, "valval: value to value"},
    {"editor//button-man-valzero.png", true, 5, 0.038f, 0.11f, "valzero: value to 0"},
    {"editor//button-man-valone.png", true, 6, 0.038f, 0.17f, "valone: value to 1"},
    {"editor//button-man-zeroval.png", true, 7, 0.038f, 0.23f, "zeroval: 0 to value"},
    {"editor//button-man-oneval.png", true, 8, 0.066f, 0.23f, "oneval: 1 to value"},
    {"editor//button-man-oneone.png", true, 9, 0.066f, 0.17f, "oneone: 1 to 1"},
    {"editor//button-man-zerozero.png", true, 10, 0.066f, 0.11f, "zerozero: 0 to 0"},
    {"editor//button-play.png", false, 0, 0.0f, 0.0f, "play"},
    {"editor//button-pause.png", false, 1, 0.033f, 0.0f, "pause"},
    {"editor//button-record.png", false, 2, 0.066f, 0.0f, "record: Space drops keys"},
};
} // namespace

SyncEditor::SyncEditor(const Timeline& timeline, SyncData& sync, Transport& transport, std::string syncFile)
    : timeline(timeline), sync(sync), transport(transport), syncFile(std::move(syncFile)),
      history(sync, kSnapshotFolder) {}

SyncEditor::~SyncEditor() = default;

void SyncEditor::setSong(std::vector<std::int16_t> samples, std::uint32_t frameCount, std::uint32_t framesPerSecond) {
    axis.setSong(std::move(samples), frameCount, framesPerSecond);
    songGiven = true;
}

void SyncEditor::loadSong() {
    std::vector<std::int16_t> samples;
    std::uint32_t frames = 0, rate = 0;
    if (platform::decodeSoundFile(kSongFile, samples, frames, rate) && frames > 0 && rate > 0) {
        axis.setSong(std::move(samples), frames, rate);
        return;
    }
    Trace::write(Trace::Warning, kTag, "no waveform: %s could not be decoded (%s)", kSongFile,
                 platform::soundError().c_str());
    const std::uint32_t ms = timeline.latestEnd() > 0 ? timeline.latestEnd() : kFallbackMilliseconds;
    axis.setSong({}, static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms) * kFallbackRate / 1000), kFallbackRate);
}

void SyncEditor::makeFonts(int viewportHeight) {
    // Sizes follow the window: the panels' rows are 1/50 of its height apart.
    const float h = static_cast<float>(std::max(viewportHeight, 1));
    auto size = [h](float fraction, int smallest, int largest) {
        return std::clamp(static_cast<int>(std::lround(h * fraction)), smallest, largest);
    };
    const std::string fontFile = editorFontFile();
    normalFont.create("normal", fontFile, size(0.0165f, 8, 40));
    clockFont.create("clock", fontFile, size(0.028f, 10, 64));
    rulerFont.create("ruler", fontFile, size(0.0135f, 7, 32));
}

void SyncEditor::makeButtons() {
    textures = std::make_unique<GL_TextureManager>();
    shapes.clear();
    playButtons.clear();
    for (const ButtonPlace& b : kButtons) {
        // A missing picture leaves a blank button (one that does not decode too, with
        // its error traced); the editor works on without it.
        GL_Texture* texture = nullptr;
        if (platform::fileExists(b.texture))
            texture = textures->getTexture(b.texture);
        else
            Trace::write(Trace::Warning, kTag, "button picture %s is missing; the button is drawn blank", b.texture);
        (b.shape ? shapes : playButtons).add(b.x, b.y, texture, b.id, b.name);
    }
    playButtons.setOrigin(kTransportX, kTransportY);
}

void SyncEditor::fillPanels() {
    controllers.clearItems();
    controllers2.clearItems();
    for (std::size_t i = 0; i < sync.count(); ++i)
        (static_cast<int>(i) < kFirstPanelControllers ? controllers : controllers2)
            .addItem(sync.at(i)->name(), static_cast<int>(i));
    layers.clearItems();
    const Timeline::Registry& registry = timeline.registry();
    for (std::size_t i = 0; i < registry.size(); ++i)
        layers.addItem(registry[i].second, static_cast<int>(i));
    workspace.clearItems();
    workspace.addItem("save", WorkspaceSave);
    workspace.addItem("-------", DropDownList::kSeparator);
    workspace.addItem("undo", WorkspaceUndo);
    workspace.addItem("-------", DropDownList::kSeparator);
    workspace.addItem("reset", WorkspaceReset);
    workspace.addItem("-------", DropDownList::kSeparator);
    workspace.addItem("help", WorkspaceHelp);
    // Where draw puts them; placed now so that the mouse finds them before the first frame.
    for (auto [panel, place] : panelPlaces())
        panel->place(place.x, place.y, place.width);
}

void SyncEditor::init() {
    if (!songGiven)
        loadSong();
    axis.fullView();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    makeFonts(viewport[3]);
    axis.rulerFont = &rulerFont;
    grid.load(kTempoFile);
    axis.grid = &grid;
    marks.load(kBookmarksFile);
    axis.bookmarks = &marks.times();
    reportLeftoverSnapshots();
    makeButtons();
    hovered = -1;
    fillPanels();
    selectController(sync.count() > 0 ? 0 : -1);
    initialised = true;
    rememberSavedState();
}

std::array<std::pair<DropDownList*, EditorLayout::PanelPlace>, 4> SyncEditor::panelPlaces() {
    return {{{&workspace, kWorkspacePanel},
             {&layers, kLayersPanel},
             {&controllers, kControllersPanel},
             {&controllers2, kControllers2Panel}}};
}

void SyncEditor::selectController(int index) {
    SyncController* chosen = index >= 0 ? sync.at(static_cast<std::size_t>(index)) : nullptr;
    // A segment index means nothing in another controller.
    if (chosen != selected)
        segment = -1;
    selectedIndex = index;
    selected = chosen;
}

void SyncEditor::setNotice(const std::string& text, bool warning, const char* source) {
    notices.show(text, warning, source);
}

void SyncEditor::takeSnapshot(const char* what) {
    if (history.beforeEdit(what))
        return;
    // The edit goes ahead; only this step cannot be undone.
    setNotice("snapshot not written: this edit cannot be undone", true);
}

void SyncEditor::reportStep(const UndoHistory::Step& step, const char* what) {
    if (!step.taken)
        return;
    // What it did, until the next key or click; a problem below replaces it.
    notices.answer(std::string(what) + ": " + step.what, false, "undo");
    if (!step.leftKept)
        notices.answer(std::string(what) + ": snapshot not written: this " + what + " cannot be taken back", true, "undo");
    if (step.restored == SyncReadResult::missing)
        notices.answer(std::string(what) + ": snapshot missing, nothing restored", true, "undo");
    else if (step.restored == SyncReadResult::damaged)
        notices.answer(std::string(what) + ": snapshot damaged, restored in part", true, "undo");
}

void SyncEditor::undo() { reportStep(history.undo(), "undo"); }

void SyncEditor::redo() { reportStep(history.redo(), "redo"); }

void SyncEditor::rememberSavedState() {
    std::string problem;
    savedImage.clear();
    if (!encodeSyncData(sync, savedImage, problem))
        savedImage.clear();
}

bool SyncEditor::hasUnsavedEdits() const {
    std::vector<unsigned char> now;
    std::string problem;
    // Controllers that cannot be encoded cannot have been saved either.
    return !encodeSyncData(sync, now, problem) || now != savedImage;
}

void SyncEditor::workspaceCommand(int id) {
    if (id == WorkspaceSave && textSource) {
        std::string error;
        const std::string& name = textSource->shownName();
        if (textSource->save(sync, error)) {
            rememberSavedState();
            setNotice("saved " + name, false);
        } else {
            Trace::write(Trace::Warning, kTag, "%s not written, the old one is kept: %s", name.c_str(), error.c_str());
            setNotice("save failed: " + name + " kept as it was", true, nullptr);
        }
    } else if (id == WorkspaceReset && textSource) {
        takeSnapshot("reset");
        std::string error;
        if (textSource->load(sync, error)) {
            keepSelectionValid();
            setNotice("reset to " + textSource->shownName(), false);
        } else {
            setNotice("reset: " + error + "; nothing changed", true);
        }
    } else if (id == WorkspaceSave) {
        if (writeSyncFile(syncFile, sync, SyncContents::save)) {
            rememberSavedState();
            setNotice("saved " + syncFile, false);
        } else {
            // writeSyncFile has traced the reason; the old file is untouched.
            setNotice("save failed: " + syncFile + " kept as it was", true, nullptr);
        }
    } else if (id == WorkspaceUndo) {
        undo();
    } else if (id == WorkspaceReset) {
        // The edits since the last save stay on the undo stack, so that a reset can be undone.
        takeSnapshot("reset");
        const SyncReadResult result = readSyncFile(syncFile, sync);
        if (result == SyncReadResult::missing) {
            setNotice("reset: " + syncFile + " could not be read; nothing changed", true);
        } else if (result == SyncReadResult::damaged) {
            setNotice("reset: " + syncFile + " is damaged, read in part", true);
        } else {
            setNotice("reset to " + syncFile, false);
        }
    }
}

void SyncEditor::keepSelectionValid() {
    if (sync.count() != controllers.allItems().size() + controllers2.allItems().size())
        fillPanels(); // the text named controllers the editor had not seen
    const int keys = selected ? selected->keyCount() : 0;
    selectedKeyList.erase(std::remove_if(selectedKeyList.begin(), selectedKeyList.end(),
                                         [keys](int k) { return k < 0 || k >= keys; }),
                          selectedKeyList.end());
    if (segment + 1 >= keys)
        segment = -1;
    if (drag != NoDrag && selectedKeyList.empty())
        drag = NoDrag;
    hovered = -1;
}

void SyncEditor::takeSyncTextChange(SyncTextSource& source, SyncTextSource::Change change) {
    if (change == SyncTextSource::Change::failed) {
        if (initialised)
            setNotice(source.message(), true, nullptr); // the text source has traced it
        return;
    }
    if (change != SyncTextSource::Change::compiled)
        return;
    if (!initialised) {
        source.merge(sync);
        return;
    }
    // Edits made here and not yet saved stay unsaved (and are kept at quit); without
    // them the data is what the text says.
    const bool wasSaved = !hasUnsavedEdits();
    takeSnapshot("reload of the sync text");
    source.merge(sync);
    if (wasSaved)
        rememberSavedState();
    keepSelectionValid();
    setNotice(source.message(), false, nullptr);
}

void SyncEditor::seekTo(float t) {
    transport.seek(t);
    lastFrameTime = transport.currentTime();
}

void SyncEditor::beforeFrame() {
    if (!initialised)
        return;
    const float now = transport.currentTime();
    // The show holds on its last millisecond: a loop that reaches it wraps from there.
    const float showEnd = timeline.latestEnd() > 0 ? static_cast<float>(timeline.latestEnd()) / 1000.0f - 0.001f
                                                   : axis.songSeconds();
    const float end = std::min(loopTo, showEnd);
    if (loopOn && lastFrameTime < end && now >= end)
        seekTo(loopFrom);
    else
        lastFrameTime = now;
}

void SyncEditor::reportLeftoverSnapshots() const {
    // A session deletes its snapshots when it ends; any found now are from one that was
    // killed. They are kept: the newest holds that session's state before its last edit.
    int count = 0;
    std::string last;
    for (const std::string& name : platform::filesIn(kSnapshotFolder))
        if (name.rfind("--", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".dat") == 0) {
            ++count;
            last = name;
        }
    if (count > 0)
        Trace::write(Trace::Warning, kTag,
                     "%s holds %d undo %s of a session that did not end in order (%s among them); they are "
                     "kept, and quillmont-sync dump reads them",
                     kSnapshotFolder, count, count == 1 ? "snapshot" : "snapshots", last.c_str());
}

void SyncEditor::shutdown() {
    // Edits never saved are kept in a file of their own before the snapshots go; if that
    // cannot be written the snapshots stay.
    const bool kept = !initialised || !hasUnsavedEdits() || keepUnsavedEdits();
    editsLost = !kept;
    if (kept)
        history.deleteFiles();
    else
        history.forget();
    if (!initialised)
        return;
    normalFont.release();
    clockFont.release();
    rulerFont.release();
    for (ButtonGroup* group : {&shapes, &playButtons}) {
        for (const ButtonGroup::Button& b : group->all())
            if (b.texture)
                b.texture->release();
        group->clear();
    }
    textures.reset();
    axis.release();
    selectedKeyList.clear();
    initialised = false;
}

} // namespace qelFramework
