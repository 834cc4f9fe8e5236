#include "backgroundWork.h"

#include <system_error>
#include <utility>

namespace sorvane {

void StopServingThread(std::thread& thread, std::mutex& mutex, std::condition_variable& changed, bool& stopping)
{
    if (!thread.joinable())
        return;
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

BackgroundWork::~BackgroundWork()
{
    (void)Finish();
    StopServingThread(thread_, mutex_, changed_, stopping_);
}

void BackgroundWork::Start(std::function<void()> work)
{
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
            // No thread to be had: the work is done here and now.
            try {
                work();
            } catch (...) {
                error_ = std::current_exception();
            }
            return;
        }
    }
    {
        const std::lock_guard lock(mutex_);
        work_ = std::move(work);
        busy_ = true;
    }
    changed_.notify_all();
}

std::exception_ptr BackgroundWork::Finish() noexcept
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    return std::exchange(error_, nullptr);
}

void BackgroundWork::Serve()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (!busy_)
            return;  // stopping, with nothing left to do
        std::function<void()> work = std::exchange(work_, nullptr);
        lock.unlock();
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        error_ = error;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace sorvane
