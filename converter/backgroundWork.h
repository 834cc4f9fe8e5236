// One piece of work at a time on a thread of its own, so that a batch can
// write out and place one group of files while it reads the next. The batches
// of conversions and of restores both use it.
#pragma once

#include <exception>
#include <functional>
#include <thread>

namespace sorvane {

class BackgroundWork {
public:
    BackgroundWork() = default;
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;
    ~BackgroundWork() { Finish(); }

    // Starts work on a thread of its own, or does it here and now when no
    // thread can be had. The work started before must have been finished.
    void Start(std::function<void()> work);
    // Waits for the work started last, if any, and gives what it threw (null
    // when it threw nothing or nothing was started).
    std::exception_ptr Finish() noexcept;

private:
    std::thread thread_;
    std::exception_ptr error_;
};

}  // namespace sorvane
