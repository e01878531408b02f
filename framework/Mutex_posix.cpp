#include "framework/Mutex.h"

#include <pthread.h>

namespace {
pthread_mutex_t* NativeMutex(void* handle) { return static_cast<pthread_mutex_t*>(handle); }
}

CMutex::CMutex() : mutex(new pthread_mutex_t), lockDepth(0)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(NativeMutex(mutex), &attributes);
    pthread_mutexattr_destroy(&attributes);
}

CMutex::~CMutex()
{
    // Only the owner's release has effect: a recursive mutex refuses anyone else's.
    if (lockDepth > 0 && pthread_mutex_unlock(NativeMutex(mutex)) == 0)
        --lockDepth;
    if (lockDepth == 0)
        pthread_mutex_destroy(NativeMutex(mutex));
    delete NativeMutex(mutex);
}

void CMutex::Lock()
{
    pthread_mutex_lock(NativeMutex(mutex));
    ++lockDepth;
}

void CMutex::Unlock()
{
    --lockDepth;
    pthread_mutex_unlock(NativeMutex(mutex));
}

bool CMutex::IsLocked() { return lockDepth > 0; }
