#include "host/ModalWindowWatch.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <windows.h>

namespace {

const char kDialogClass[] = "#32770";
const UINT kTextTimeoutMilliseconds = 1000;

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// WM_GETTEXT goes to the box's thread, which runs the box's own message loop; the time-out
// keeps the watch going should that thread be stuck.
std::string TextOf(HWND window)
{
    char text[1024] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, kTextTimeoutMilliseconds, &copied);
    text[sizeof text - 1] = '\0';
    return text;
}

BOOL CALLBACK CollectOwnDialog(HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == kDialogClass)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM texts)
{
    if (ClassOf(child) == "Static") {
        const std::string text = TextOf(child);
        if (!text.empty())
            reinterpret_cast<std::vector<std::string>*>(texts)->push_back(text);
    }
    return TRUE;
}

std::string Describe(HWND box)
{
    std::vector<std::string> texts;
    EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    std::string description = "\"" + TextOf(box) + "\":";
    for (const std::string& text : texts)
        description += " \"" + text + "\"";
    return description;
}

// OK answers a message box of any style; WM_CLOSE ends the other dialogs.
void Dismiss(HWND box)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PostMessageA(box, WM_CLOSE, 0, 0);
}

}  // namespace

struct ModalWindowWatch::State {
    std::mutex reportLock;
    Report report;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::set<HWND> reported;
    std::thread thread;

    void Run(int pollMilliseconds)
    {
        while (WaitForSingleObject(stop, DWORD(pollMilliseconds)) == WAIT_TIMEOUT)
            LookOnce();
    }

    void LookOnce()
    {
        std::vector<HWND> boxes;
        EnumWindows(&CollectOwnDialog, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            // A box that does not go at once is dismissed again, but reported once.
            if (reported.insert(box).second) {
                const std::string description = Describe(box);
                std::lock_guard<std::mutex> hold(reportLock);
                report(description);
            }
            Dismiss(box);
        }
    }
};

ModalWindowWatch::ModalWindowWatch(Report report, int pollMilliseconds) : state(new State)
{
    state->report = std::move(report);
    state->thread = std::thread([this, pollMilliseconds] { state->Run(pollMilliseconds); });
}

ModalWindowWatch::~ModalWindowWatch()
{
    SetEvent(state->stop);
    state->thread.join();
    CloseHandle(state->stop);
}

ModalWindowWatch::Report ModalWindowWatch::SetReport(Report report)
{
    std::lock_guard<std::mutex> hold(state->reportLock);
    Report previous = std::move(state->report);
    state->report = std::move(report);
    return previous;
}
