#include "progressLine.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "systemConsole.h"

namespace sorvane::cli {
namespace {

// Carriage return, then erase to the end of the line (ECMA-48 EL).
constexpr std::string_view EraseLine = "\r\x1b[K";

std::string Duration(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return "?:??";
    const long long total = std::llround(seconds);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

}  // namespace

double ProgressLine::SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

LineErase TerminalLineErase()
{
    return TerminalErasesByEscapeSequence() ? LineErase::EscapeSequence : LineErase::Spaces;
}

std::string_view MessageLineStart(LineErase erase)
{
    return erase == LineErase::EscapeSequence ? EraseLine : "\r";
}

ProgressLine::ProgressLine(std::ostream& err, bool shown, std::size_t totalPages, std::uint64_t totalBytes,
                           LineErase erase, Clock clock)
    : err_(err), shown_(shown), totalPages_(totalPages), totalBytes_(totalBytes), erase_(erase),
      clock_(std::move(clock)), start_(shown ? clock_() : 0)
{}

void ProgressLine::Erase()
{
    if (erase_ == LineErase::EscapeSequence)
        err_ << EraseLine;
    else if (onScreen_)
        err_ << '\r' << std::string(drawnWidth_, ' ') << '\r';
    else
        err_ << '\r';
}

std::string ProgressLine::Text(std::size_t pagesDone, std::size_t totalPages, std::optional<long long> blocks,
                               double mibPerSecond, double secondsLeft)
{
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", mibPerSecond);
    const std::string blockCount = blocks ? std::to_string(*blocks) + (*blocks == 1 ? " block, " : " blocks, ") : "";
    return std::to_string(pagesDone) + '/' + std::to_string(totalPages) + " pages, " + blockCount + rate + " MiB/s, "
           + Duration(secondsLeft) + " left";
}

void ProgressLine::PageDone(std::optional<int> blocks, std::uint64_t bytes)
{
    ++pagesDone_;
    if (!blocks)
        blocks_.reset();
    else if (blocks_)
        *blocks_ += *blocks;
    bytesDone_ += bytes;
    if (!shown_)
        return;
    const double now = clock_();
    const double elapsed = now - start_;
    if (elapsed < ShowAfterSeconds || now - lastDrawn_ < UpdateEverySeconds)
        return;
    const double bytesPerSecond = bytesDone_ / elapsed;
    const double left = bytesDone_ > 0 ? (totalBytes_ - std::min(bytesDone_, totalBytes_)) / bytesPerSecond
                                       : std::nan("");
    const std::string text = Text(pagesDone_, totalPages_, blocks_, bytesPerSecond / (1024 * 1024), left);
    Erase();
    err_ << text << std::flush;
    drawnWidth_ = text.size();
    lastDrawn_ = now;
    onScreen_ = true;
}

void ProgressLine::Clear()
{
    if (!onScreen_)
        return;
    Erase();
    err_ << std::flush;
    onScreen_ = false;
}

}  // namespace sorvane::cli
