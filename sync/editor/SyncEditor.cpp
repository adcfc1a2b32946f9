#include "sync/editor/SyncEditor.h"

namespace qelFramework {

SyncEditor::SyncEditor(Timeline& ownerTimeline) : owner(ownerTimeline) {}
SyncEditor::~SyncEditor() = default;
void SyncEditor::init() {}
void SyncEditor::draw() {}
void SyncEditor::handleMessage(UINT, WPARAM, LPARAM) {}
void SyncEditor::shutdown() {}

} // namespace qelFramework
