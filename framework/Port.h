#pragma once

#include <cstdint>

class CAudioBuffer;
class CControlBuffer;
class CHost;
class CMachine;

enum PortType : uint32_t {
    PORT_AUDIO = 0x1,
    PORT_EVENTS = 0x2,
    PORT_INPUT = 0x10,
    PORT_OUTPUT = 0x20,
    PORT_STEREO = 0x100,
    PORT_STEREO_AUDIO_INPUT = PORT_AUDIO | PORT_INPUT | PORT_STEREO,    // 273
    PORT_STEREO_AUDIO_OUTPUT = PORT_AUDIO | PORT_OUTPUT | PORT_STEREO,  // 289
};

// A named connection point of a machine: an audio buffer when the type has PORT_AUDIO
// (first sized to the host's block size), an event queue when it has PORT_EVENTS.
class CPort {
public:
    CPort(CHost* host, CMachine* owner, uint32_t type, const char* name);
    virtual ~CPort();

    uint32_t type;
    CAudioBuffer* audio;
    CControlBuffer* events;
    CMachine* owner;
    char* name;

    CPort(const CPort&) = delete;
    CPort& operator=(const CPort&) = delete;
};
