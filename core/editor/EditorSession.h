#pragma once

class CMachine;

// One editor's life as every plug-in standard's binding sees it: its size, made inside the
// host's window, served from the host's idle calls, closed. The machine builds and owns the
// editor; the session keeps the window the host was given.
class CEditorSession {
public:
    explicit CEditorSession(CMachine& machine) : machine(machine) {}

    // The editor's size, the same whether or not one is open; false when the machine shows
    // no editor.
    bool Size(int* width, int* height) const;
    // Builds the editor inside the host's window `parent` (an HWND on Windows, an X11 window
    // id on Linux), replacing the one open before; false when it cannot be built, which
    // leaves the host running without an editor.
    bool Open(void* parent);
    // The editor's own window, null while none is open.
    void* Window() const { return window; }
    // On the host's user-interface thread: handles the editor's pending window-system
    // events where the window system needs that (X11); on Windows the window's own messages
    // drive it and this does nothing.
    void Idle();
    // What a host may wait on for the open editor's window-system events: the descriptor of
    // its X11 connection; -1 without an open editor and on Windows, where the window's own
    // messages drive it.
    int EventDescriptor() const;
    // The host is done with the window: it is forgotten, and the machine deletes the editor
    // when it next builds one or is itself deleted.
    void Close() { window = nullptr; }
    // The editor goes now, window and all, so that the host's window may go too.
    void Destroy();

    CEditorSession(const CEditorSession&) = delete;
    CEditorSession& operator=(const CEditorSession&) = delete;

private:
    CMachine& machine;
    void* window = nullptr;
};
