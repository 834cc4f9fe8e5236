// One piece of work at a time on a thread of its own, so that a batch can
// write out and place one group of files while it reads the next, and a
// large file is written while its next buffer fills. The thread is made for
// the first piece and kept for the next ones: work handed over a MiB at a
// time would otherwise pay for a new thread as often.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace sorvane {

// Ends a thread that serves work until `stopping` is set (under the mutex,
// the condition notified), and waits for it; nothing when none was started.
void StopServingThread(std::thread& thread, std::mutex& mutex, std::condition_variable& changed, bool& stopping);

class BackgroundWork {
public:
    BackgroundWork() = default;
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;
    ~BackgroundWork();

    // Starts work on the thread, or does it here and now when no thread can
    // be had. The work started before must have been finished.
    void Start(std::function<void()> work);
    // Waits for the work started last, if any, and gives what it threw (null
    // when it threw nothing or nothing was started).
    std::exception_ptr Finish() noexcept;

private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> work_;  // handed over, not yet done
    bool busy_ = false;           // work_ is waiting or being done
    bool stopping_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace sorvane
