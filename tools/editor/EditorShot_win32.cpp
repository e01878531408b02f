// velvetine-editor-shot: opens a VST 2.x effect's editor the way a host does, shows it in
// each state of its first parameter, and saves a picture of one of them.
//
//   velvetine-editor-shot [--plugin EFFECT.dll] [--states N] [--value V] OUTPUT.png
//
// The effect is QMVelvetine.dll next to this program unless --plugin names another. The
// parameter is stepped through N evenly spaced values from 0 to 1 (5 unless told), and every
// state must draw differently. The picture saved shows the parameter at V (where it opened
// unless told), and must match the state at V when V is one of the steps.

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "shell/Vst2.h"
#include "tools/editor/PngWriter.h"

namespace {

struct Failure {
    std::string message;
};

const char* const kUsage = "usage: velvetine-editor-shot [--plugin EFFECT.dll] [--states N] [--value V] OUTPUT.png";

struct Options {
    std::string plugin;
    std::string output;
    int states = 5;
    float value = -1.0f;  // where the editor opened
};

std::string NextToThisProgram(const char* name)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder = folder.substr(0, folder.find_last_of("\\/") + 1);
    return folder + name;
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--plugin" && i + 1 < argc)
            options.plugin = argv[++i];
        else if (argument == "--states" && i + 1 < argc)
            options.states = std::atoi(argv[++i]);
        else if (argument == "--value" && i + 1 < argc)
            options.value = float(std::atof(argv[++i]));
        else if (!argument.empty() && argument[0] != '-' && options.output.empty())
            options.output = argument;
        else
            throw Failure{kUsage};
    }
    if (options.output.empty() || options.states < 2 || options.states > 64 || options.value > 1.0f)
        throw Failure{kUsage};
    if (options.plugin.empty())
        options.plugin = NextToThisProgram("QMVelvetine.dll");
    return options;
}

// A host that answers only what an editor may ask about: its version and the audio setup.
intptr_t HostCallbackProc(void*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    switch (opcode) {
    case 1: return 2400;    // audioMasterVersion
    case 16: return 48000;  // audioMasterGetSampleRate
    case 17: return 512;    // audioMasterGetBlockSize
    default: return 0;
    }
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The host's editor frame: a visible top-level window at the screen's corner. A desktop
// that is still starting may refuse the first attempts.
HWND MakeFrame(int width, int height)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "VelvetineEditorShotFrame";
    RegisterClassExA(&windowClass);
    HWND frame = nullptr;
    for (int attempt = 0; attempt < 40 && !frame; ++attempt) {
        if (attempt > 0)
            Sleep(250);
        frame = CreateWindowExA(0, windowClass.lpszClassName, "editor", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    if (!frame)
        throw Failure{"cannot create a window (is there a display?): error " + std::to_string(GetLastError())};
    PumpMessages();
    return frame;
}

// What the window shows on the screen.
RgbImage Capture(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    RgbImage image;
    image.width = client.right;
    image.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDC = GetDC(window);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    HBITMAP section = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memoryDC, section);
    BitBlt(memoryDC, 0, 0, image.width, image.height, windowDC, 0, 0, SRCCOPY);
    GdiFlush();
    const uint8_t* bgrx = static_cast<const uint8_t*>(bits);
    for (int i = 0; bgrx && i < image.width * image.height; ++i, bgrx += 4)
        image.rgb.insert(image.rgb.end(), {bgrx[2], bgrx[1], bgrx[0]});
    SelectObject(memoryDC, previous);
    DeleteObject(section);
    DeleteDC(memoryDC);
    ReleaseDC(window, windowDC);
    return image;
}

bool SamePicture(const RgbImage& a, const RgbImage& b)
{
    return a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

class Editor {
public:
    explicit Editor(const std::string& path)
    {
        module = LoadLibraryA(path.c_str());
        if (!module)
            throw Failure{"cannot load " + path + ": error " + std::to_string(GetLastError())};
        auto entry = reinterpret_cast<VstPluginEntry>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
        if (!entry)
            throw Failure{path + " exports no VSTPluginMain"};
        effect = entry(&HostCallbackProc);
        if (!effect || effect->magic != kEffectMagic)
            throw Failure{path + " made no effect"};
        Dispatch(effOpen);
        if (!(effect->flags & effFlagsHasEditor) || effect->numParams < 1)
            throw Failure{path + " has no editor or no parameter"};
        ERect* rect = nullptr;
        if (!Dispatch(effEditGetRect, 0, 0, &rect) || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
            throw Failure{path + " gives no editor size"};
        frame = MakeFrame(rect->right - rect->left, rect->bottom - rect->top);
        Dispatch(effEditOpen, 0, 0, frame);
        PumpMessages();
        // The editor's own window when it builds one inside the frame, as hosts expect.
        HWND child = GetWindow(frame, GW_CHILD);
        shown = child ? child : frame;
    }
    ~Editor()
    {
        Dispatch(effEditClose);
        Dispatch(effClose);
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    float Value() const { return effect->getParameter(effect, 0); }

    // The editor after the parameter moved to `value`, with its display text.
    RgbImage Show(float value, std::string& display)
    {
        effect->setParameter(effect, 0, value);
        Dispatch(effEditIdle);
        RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpMessages();
        char text[64] = "";
        Dispatch(effGetParamDisplay, 0, 0, text);
        text[sizeof text - 1] = '\0';
        display = text;
        return Capture(shown);
    }

private:
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }

    HMODULE module = nullptr;
    AEffect* effect = nullptr;
    HWND frame = nullptr;
    HWND shown = nullptr;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (bytes.empty() || !file.good())
        throw Failure{"cannot write " + path};
}

void Run(const Options& options)
{
    Editor editor(options.plugin);
    const float shown = options.value < 0.0f ? editor.Value() : options.value;
    std::vector<RgbImage> states;
    std::string names;
    for (int i = 0; i < options.states; ++i) {
        std::string display;
        states.push_back(editor.Show(float(i) / float(options.states - 1), display));
        if (states.back().width == 0 || states.back().height == 0)
            throw Failure{"the editor shows nothing at " + display};
        for (int j = 0; j < i; ++j)
            if (SamePicture(states[j], states[i]))
                throw Failure{"the editor looks the same in states " + std::to_string(j + 1) + " and " +
                              std::to_string(i + 1) + " (" + display + ")"};
        names += (i ? " " : "") + display;
    }
    std::string display;
    const RgbImage shot = editor.Show(shown, display);
    const float step = shown * float(options.states - 1);
    const int nearest = int(step + 0.5f);
    if (std::fabs(step - float(nearest)) < 1e-4f && !SamePicture(shot, states[size_t(nearest)]))
        throw Failure{"the editor looks different at " + display + " the second time"};
    WriteFile(options.output, EncodePng(shot));
    std::printf("velvetine-editor-shot: %d x %d editor, drawn differently in each of %s; wrote %s (%s)\n",
                shot.width, shot.height, names.c_str(), options.output.c_str(), display.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        Run(ParseOptions(argc, argv));
        return 0;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "velvetine-editor-shot: %s\n", failure.message.c_str());
        return 1;
    }
}
