#include "tools/render/RenderSystem.h"

#include "host/PluginLibrary.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace {

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "";
    LocalFree(text);
    while (!message.empty() && std::strchr("\r\n .", message.back())) message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message + " (error " + std::to_string(code) + ")";
}

}  // namespace

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

bool RenameOver(const std::string& from, const std::string& to, std::string& problem) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    problem = SystemMessage(GetLastError());
    return false;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

bool ErrorOutputIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// Programs under Wine take "Z:\\a\\b.dll" for "/a/b.dll".
std::string SystemPath(const std::string& path) { return WindowsPath(path); }

// The host library reports a failed LoadLibraryA as "... failed with error N".
std::string DescribeLoadFailure(const std::string& libraryError) {
    const size_t digits = libraryError.find_last_not_of("0123456789");
    if (digits == std::string::npos || digits + 1 == libraryError.size()) return libraryError;
    return SystemMessage(static_cast<DWORD>(std::strtoul(libraryError.c_str() + digits + 1, nullptr, 10)));
}

std::string DefaultPluginPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const size_t separator = folder.find_last_of("\\/");
    folder = separator == std::string::npos ? "." : folder.substr(0, separator);
    return folder + "\\QMVelvetine.dll";
}
