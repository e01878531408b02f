#pragma once

// Running the render host as a separate program, the way users run it, from the Windows
// test programs.

#include <string>
#include <vector>

struct ProgramRun {
    int exitCode = -1;
    std::string standardOutput;
    std::string standardError;
};

// Runs `program` with `arguments` (each passed as one argument) and waits for it. The
// captured text has its line ends as "\n".
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// A fresh folder under the temporary folder, removed with everything in it at the end.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();

    // A Windows path for `name` inside the folder.
    std::string Path(const std::string& name) const;
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const;
    void WriteFile(const std::string& name, const std::string& contents) const;
    std::string ReadFile(const std::string& name) const;

    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

private:
    std::string folder_;
};
