#include "jobpool.h"

#include <QThreadPool>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
static void handOver(const void* p) { __tsan_release(const_cast<void*>(p)); }
static void takeOver(const void* p) { __tsan_acquire(const_cast<void*>(p)); }
#else
static void handOver(const void*) {}
static void takeOver(const void*) {}
#endif

namespace JobPool {

void start(QRunnable* job, int priority)
{
    handOver(job);
    QThreadPool::globalInstance()->start(job, priority);
}

void jobStarted(const QRunnable* job) { takeOver(job); }

} // namespace JobPool
