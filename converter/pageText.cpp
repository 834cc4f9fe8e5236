// A page's text a window at a time: reading a page of many MiB whole would
// fill as much fresh memory, which costs more than the read itself; a window
// of a MiB or two is used again and again and stays in the cache.
#include "converterInternals.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <cstring>

namespace sorvane::detail {
namespace {

constexpr std::size_t FirstWindow = std::size_t{1} << 20;

}  // namespace

PageText::PageText(const std::string& path, Reading reading) : path_(path)
{
    if (const SystemError error = file_.Open(path))
        throw FileError(FileError::Kind::Open, path, ReasonText(error));
    size_ = static_cast<std::size_t>(file_.Stamp().size);
    Fill(reading == Reading::Whole ? size_ : std::min(size_, FirstWindow));
}

PageText::PageText(std::string_view text) : text_(text), inMemory_(true), size_(text.size())
{
    filled_ = size_;
}

void PageText::Fill(std::size_t windowSize)
{
    if (windowSize > memory_.size()) {
        MemoryBlock larger(windowSize);
        if (filled_ > 0)
            std::memcpy(larger.data(), memory_.data(), filled_);
        memory_ = std::move(larger);
    }
    char* const fresh = memory_.data() + filled_;
    const std::size_t count = windowSize - filled_;
    SystemError error = file_.ReadNext(fresh, count);
    if (!error && start_ + windowSize == size_)
        error = file_.ReadEnd();
    if (error)
        throw FileError(FileError::Kind::Open, path_, ReasonText(error));
    filled_ = windowSize;
    // UTF-16 text holds NUL bytes too: its byte-order mark says more.
    if (start_ == 0 && (Window().starts_with("\xFF\xFE") || Window().starts_with("\xFE\xFF")))
        RefuseAsNotEightBitText("it starts with a UTF-16 byte-order mark");
    if (count > 0 && std::memchr(fresh, '\0', count) != nullptr)
        RefuseAsNotEightBitText("it holds NUL bytes");
}

void PageText::ReadMore()
{
    if (inMemory_ || AtEnd())
        return;
    // A scan that let go of nothing since the last read is held up by one
    // piece of markup (an object that is never closed, say): the rest of the
    // page comes at once, to be scanned once more, not again and again.
    const bool heldUp = start_ == startAtLastRead_;
    startAtLastRead_ = start_;
    Fill(heldUp ? size_ - start_ : std::min(size_ - start_, filled_ + std::max(filled_, FirstWindow)));
}

void PageText::LetGo(std::size_t offset)
{
    if (inMemory_ || offset <= start_)
        return;
    const std::size_t gone = std::min(offset - start_, filled_);
    std::memmove(memory_.data(), memory_.data() + gone, filled_ - gone);
    filled_ -= gone;
    start_ += gone;
}

void PageText::Rewind()
{
    if (inMemory_ || start_ == 0)
        return;
    if (const SystemError error = file_.Rewind())
        throw FileError(FileError::Kind::Open, path_, ReasonText(error));
    start_ = 0;
    startAtLastRead_ = 0;
    filled_ = 0;
    Fill(std::min(size_, FirstWindow));
}

std::string_view PageText::Whole()
{
    Rewind();
    if (!inMemory_ && !AtEnd())
        Fill(size_);
    return Window();
}

std::string_view PageText::LineEnd()
{
    Rewind();
    if (AtEnd())
        return PageLineEnd(Window());
    bool anyLf = false;
    for (;;) {
        const std::string_view window = Window();
        if (window.find('\r') != std::string_view::npos) {
            Rewind();
            return "\r\n";
        }
        anyLf = anyLf || window.find('\n') != std::string_view::npos;
        if (AtEnd())
            break;
        LetGo(start_ + filled_);
        ReadMore();
    }
    Rewind();
    return anyLf ? "\n" : "\r\n";
}

void PageText::RefuseAsNotEightBitText(std::string_view why) const
{
    throw ConvertError(path_ + " is not a web page in an 8-bit encoding: " + std::string(why));
}

}  // namespace sorvane::detail
