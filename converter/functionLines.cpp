// The function lines of a page's blocks, made on a second thread beside the
// scan (see FunctionLineMaker).
#include "functionLines.h"

#include "backgroundWork.h"

#include <system_error>
#include <utility>

namespace sorvane::detail {
namespace {

constexpr std::size_t BatchSize = std::size_t{1} << 18;
// Batches waiting for the thread before the scan makes one itself.
constexpr std::size_t MostWaiting = 4;

}  // namespace

void AppendFunctionLine(std::string& functions, int number, std::string_view block, LeadByteTest isLeadByte,
                        std::string& flat)
{
    flat.clear();
    AppendFlattened(flat, block);
    functions.append("\r\nfunction displaySWF_").append(std::to_string(number)).append("() { document.write('");
    AppendEscapedForScript(functions, flat, isLeadByte);
    functions.append("'); }\r\n");
}

FunctionLineMaker::FunctionLineMaker(ConversionRun& run, ByteSink* sink, std::size_t pageSize, LeadByteTest isLeadByte)
    : sink_(sink), scriptBuffer_(run.scriptBuffer), isLeadByte_(isLeadByte), filling_(std::make_unique<Batch>())
{
    if (sink)
        return;
    // The function lines take about as many bytes as the blocks, which take
    // at most the whole page: room made once spares the copies of a buffer
    // that doubles block by block.
    scriptBuffer_.reserve(scriptBuffer_.size() + pageSize);
    PreferHugePages(scriptBuffer_.data() + scriptBuffer_.size(), scriptBuffer_.capacity() - scriptBuffer_.size());
}

FunctionLineMaker::~FunctionLineMaker()
{
    StopServingThread(thread_, mutex_, changed_, stopping_);
}

void FunctionLineMaker::Add(std::string_view block, int number)
{
    filling_->bytes.append(block);
    filling_->blocks.push_back({filling_->bytes.size(), number});
    if (filling_->bytes.size() >= BatchSize)
        Queue();
}

void FunctionLineMaker::Finish()
{
    std::unique_lock lock(mutex_);
    RaiseAnyError();
    if (!filling_->blocks.empty())
        queue_.push_back(std::exchange(filling_, nullptr));
    while (claimed_ < queue_.size()) {
        MakeOldest(lock, hereFlat_);
        RaiseAnyError();
    }
    changed_.wait(lock, [this] { return queue_.empty() || error_; });
    RaiseAnyError();
}

void FunctionLineMaker::Queue()
{
    std::unique_lock lock(mutex_);
    RaiseAnyError();
    queue_.push_back(std::move(filling_));
    if (spare_.empty()) {
        filling_ = std::make_unique<Batch>();
    } else {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    }
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
            // No thread to be had: the lines are made here.
        }
    }
    changed_.notify_all();
    while (queue_.size() - claimed_ > (thread_.joinable() ? MostWaiting : 0)) {
        MakeOldest(lock, hereFlat_);
        RaiseAnyError();
    }
}

void FunctionLineMaker::Serve()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || error_ || claimed_ < queue_.size(); });
        if (stopping_ || error_)
            return;
        MakeOldest(lock, threadFlat_);
    }
}

void FunctionLineMaker::MakeOldest(std::unique_lock<std::mutex>& lock, std::string& flat)
{
    Batch& batch = *queue_[claimed_++];
    lock.unlock();
    std::exception_ptr error;
    try {
        std::size_t start = 0;
        for (const Batch::Block& block : batch.blocks) {
            AppendFunctionLine(batch.lines, block.number,
                               std::string_view(batch.bytes).substr(start, block.end - start), isLeadByte_, flat);
            start = block.end;
        }
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    batch.made = true;
    if (error && !error_)
        error_ = error;
    PassOnMade();
    changed_.notify_all();
}

// The lines of the made batches at the queue's front, in order (the lock
// held).
void FunctionLineMaker::PassOnMade()
{
    try {
        while (!error_ && !queue_.empty() && queue_.front()->made) {
            std::unique_ptr<Batch> batch = std::move(queue_.front());
            queue_.pop_front();
            --claimed_;
            // A batch's lines, about 256 KiB, are a piece the sink's file
            // writer copies and writes on its own thread.
            if (sink_)
                sink_->Append(batch->lines);
            else
                scriptBuffer_.append(batch->lines);
            batch->bytes.clear();
            batch->blocks.clear();
            batch->lines.clear();
            batch->made = false;
            spare_.push_back(std::move(batch));
        }
    } catch (...) {
        error_ = std::current_exception();
    }
}

void FunctionLineMaker::RaiseAnyError()
{
    if (error_)
        std::rethrow_exception(error_);
}

}  // namespace sorvane::detail
