#include "backgroundWork.h"

#include <system_error>
#include <utility>

namespace sorvane {

void BackgroundWork::Start(std::function<void()> work)
{
    const auto run = [this, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            error_ = std::current_exception();
        }
    };
    try {
        thread_ = std::thread(run);
    } catch (const std::system_error&) {
        run();  // no thread to be had: the work is done here and now
    }
}

std::exception_ptr BackgroundWork::Finish() noexcept
{
    if (thread_.joinable())
        thread_.join();
    return std::exchange(error_, nullptr);
}

}  // namespace sorvane
