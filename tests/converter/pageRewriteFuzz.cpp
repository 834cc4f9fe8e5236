// libFuzzer entry: any bytes, taken as a page, are rewritten and flattened
// without a crash, a leak, undefined behaviour or a hang; every function
// line the rewriting writes holds one script string that a script engine
// reads to its end (ReadScriptString, written apart from the escaping), and
// the flattened bytes, escaped, read back as they were.
#include "converterInternals.h"
#include "scriptStringReader.h"
#include "unitACConvertor.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view CallStart = "document.write(";
constexpr std::string_view CallEnd = "); }\r\n";

void Require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// Every function line of the script text: its string reads to its end. A raw
// line end cannot stand in the string, so the first CallEnd after a line's
// start ends its string.
void RequireReadableFunctions(std::string_view script, sorvane::LeadByteTest isLeadByte)
{
    for (std::size_t at = script.find(CallStart); at != std::string_view::npos; at = script.find(CallStart, at)) {
        at += CallStart.size();
        const std::size_t end = script.find(CallEnd, at);
        Require(end != std::string_view::npos);
        Require(sorvane::testkit::ReadScriptString(script.substr(at, end - at), isLeadByte).has_value());
        at = end;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const sorvane::LeadByteTest isLeadByte = sorvane::detail::DeclaredLeadByteTest(page);

    sorvane::ConversionRun run;
    const std::string rewritten = sorvane::RewriteBlocks(run, page);
    Require(rewritten.size() >= page.size());
    RequireReadableFunctions(run.scriptBuffer, isLeadByte);

    const std::string flat = sorvane::FlattenMarkup(page);
    std::string escaped = "'";
    sorvane::detail::AppendEscapedForScript(escaped, flat, isLeadByte);
    Require(sorvane::testkit::ReadScriptString(escaped + "'", isLeadByte) == flat);
    return 0;
}
