// Starting worker jobs on the process-wide pool. The pool hands a job to its
// thread through Qt's own lock, which the thread sanitizer cannot see; these
// two calls make that hand-over visible to it and cost nothing otherwise.
#pragma once

#include <QRunnable>

namespace JobPool {

// Starts job on QThreadPool::globalInstance() with the given priority.
void start(QRunnable* job, int priority = 0);
// First thing a job's run() calls: everything done to the job before start() is visible from here on.
void jobStarted(const QRunnable* job);

} // namespace JobPool
