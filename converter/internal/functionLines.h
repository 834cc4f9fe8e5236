// The function lines of a page's blocks: made beside the scan that finds the
// blocks, and passed on in the blocks' order.
#pragma once

#include "converterInternals.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sorvane::detail {

// Appends the function line of the block of that number to functions. The
// block is flattened into `flat` first, room that the caller keeps so that
// the blocks of a page share it.
void AppendFunctionLine(std::string& functions, int number, std::string_view block, LeadByteTest isLeadByte,
                        std::string& flat);

// Makes the function lines of a page's blocks beside the scan: flattening
// and escaping a block take about as long as finding it and writing the
// page. The scan hands its blocks over as copies, in batches of about
// 256 KiB, as its window is used again. A thread of its own makes the lines
// of the oldest batch waiting; when more than a few wait, the scan makes the
// oldest itself before it goes on, so that the copies take little room and
// neither side waits for the other. Whichever side finishes the oldest batch
// passes the lines on, in the blocks' order: to the run's scriptBuffer, or
// with a sink, to the sink a batch's whole lines at a time. A page with less
// than a batch of blocks has its lines made at Finish, without a thread.
class FunctionLineMaker {
public:
    FunctionLineMaker(ConversionRun& run, ByteSink* sink, std::size_t pageSize, LeadByteTest isLeadByte);
    ~FunctionLineMaker();
    FunctionLineMaker(const FunctionLineMaker&) = delete;
    FunctionLineMaker& operator=(const FunctionLineMaker&) = delete;

    void Add(std::string_view block, int number);
    // All lines made and passed on; raises what making or passing them
    // raised (as Add may, once it happened).
    void Finish();

private:
    struct Batch {
        std::string bytes;
        struct Block {
            std::size_t end;  // in bytes, where the next one starts
            int number;
        };
        std::vector<Block> blocks;
        std::string lines;
        bool made = false;
    };

    void Queue();
    void Serve();
    // Claims the oldest batch that waits and makes its lines (the lock held
    // on entry and on return, not while making).
    void MakeOldest(std::unique_lock<std::mutex>& lock, std::string& flat);
    void PassOnMade();
    void RaiseAnyError();

    // Where the lines go: the sink, or without one the run's scriptBuffer.
    ByteSink* sink_;
    std::string& scriptBuffer_;
    LeadByteTest isLeadByte_;
    std::unique_ptr<Batch> filling_;

    std::mutex mutex_;  // guards what follows, and the passing on of lines
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Batch>> queue_;   // in the blocks' order
    std::size_t claimed_ = 0;                    // the first batches of the queue, made or being made
    std::vector<std::unique_ptr<Batch>> spare_;  // passed on: their room is used again
    std::exception_ptr error_;
    bool stopping_ = false;
    std::string threadFlat_, hereFlat_;
    std::thread thread_;  // last: it ends first, while what it works on is still there
};

}  // namespace sorvane::detail
