#pragma once

#include <cstdint>

class CMachine;

// Names a kind of machine and creates machines of that kind.
class CMachineInfo {
public:
    CMachineInfo(const char* shortName, const char* longName, const char* category)
        : shortName(shortName), longName(longName), category(category) {}
    virtual ~CMachineInfo() = default;
    virtual void Destroy() { delete this; }
    virtual CMachine* CreateMachine() = 0;

    const char* shortName;
    const char* longName;
    uint32_t reserved0 = 0;
    const char* category;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;

    CMachineInfo(const CMachineInfo&) = delete;
    CMachineInfo& operator=(const CMachineInfo&) = delete;
};
