#pragma once

#include <string>

// The few system services the render host needs, one file per system.

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
void RemoveFile(const std::string& path);
// Replaces `to` with `from`; on failure says why in `problem`.
bool RenameOver(const std::string& from, const std::string& to, std::string& problem);
unsigned long ProcessId();
bool ErrorOutputIsTerminal();

// A plug-in's path as the system's loader takes it and as messages name it.
std::string SystemPath(const std::string& path);
// What the host library's load error means, in the system's words.
std::string DescribeLoadFailure(const std::string& libraryError);
// The project's plug-in in the folder the running program was started from.
std::string DefaultPluginPath();
