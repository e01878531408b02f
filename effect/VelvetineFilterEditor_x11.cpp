#include "effect/VelvetineFilter.h"

#include <cstdint>

#include "effect/VelvetineFilterGUI.h"
#include "effect/VelvetineFilterInfo.h"

// The editor is built, replaced and deleted on the host's user-interface thread, which
// then handles its events through the toolkit's dispatch, while the host may set the
// parameter from any thread. The pointer is therefore swapped under editorSwap, and a
// host thread only posts a redraw under it: it never renders, never makes an X call,
// never waits for the locks a press holds while the host hears of it, and never touches
// an editor that the user-interface thread has deleted.
//
// The parent is an X11 window id carried in the pointer, as Linux hosts pass it.

namespace {
const int kOversamplingControl = 0;
}

NativeWindow CVelvetineFilter::OpenEditor(NativeWindow parent)
{
    const ControlParent parentWindow = static_cast<ControlParent>(reinterpret_cast<uintptr_t>(parent));
    if (!parentWindow)
        return nullptr;
    DeleteEditor();
    CVelvetineFilterGUI* created = new CVelvetineFilterGUI(parentWindow, this, description);
    // No display, a parent that is not a window, or a refused request: no editor, and the
    // host simply keeps running without one.
    if (!created->IsOpen()) {
        delete created;
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> hold(editorSwap);
        editor = created;
    }
    // A change made on a host thread while the editor was being built did not reach it.
    const double value = GetControl(kOversamplingControl);
    if (created->Selected() != PrototypeIndex(value))
        created->ShowValue(value);
    return reinterpret_cast<NativeWindow>(static_cast<uintptr_t>(created->window));
}

void CVelvetineFilter::RefreshEditor()
{
    if (!editor)
        return;
    std::unique_lock<std::mutex> hold(editorSwap);
    CVelvetineFilterGUI* current = editor;
    if (!current)
        return;
    if (!current->OnWindowThread()) {
        current->RequestRedraw();
        return;
    }
    // Only this thread deletes the editor, so it stays while it is drawn without the lock.
    hold.unlock();
    current->Refresh();
}

void CVelvetineFilter::UpdateEditor()
{
    if (!editor)
        return;
    std::unique_lock<std::mutex> hold(editorSwap);
    CVelvetineFilterGUI* current = editor;
    if (!current)
        return;
    // Off the window's thread ShowValue only posts, which is quick enough to do under the
    // lock; on it, the redraw runs without the lock, as in RefreshEditor.
    if (current->OnWindowThread())
        hold.unlock();
    current->ShowValue(controlValues[kOversamplingControl].load(std::memory_order_relaxed));
}

void CVelvetineFilter::DeleteEditor()
{
    CVelvetineFilterGUI* old = nullptr;
    {
        std::lock_guard<std::mutex> hold(editorSwap);
        old = editor.exchange(nullptr);
    }
    delete old;
}
