#include "host/PluginDrivers.h"

#include "host/ClapDriver.h"
#include "host/Lv2Driver.h"
#include "host/Vst2Driver.h"
#include "host/Vst3Driver.h"

namespace {

struct DriverChoice {
    const char* ending;
    OpenedPluginFile (*open)(const std::string& path);
};

// A bundle may be named with its trailing separator, as shells complete folders.
std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

bool EndsWith(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

OpenedPluginFile OpenPluginFile(const std::string& path)
{
    static const DriverChoice choices[] = {
        {".lv2", &OpenLv2File},
        {".dll", &OpenVst2File},
        {".so", &OpenVst2File},
        {".clap", &OpenClapFile},
        {".vst3", &OpenVst3File},
    };
    const std::string name = WithoutTrailingSeparators(path);
    for (const DriverChoice& choice : choices)
        if (EndsWith(name, choice.ending))
            return choice.open(name);
    // VST 2.x hosts load libraries of any name; the render's tests rely on that too.
    return OpenVst2File(path);
}
