#pragma once

// Helpers for driving the plug-in's editor through the DLL as a host does: finding the
// window it built, pressing its buttons, composing what it should show from the artwork,
// and saving a screenshot for people to look at.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "gui/Picture.h"
#include "tests/gui/Win32Fixtures.h"
#include "host/PluginLibrary.h"
#include "host/RecordingHost.h"
#include "tools/editor/PngWriter.h"

namespace editortest {

constexpr int kEditorWidth = 275;
constexpr int kEditorHeight = 120;
constexpr int kButtonCount = 5;
constexpr int kButtonSize = 28;

// Inclusive bounds of button i in editor pixels.
inline int ButtonLeft(int i) { return 44 + 40 * i; }
constexpr int kButtonTop = 54;

inline BOOL CALLBACK CollectWindow(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

inline std::vector<HWND> ChildWindows(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

inline std::string ClassNameOf(HWND window)
{
    char name[128] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A press and release at (x, y), as the mouse gives them.
inline void Click(HWND window, int x, int y)
{
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

inline void DoubleClick(HWND window, int x, int y)
{
    Click(window, x, y);
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

inline void PressButton(HWND window, int button)
{
    Click(window, ButtonLeft(button) + kButtonSize / 2, kButtonTop + kButtonSize / 2);
}

// The automation calls the plug-in made for `effect`.
inline std::vector<HostCallRecord> AutomationFor(const RecordingHost& host, const AEffect* effect)
{
    std::vector<HostCallRecord> found;
    for (const HostCallRecord& call : host.CallsWithOpcode(audioMasterAutomate))
        if (call.effect == effect)
            found.push_back(call);
    return found;
}

inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The artwork as the repository holds it, decoded by the toolkit's decoder.
struct Artwork {
    Artwork()
    {
        Load(background, "background.png");
        Load(highlighted, "buttons_highlighted.png");
        Load(normal, "buttons_normal.png");
    }

    // What the editor shows with button `selected` highlighted: the background, then
    // every button's face from the strip for its state.
    std::unique_ptr<CPicture> Compose(int selected) const
    {
        auto canvas = std::make_unique<CPicture>();
        canvas->Blank(kEditorWidth, kEditorHeight);
        background.Draw(*canvas, 0, 0, 0, 0, kEditorWidth, kEditorHeight);
        for (int i = 0; i < kButtonCount; ++i)
            (i == selected ? highlighted : normal)
                .Draw(*canvas, ButtonLeft(i), kButtonTop, 40 * i, 0, kButtonSize, kButtonSize);
        return canvas;
    }

    CPicture background, highlighted, normal;

private:
    static void Load(CPicture& picture, const char* name)
    {
        const std::vector<uint8_t> bytes = ReadFile(WindowsPath(std::string(VELVETINE_SOURCE_DIR) + "/resources/" + name));
        picture.FromPng(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
};

// How many pixels of the captured window differ from the picture.
inline int DifferingPixels(const testgui::Capture& shown, const CPicture& expected)
{
    if (shown.width != expected.width || shown.height != expected.height)
        return expected.width * expected.height;
    int differing = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const uint8_t* rgb = expected.pixels + (size_t(y) * size_t(expected.width) + size_t(x)) * 3;
            differing += shown.At(x, y) != RGB(rgb[0], rgb[1], rgb[2]);
        }
    return differing;
}

// The button whose composed look the window shows exactly, or -1 if it shows none.
inline int ShownSelection(HWND editor, const Artwork& artwork)
{
    const testgui::Capture shown = testgui::CaptureWindow(editor);
    for (int i = 0; i < kButtonCount; ++i)
        if (DifferingPixels(shown, *artwork.Compose(i)) == 0)
            return i;
    return -1;
}

// ---- PNG writing ------------------------------------------------------------------------

// The capture as an 8-bit RGB PNG, by the editor-shot tool's writer.
inline std::vector<uint8_t> EncodePng(const testgui::Capture& capture)
{
    RgbImage image;
    image.width = capture.width;
    image.height = capture.height;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF colour = capture.At(x, y);
            image.rgb.insert(image.rgb.end(), {GetRValue(colour), GetGValue(colour), GetBValue(colour)});
        }
    return ::EncodePng(image);
}

// build/artifacts for a build folder build/<configuration>: the folder next to the one the
// plug-in was built in.
inline std::string ArtifactsFolder()
{
    std::string folder = WindowsPath(VELVETINE_PLUGIN_PATH);
    for (int level = 0; level < 2; ++level)
        folder = folder.substr(0, folder.find_last_of('\\'));
    return folder + "\\artifacts";
}

// Writes the file and returns its path, or "" if it could not be written.
inline std::string SaveArtifact(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string folder = ArtifactsFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + name;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file.good() ? path : "";
}

}  // namespace editortest
