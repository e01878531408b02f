#include "framework/Port.h"

#include <cstring>

#include "framework/AudioBuffer.h"
#include "framework/ControlBuffer.h"
#include "framework/Host.h"

namespace {

char* CopyText(const char* text)
{
    const size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

CPort::CPort(CHost* host, CMachine* owner, uint32_t type, const char* name)
    : type(0), audio(nullptr), events(nullptr), owner(owner), name(CopyText(name))
{
    if (type & PORT_AUDIO)
        audio = new CAudioBuffer(host->GetBlockSize(), (type & PORT_STEREO) != 0);
    if (type & PORT_EVENTS)
        events = new CControlBuffer();
    this->type = type;
}

CPort::~CPort()
{
    delete[] name;
    delete audio;
    delete events;
}
