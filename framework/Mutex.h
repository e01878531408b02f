#pragma once

// Gives an object its own recursive lock: the owning thread may Lock again without
// blocking and must Unlock as many times. Lock waits forever.
class CMutex {
public:
    CMutex();
    virtual ~CMutex();
    virtual void Lock();
    virtual void Unlock();
    // Whether any thread holds the lock (not whether the caller does).
    virtual bool IsLocked();

    int LockDepth() const { return lockDepth; }

    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

protected:
    void* mutex;      // the platform's recursive mutex
    int lockDepth;    // changed only by the thread that holds the mutex
};

// Takes a lock for the lifetime of a scope.
class CLockGuard {
public:
    explicit CLockGuard(CMutex& m) : held(m) { held.Lock(); }
    ~CLockGuard() { held.Unlock(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CMutex& held;
};
