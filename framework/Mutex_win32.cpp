#include "framework/Mutex.h"

#include <windows.h>

CMutex::CMutex() : mutex(CreateMutexA(nullptr, FALSE, nullptr)), lockDepth(0) {}

CMutex::~CMutex()
{
    if (lockDepth > 0) {
        --lockDepth;
        ReleaseMutex(static_cast<HANDLE>(mutex));
    }
    CloseHandle(static_cast<HANDLE>(mutex));
}

void CMutex::Lock()
{
    // An abandoned mutex counts as acquired, as the system grants it.
    WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
    ++lockDepth;
}

void CMutex::Unlock()
{
    --lockDepth;
    ReleaseMutex(static_cast<HANDLE>(mutex));
}

bool CMutex::IsLocked() { return lockDepth > 0; }
