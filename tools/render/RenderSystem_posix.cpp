#include "tools/render/RenderSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool PathExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

bool RenameOver(const std::string& from, const std::string& to, std::string& problem) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    problem = std::strerror(errno);
    return false;
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

bool ErrorOutputIsTerminal() { return isatty(STDERR_FILENO) != 0; }

std::string SystemPath(const std::string& path) { return path; }

// dlerror's text already names the file and the reason.
std::string DescribeLoadFailure(const std::string& libraryError) { return libraryError; }

std::string DefaultPluginPath() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string folder = length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
    const size_t separator = folder.find_last_of('/');
    folder = separator == std::string::npos ? "." : folder.substr(0, separator);
    return folder + "/QMVelvetine.so";
}
