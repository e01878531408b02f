#include "effect/VelvetineFilter.h"

#include <memory>

#include "effect/ControlDescription.h"
#include "effect/FilterDescription.h"
#include "effect/FilterEditor.h"

// The editor is built, replaced and deleted on the host's user-interface thread, which is
// also the thread that handles its window's events, while the host may set the parameter
// from any thread. The pointer is therefore swapped under editorSwap, and a host thread
// only posts a redraw under it: it never renders, never calls the windowing system, never
// waits for the locks a press holds while the host hears of it, and never touches an
// editor that the user-interface thread has deleted.

// Answered the same whether or not an editor is open, so a host can size its frame first.
bool CVelvetineFilter::GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom)
{
    int width = 0;
    int height = 0;
    if (!description || !description->EditorSize(&width, &height))
        return false;
    *top = 0;
    *left = 0;
    *right = static_cast<int16_t>(width);
    *bottom = static_cast<int16_t>(height);
    return true;
}

NativeWindow CVelvetineFilter::OpenEditor(NativeWindow parent)
{
    // The old editor goes first, and the parent is looked at only afterwards: the host may
    // hand over the old editor's own window or one inside it, which its deletion destroys.
    DeleteEditor();
    if (!description)
        return nullptr;
    std::unique_ptr<CFilterEditor> created(description->BuildEditor(parent, this));
    if (!created)
        return nullptr;
    {
        std::lock_guard<std::mutex> hold(editorSwap);
        editor = created.get();
    }
    CFilterEditor* current = created.release();
    // A change made on a host thread while the editor was being built did not reach it.
    const double value = GetControl(OversamplingControl::kIndex);
    if (current->Selected() != PrototypeIndex(value))
        current->ShowValue(value);
    return current->HostWindow();
}

CFilterEditor* CVelvetineFilter::HeldEditor(std::unique_lock<std::mutex>& hold)
{
    if (!editor)
        return nullptr;
    hold = std::unique_lock<std::mutex>(editorSwap);
    return editor;
}

void CVelvetineFilter::RefreshEditor()
{
    std::unique_lock<std::mutex> hold;
    CFilterEditor* current = HeldEditor(hold);
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
    std::unique_lock<std::mutex> hold;
    CFilterEditor* current = HeldEditor(hold);
    if (!current)
        return;
    // Off the window's thread ShowValue only posts, which is quick enough to do under the
    // lock; on it, the redraw runs without the lock, as in RefreshEditor.
    if (current->OnWindowThread())
        hold.unlock();
    current->ShowValue(controlValues[OversamplingControl::kIndex].load(std::memory_order_relaxed));
}

void CVelvetineFilter::DeleteEditor()
{
    CFilterEditor* old = nullptr;
    {
        std::lock_guard<std::mutex> hold(editorSwap);
        old = editor.exchange(nullptr);
    }
    delete old;
}
