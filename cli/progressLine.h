// The one updating line on a terminal that tells how far a long run is:
// pages done of all, blocks so far, MiB/s, time left.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace sorvane::cli {

// How the line is taken away: by the escape sequence that erases to the end
// of the line, or, where the terminal may not know it (TERM=dumb, a Windows
// console), by spaces over it.
enum class LineErase { EscapeSequence, Spaces };

// The way this process's terminal understands.
LineErase TerminalLineErase();

// What goes before a message that may meet the progress line on the
// terminal: a carriage return, then the erase to the end of the line where
// the terminal knows it. Where it does not, a message longer than the
// progress line's 60-odd columns covers it all the same.
std::string_view MessageLineStart(LineErase erase);

class ProgressLine {
public:
    // Seconds on a clock that only goes forward.
    using Clock = std::function<double()>;

    // Runs shorter than this show no line at all.
    static constexpr double ShowAfterSeconds = 1.0;
    // The line is rewritten at most this often.
    static constexpr double UpdateEverySeconds = 0.25;

    // shown false: the line never appears (stderr is no terminal, or -q).
    ProgressLine(std::ostream& err, bool shown, std::size_t totalPages, std::uint64_t totalBytes,
                 LineErase erase = LineErase::EscapeSequence, Clock clock = SteadySeconds);
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // blocks: how many the page had; nothing for a run that counts only
    // pages (a restore), whose line then tells no blocks.
    void PageDone(std::optional<int> blocks, std::uint64_t bytes);
    // Takes the line away, so that other text starts on a clean line; the
    // next PageDone shows it again.
    void Clear();

    // "12/340 pages, 57 blocks, 3.2 MiB/s, 0:41 left", without the blocks
    // when there are none to tell.
    static std::string Text(std::size_t pagesDone, std::size_t totalPages, std::optional<long long> blocks,
                            double mibPerSecond, double secondsLeft);

private:
    static double SteadySeconds();
    void Erase();

    std::ostream& err_;
    bool shown_;
    std::size_t totalPages_;
    std::uint64_t totalBytes_;
    LineErase erase_;
    Clock clock_;
    double start_;
    double lastDrawn_ = -1e300;
    bool onScreen_ = false;
    std::size_t drawnWidth_ = 0;
    std::size_t pagesDone_ = 0;
    std::optional<long long> blocks_ = 0;
    std::uint64_t bytesDone_ = 0;
};

}  // namespace sorvane::cli
