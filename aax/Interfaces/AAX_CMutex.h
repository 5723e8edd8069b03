#pragma once

/** A lock that knows its owner: a thread that already holds it is refused instead of
    blocking, and only the owner can unlock it. */
class AAX_CMutex
{
public:
    AAX_CMutex();
    ~AAX_CMutex();

    /** True when this call locked the mutex; false when there is no mutex or the calling
        thread holds it already. */
    bool Lock();
    void Unlock();

    AAX_CMutex (const AAX_CMutex&) = delete;
    AAX_CMutex& operator= (const AAX_CMutex&) = delete;

private:
    struct Record;
    Record* mRecord = nullptr;
};

/** Locks a mutex for a scope, and unlocks it only when this guard did the locking. */
class AAX_StLock_Guard
{
public:
    explicit AAX_StLock_Guard (AAX_CMutex& mutex) : mMutex (mutex), mLocked (mutex.Lock()) {}
    ~AAX_StLock_Guard()    { if (mLocked) mMutex.Unlock(); }

    AAX_StLock_Guard (const AAX_StLock_Guard&) = delete;
    AAX_StLock_Guard& operator= (const AAX_StLock_Guard&) = delete;

private:
    AAX_CMutex& mMutex;
    const bool mLocked;
};
