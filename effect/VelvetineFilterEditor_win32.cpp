#include "effect/VelvetineFilter.h"

#include <memory>

#include <windows.h>

#include "effect/VelvetineFilterGUI.h"
#include "effect/VelvetineFilterInfo.h"

// The editor is built, replaced and deleted on the host's user-interface thread, which is
// also its window's thread, while the host may set the parameter from any thread. The
// pointer is therefore swapped under editorSwap, and a host thread only posts a redraw
// under it: it never renders, never waits for the locks a press holds while the host
// hears of it, and never touches an editor that the user-interface thread has deleted.

namespace {
const int kOversamplingControl = 0;
}

NativeWindow CVelvetineFilter::OpenEditor(NativeWindow parent)
{
    // The old editor goes first, and the parent is looked at only afterwards: the host may
    // hand over the old editor's own window or one inside it, which its deletion destroys.
    DeleteEditor();
    HWND parentWindow = static_cast<HWND>(parent);
    if (!parentWindow || !IsWindow(parentWindow))
        return nullptr;
    // The parent can still vanish before the editor's window exists (another thread may
    // destroy it), so a build that fails is declined, not fatal: the host keeps running.
    std::unique_ptr<CVelvetineFilterGUI> created(new CVelvetineFilterGUI(parentWindow, this, description));
    if (!created->IsBuilt())
        return nullptr;
    {
        std::lock_guard<std::mutex> hold(editorSwap);
        editor = created.get();
    }
    CVelvetineFilterGUI* current = created.release();
    // A change made on a host thread while the editor was being built did not reach it.
    const double value = GetControl(kOversamplingControl);
    if (current->Selected() != PrototypeIndex(value))
        current->ShowValue(value);
    return current->window;
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
