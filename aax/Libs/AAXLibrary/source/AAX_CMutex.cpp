#include "AAX_CMutex.h"

#include <atomic>
#include <thread>

#include <pthread.h>

/** The owner is atomic: Lock reads it without holding the mutex while its owner may be
    writing it. A thread finds its own id there only after it set it itself. */
struct AAX_CMutex::Record
{
    std::atomic<std::thread::id> owner {};
    pthread_mutex_t mutex;
};

AAX_CMutex::AAX_CMutex()
{
    auto* record = new Record();

    if (pthread_mutex_init (&record->mutex, nullptr) != 0)
    {
        delete record;    // no system mutex: this lock locks nothing
        return;
    }

    mRecord = record;
}

AAX_CMutex::~AAX_CMutex()
{
    if (mRecord == nullptr)
        return;

    pthread_mutex_destroy (&mRecord->mutex);
    delete mRecord;
}

bool AAX_CMutex::Lock()
{
    if (mRecord == nullptr || mRecord->owner.load() == std::this_thread::get_id())
        return false;

    pthread_mutex_lock (&mRecord->mutex);
    mRecord->owner = std::this_thread::get_id();
    return true;
}

void AAX_CMutex::Unlock()
{
    if (mRecord == nullptr || mRecord->owner.load() != std::this_thread::get_id())
        return;

    mRecord->owner = std::thread::id();
    pthread_mutex_unlock (&mRecord->mutex);
}
