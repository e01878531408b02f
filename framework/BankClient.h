#pragma once

#include "framework/Mutex.h"

// The bank a client may register with; it lives outside this system.
class CBank : public CMutex {
public:
    virtual int AddClient(class CBankClient* client) = 0;
    virtual int RemoveClient(class CBankClient* client) = 0;
};

// A machine's membership of a bank.
class CBankClient : public CMutex {
public:
    enum Result { kAccepted = 0, kAttachIgnored = 1, kNotAttached = 4 };

    CBankClient();
    ~CBankClient() override;
    virtual int Attach();
    virtual int Detach();
    virtual bool UsesBank();
    virtual void BankHookA();
    virtual void BankHookB();
    virtual void BankHookC();

protected:
    CBank* bank;
    bool attached;
    bool usesBank;
};
