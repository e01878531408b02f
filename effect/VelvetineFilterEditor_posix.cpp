#include "effect/VelvetineFilter.h"

// The native build has no window system, so no editor is ever built and there is nothing
// to refresh, update or delete.

NativeWindow CVelvetineFilter::OpenEditor(NativeWindow parent) { return nullptr; }

void CVelvetineFilter::RefreshEditor() {}

void CVelvetineFilter::UpdateEditor() {}

void CVelvetineFilter::DeleteEditor() {}
