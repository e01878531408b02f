#include "framework/BankClient.h"

CBankClient::CBankClient() : bank(nullptr), attached(false), usesBank(false) {}

CBankClient::~CBankClient()
{
    if (attached)
        CBankClient::Detach();
}

int CBankClient::Attach()
{
    if (attached || !usesBank)
        return kAttachIgnored;
    bank->Lock();
    const int result = bank->AddClient(this);
    bank->Unlock();
    if (result == kAccepted)
        attached = true;
    return result;
}

int CBankClient::Detach()
{
    if (!attached)
        return kNotAttached;
    bank->Lock();
    const int result = bank->RemoveClient(this);
    bank->Unlock();
    attached = false;  // the client leaves whatever the bank answers
    return result;
}

bool CBankClient::UsesBank() { return usesBank; }

void CBankClient::BankHookA() {}
void CBankClient::BankHookB() {}
void CBankClient::BankHookC() {}
