// The page rewriting (scan, function lines and new page text) in memory, per kind of page: throughput in bytes per
// second should be about the same for every kind and every size.
#include "benchPages.h"
#include "unitACConvertor.h"

#include <benchmark/benchmark.h>

namespace {

using sorvane::bench::PageKind;

void RewritePage(benchmark::State& state, PageKind kind)
{
    const std::string page = sorvane::bench::MakePage(kind, static_cast<std::size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        sorvane::BlockCounter = 0;
        sorvane::ScriptBuffer.clear();
        std::string rewritten = sorvane::RewriteBlocks(page);
        benchmark::DoNotOptimize(rewritten);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    state.counters["blocks"] = sorvane::BlockCounter;
}

BENCHMARK_CAPTURE(RewritePage, ordinary, PageKind::Ordinary)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RewritePage, unclosed, PageKind::UnclosedObjects)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RewritePage, noscript, PageKind::AllInNoscript)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RewritePage, blanks, PageKind::BlankRuns)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
