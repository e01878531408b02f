#pragma once

#include "vst3/Vst3Abi.h"

// The other half of the processor and controller pair, as the host connects them. The
// halves exchange no messages (the host carries the parameter from one to the other), so
// the peer is only remembered to refuse a second connection and a stray disconnection.
class CVst3Peer {
public:
    vst3::tresult Connect(vst3::IConnectionPoint* other)
    {
        if (!other)
            return vst3::kInvalidArgument;
        if (peer)
            return vst3::kResultFalse;
        peer = other;
        return vst3::kResultOk;
    }
    vst3::tresult Disconnect(vst3::IConnectionPoint* other)
    {
        if (!other || other != peer)
            return vst3::kInvalidArgument;
        peer = nullptr;
        return vst3::kResultOk;
    }
    // At terminate: the host's objects may be gone after it.
    void Forget() { peer = nullptr; }
    static vst3::tresult Notify(vst3::IMessage* message)
    {
        return message ? vst3::kResultOk : vst3::kInvalidArgument;
    }

private:
    vst3::IConnectionPoint* peer = nullptr;  // only compared, never called
};
