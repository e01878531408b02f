#include "RenderProcess.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// Quoted for the C runtime's command-line parser, where backslashes before the closing quote
// must be doubled to stay backslashes. (Arguments here hold no quotes of their own.)
std::string Quoted(const std::string& argument) {
    size_t trailingBackslashes = 0;
    while (trailingBackslashes < argument.size() && argument[argument.size() - 1 - trailingBackslashes] == '\\') {
        ++trailingBackslashes;
    }
    return "\"" + argument + std::string(trailingBackslashes, '\\') + "\"";
}

// A file the child writes its output into; inheritable so that it can be handed over.
HANDLE CreateCaptureFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    return file;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// Console text ends its lines with CR LF on Windows; the tests compare lines.
std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

std::string NewFolderName() {
    static int counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "velvetine-render-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    CScratchFolder capture;
    const std::string outPath = capture.Path("stdout"), errPath = capture.Path("stderr");
    HANDLE out = CreateCaptureFile(outPath);
    HANDLE err = CreateCaptureFile(errPath);

    std::string commandLine = Quoted(program);
    for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    const BOOL started = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) throw std::runtime_error("cannot start " + program);

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    ProgramRun run;
    run.exitCode = static_cast<int>(exitCode);
    run.standardOutput = WithoutCarriageReturns(ReadWhole(outPath));
    run.standardError = WithoutCarriageReturns(ReadWhole(errPath));
    return run;
}

CScratchFolder::CScratchFolder() : folder_(NewFolderName()) {
    if (!CreateDirectoryA(folder_.c_str(), nullptr)) throw std::runtime_error("cannot create " + folder_);
}

CScratchFolder::~CScratchFolder() {
    for (const std::string& name : Files()) DeleteFileA(Path(name).c_str());
    RemoveDirectoryA(folder_.c_str());
}

std::string CScratchFolder::Path(const std::string& name) const { return folder_ + "\\" + name; }

std::vector<std::string> CScratchFolder::Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void CScratchFolder::WriteFile(const std::string& name, const std::string& contents) const {
    std::ofstream out(Path(name), std::ios::binary);
    out << contents;
}

std::string CScratchFolder::ReadFile(const std::string& name) const { return ReadWhole(Path(name)); }
