#pragma once

// What the filter machine needs of its open editor. The machine keeps the editor and its
// thread rules; the description of a binding that shows editors builds them (see
// CFilterDescription::BuildEditor), so that the machine itself never needs the GUI toolkit.
class CFilterEditor {
public:
    virtual ~CFilterEditor() = default;

    // True on the thread that made the editor and handles its window's events.
    virtual bool OnWindowThread() const = 0;
    // Redraws on the window's thread as soon as it handles its messages; from any thread.
    virtual void RequestRedraw() = 0;
    // Redraws now; only on the window's thread.
    virtual void Refresh() = 0;
    // Highlights the step of `value`: at once on the window's thread, posted from others.
    virtual void ShowValue(double value) = 0;
    // The step shown.
    virtual int Selected() const = 0;
    // The editor's own window, as the host knows windows.
    virtual void* HostWindow() const = 0;
};
