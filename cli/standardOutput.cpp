#include "standardOutput.h"

#include "systemConsole.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sorvane::cli {
namespace {

constexpr int OutputDescriptor = 1;
// One write call moves at most this many bytes.
constexpr std::size_t WriteChunk = std::size_t{1} << 20;

}  // namespace

StandardOutput::Buffer::Buffer()
{
    KeepDescriptorBytes(OutputDescriptor);  // the snippet's CR LF must not become CR CR LF
    setp(area_, area_ + sizeof area_);
}

void StandardOutput::Buffer::WriteOut(const char* data, std::size_t size)
{
    while (size > 0 && failure.empty()) {
        const auto done = WriteToDescriptor(OutputDescriptor, data, std::min(size, WriteChunk));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            failureCode = done < 0 ? errno : EIO;
            failure = std::strerror(failureCode);
            break;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
}

StandardOutput::Buffer::int_type StandardOutput::Buffer::overflow(int_type c)
{
    sync();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int StandardOutput::Buffer::sync()
{
    WriteOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(area_, area_ + sizeof area_);
    return 0;
}

StandardOutput::StandardOutput() : stream_(&buffer_) {}

std::string StandardOutput::Close()
{
    buffer_.pubsync();
    // Output to a closed descriptor has failed in the writes already; a run
    // that printed nothing to a closed one has lost nothing.
    if (CloseDescriptor(OutputDescriptor) != 0 && buffer_.failure.empty() && errno != EBADF)
        buffer_.failure = std::strerror(errno);
    return buffer_.failure;
}

bool StandardOutput::ReaderGone() const
{
    return buffer_.failureCode == EPIPE;
}

}  // namespace sorvane::cli
