// Standard output that knows whether everything written reached it: a full
// disk, a closed or broken pipe must not pass for success.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace sorvane::cli {

// Writes to file descriptor 1 byte for byte (never translating line ends),
// and keeps the reason of the first write that fails; later output is dropped.
class StandardOutput {
public:
    StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    std::ostream& Stream() { return stream_; }
    // Writes what is left and closes standard output; returns the system's
    // reason when anything could not be written, else "".
    std::string Close();
    // Whether writing failed because standard output is a pipe whose reader
    // has gone, as when `| head` has read its lines.
    bool ReaderGone() const;

private:
    class Buffer final : public std::streambuf {
    public:
        Buffer();
        std::string failure;
        int failureCode = 0;  // errno of failure

    protected:
        int_type overflow(int_type c) override;
        int sync() override;

    private:
        void WriteOut(const char* data, std::size_t size);

        char area_[1 << 16];
    };

    Buffer buffer_;
    std::ostream stream_;
};

}  // namespace sorvane::cli
