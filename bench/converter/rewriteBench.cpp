// The page rewriting in memory (scan, function lines, new page text), per
// kind of page. Output and script buffer keep their memory from one run to
// the next, so the figures show the work per byte rather than the cost of
// fresh memory. The function lines are made on a second thread: the figures
// are wall-clock time.
#include "benchPages.h"
#include "converterInternals.h"
#include "unitACConvertor.h"

#include <benchmark/benchmark.h>

namespace {

using sorvane::bench::PageKind;

class ReusedText final : public sorvane::detail::ByteSink {
public:
    void Append(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

void RewritePage(benchmark::State& state, PageKind kind)
{
    const std::string page = sorvane::bench::MakePage(kind, static_cast<std::size_t>(state.range(0)) << 20);
    const std::string include = sorvane::detail::IncludeMarkup("page.js", "\r\n");
    ReusedText output;
    sorvane::ConversionRun run;
    int blocks = 0;
    for (auto _ : state) {
        // Each pass a run of its own, in the room the one before made.
        run.blockCounter = 0;
        run.scriptBuffer.clear();
        output.text.clear();
        blocks = sorvane::detail::RewritePage(run, page, sorvane::detail::IncludePosition(page), include,
                                              sorvane::detail::PageLineEnd(page), output);
        benchmark::DoNotOptimize(output.text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["blocks"] = blocks;
}

BENCHMARK_CAPTURE(RewritePage, ordinary, PageKind::Ordinary)
    ->Arg(8)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, unclosed, PageKind::UnclosedObjects)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, noscript, PageKind::AllInNoscript)
    ->Arg(8)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, blanks, PageKind::BlankRuns)
    ->Arg(8)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, scripts, PageKind::InScripts)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, values, PageKind::QuotedValues)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, quotes, PageKind::LongQuotes)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RewritePage, invalues, PageKind::InValues)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
