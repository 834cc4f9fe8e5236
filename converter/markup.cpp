// The rewriting of the page text: finding the movie blocks, turning each into
// a script function and a call, and inserting the script include.
#include "converterInternals.h"
#include "restoration.h"
#include "textSearch.h"
#include "unitACConvertor.h"

#include <array>
#include <charconv>
#include <climits>
#include <span>
#include <vector>

namespace sorvane {
namespace {

using detail::FindLowered;

constexpr std::size_t npos = detail::NotFound;
constexpr std::string_view ObjectStart = "<object";
constexpr std::string_view ObjectEnd = "</object>";

// Elements whose content the scan passes over whole. A block inside a
// noscript element is written there for browsers without scripting. Inside
// a script, style, textarea, title or xmp element, "<object" is no markup
// but text: a script's string, an example to copy; replacing it would put a
// "</script>" into the page's own script and end it early. The scan moves
// through the name of the first end tag ("</script", whatever follows it).
struct SkippedElement {
    std::string_view start, end;
    // A raw-text element starts only where its name ends ("<scripts" is
    // another tag). The noscript rule is older and stays as it was: any
    // "<noscript" starts one.
    bool rawText;
};

constexpr std::array<SkippedElement, 6> SkippedElements{{
    {"<noscript", "</noscript", false},
    {"<script", "</script", true},
    {"<style", "</style", true},
    {"<textarea", "</textarea", true},
    {"<title", "</title", true},
    {"<xmp", "</xmp", true},
}};

// What the scan looks for first: an object, or the start of an element
// that it passes over (SkippedElements, in their order, from index 1 on).
constexpr auto ScanStarts = [] {
    std::array<std::string_view, 1 + SkippedElements.size()> starts{ObjectStart};
    for (std::size_t i = 0; i < SkippedElements.size(); ++i)
        starts[i + 1] = SkippedElements[i].start;
    return starts;
}();

// A tag name ends at a blank, tab, CR, LF, FF, "/" or ">".
bool EndsTagName(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return false;
    const char c = text[at];
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '/' || c == '>';
}

// A search whose start only moves forward. It keeps its last hit while that
// still lies ahead, and once it has found nothing it never searches again, so
// every byte is looked at about once however the scan moves.
class ForwardSearch {
public:
    ForwardSearch(std::string_view text, std::span<const std::string_view> needles)
        : text_(text), needles_(needles.begin(), needles.end())
    {}
    ForwardSearch(std::string_view text, std::string_view needle) : ForwardSearch(text, {&needle, 1}) {}

    std::size_t FirstFrom(std::size_t from)
    {
        if (!searched_ || (hit_ != npos && hit_ < from)) {
            hit_ = FindLowered(text_, needles_, from, which_);
            searched_ = true;
        }
        return hit_;
    }

    // The index of the needle found by the last FirstFrom.
    std::size_t Which() const { return which_; }

private:
    std::string_view text_;
    std::vector<std::string_view> needles_;
    std::size_t hit_ = npos;
    std::size_t which_ = 0;
    bool searched_ = false;
};

constexpr std::string_view CallStart = "<script language=\"JavaScript\"> displaySWF_";
constexpr std::string_view CallEnd = "(); </script>\r\n<noscript>\r\n";
constexpr std::string_view NoscriptClose = "\r\n</noscript>";

// Raises BlockCounter and appends the block's function line to ScriptBuffer;
// returns the block's number. The block is flattened into `flat` first, room
// that the caller keeps so that the blocks of a page share it.
int RegisterBlock(std::string_view block, LeadByteTest isLeadByte, std::string& flat)
{
    if (BlockCounter == INT_MAX)
        throw ConvertError("Too many movie blocks: no function number is left for the next one");
    const int number = ++BlockCounter;
    flat.clear();
    detail::AppendFlattened(flat, block);
    ScriptBuffer.append("\r\nfunction displaySWF_").append(std::to_string(number)).append("() { document.write('");
    detail::AppendEscapedForScript(ScriptBuffer, flat, isLeadByte);
    ScriptBuffer.append("'); }\r\n");
    return number;
}

class StringSink final : public detail::ByteSink {
public:
    void Append(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Writes a page with its blocks replaced, and the include where it belongs.
class PageRenderer {
public:
    PageRenderer(std::string_view page, std::optional<std::size_t> includeAt, std::string_view include,
                 detail::ByteSink& sink)
        : page_(page), includeAt_(includeAt.value_or(npos)), include_(include), sink_(sink)
    {}

    // The page's own bytes [from, to).
    void CopyPage(std::size_t from, std::size_t to)
    {
        if (includeAt_ != npos && includeAt_ >= from && includeAt_ < to) {
            sink_.Append(page_.substr(from, includeAt_ - from));
            from = includeAt_;
            WriteInclude();
        }
        sink_.Append(page_.substr(from, to - from));
    }

    // The block [start, end) of the page, replaced by the call of its
    // function and a noscript element holding it. An include still to be
    // written was to go here or later, inside the block or behind it: the
    // call would run before the script is loaded, so the include goes first.
    void ReplaceBlock(std::size_t start, std::size_t end, int number)
    {
        if (includeAt_ != npos)
            WriteInclude();
        sink_.Append(CallStart);
        sink_.Append(std::to_string(number));
        sink_.Append(CallEnd);
        CopyPage(start, end);
        sink_.Append(NoscriptClose);
    }

    void Finish()
    {
        if (includeAt_ != npos)
            WriteInclude();
    }

private:
    void WriteInclude()
    {
        sink_.Append(include_);
        includeAt_ = npos;
    }

    std::string_view page_;
    std::size_t includeAt_;  // npos: none, or written already
    std::string_view include_;
    detail::ByteSink& sink_;
};

}  // namespace

std::string RegisterFlashBlock(std::string_view block)
{
    std::string flat;
    const int number = RegisterBlock(block, nullptr, flat);
    StringSink replacement;
    PageRenderer(block, std::nullopt, {}, replacement).ReplaceBlock(0, block.size(), number);
    return replacement.text;
}

namespace {

// The blocks of a page that the scan replaces, one after the other: each an
// object up to its closing tag, outside the elements it passes over whole.
class BlockScan {
public:
    explicit BlockScan(std::string_view pageText)
        : pageText_(pageText), starts_(pageText, ScanStarts), objectEnds_(pageText, ObjectEnd)
    {
        for (const SkippedElement& element : SkippedElements)
            skippedEnds_.emplace_back(pageText, element.end);
    }

    // Finds the next block: its start and end; false once there is none.
    bool Next(std::size_t& blockStart, std::size_t& blockEnd)
    {
        // Whichever comes first decides what happens next: an object, or an
        // element that is passed over whole.
        for (std::size_t start; (start = starts_.FirstFrom(rest_)) != npos;) {
            if (starts_.Which() > 0) {
                const SkippedElement& element = SkippedElements[starts_.Which() - 1];
                const std::size_t nameEnd = start + element.start.size();
                if (element.rawText && !EndsTagName(pageText_, nameEnd)) {
                    rest_ = start + 1;
                    continue;
                }
                // Without its end tag the element runs to the end of the page.
                const std::size_t close = skippedEnds_[starts_.Which() - 1].FirstFrom(nameEnd);
                if (close == npos)
                    return false;
                rest_ = close + element.end.size();
                continue;
            }
            const std::size_t close = objectEnds_.FirstFrom(start);
            // Without a closing tag ahead, no later object can be closed
            // either: everything from here on stays as it is.
            if (close == npos)
                return false;
            rest_ = close + ObjectEnd.size();
            blockStart = start;
            blockEnd = rest_;
            return true;
        }
        return false;
    }

private:
    std::string_view pageText_;
    ForwardSearch starts_;
    ForwardSearch objectEnds_;
    std::vector<ForwardSearch> skippedEnds_;
    std::size_t rest_ = 0;  // the page text before this is scanned
};

}  // namespace

int detail::RewritePage(std::string_view pageText, std::optional<std::size_t> includeAt, std::string_view include,
                        ByteSink& sink)
{
    BlockScan scan(pageText);
    const LeadByteTest isLeadByte = DeclaredLeadByteTest(pageText);
    std::string flat;

    // The function lines take about as many bytes as the blocks, which take
    // at most the whole page: room made once spares the copies of a buffer
    // that doubles block by block.
    ScriptBuffer.reserve(ScriptBuffer.size() + pageText.size());
    PreferHugePages(ScriptBuffer.data() + ScriptBuffer.size(), ScriptBuffer.capacity() - ScriptBuffer.size());

    PageRenderer renderer(pageText, includeAt, include, sink);
    int blocks = 0;
    std::size_t copied = 0;  // the page text before this is written
    for (std::size_t start = 0, end = 0; scan.Next(start, end);) {
        // Registered and written in one go, while the block is in the cache.
        renderer.CopyPage(copied, start);
        renderer.ReplaceBlock(start, end, RegisterBlock(pageText.substr(start, end - start), isLeadByte, flat));
        copied = end;
        ++blocks;
    }
    renderer.CopyPage(copied, pageText.size());
    renderer.Finish();
    return blocks;
}

bool HasFlashBlocks(std::string_view pageText)
{
    std::size_t start = 0, end = 0;
    return BlockScan(pageText).Next(start, end);
}

std::string RewriteBlocks(std::string_view pageText)
{
    StringSink output;
    output.text.reserve(pageText.size() + pageText.size() / 4);
    detail::RewritePage(pageText, std::nullopt, {}, output);
    return output.text;
}

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view BaseStart = "<base";

// Where the page's tags put the include, or the start of the page; behind a
// UTF-8 byte-order mark, which must stay the first bytes to be read as one.
std::size_t PlaceByTags(std::string_view pageText)
{
    if (const std::size_t at = FindLowered(pageText, "</head>", 0); at != npos)
        return at;
    if (const std::size_t at = FindLowered(pageText, "<head>", 0); at != npos)
        return at + 6;
    if (const std::size_t at = FindLowered(pageText, "<body", 0); at != npos)
        return at;
    if (const std::size_t at = FindLowered(pageText, "<html>", 0); at != npos)
        return at + 6;
    return pageText.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
}

// The first base element that starts before `end`, or `end`. ("<basefont"
// is another element.)
std::size_t FirstBaseBefore(std::string_view pageText, std::size_t end)
{
    const std::string_view before = pageText.substr(0, end);
    for (std::size_t at = FindLowered(before, BaseStart, 0); at != npos; at = FindLowered(before, BaseStart, at + 1))
        if (EndsTagName(pageText, at + BaseStart.size()))
            return at;
    return end;
}

}  // namespace

// A base element before the include would make its relative address lead
// elsewhere, so the include goes before the base element then.
std::size_t detail::IncludePosition(std::string_view pageText)
{
    return FirstBaseBefore(pageText, PlaceByTags(pageText));
}

std::string detail::IncludeMarkup(std::string_view scriptReference)
{
    return "\r\n<script language=\"JavaScript\" src=\"" + EscapeUrlAttribute(scriptReference) + "\"></script>\r\n";
}

namespace {

constexpr std::string_view IncludeStart = "\r\n<script language=\"JavaScript\" src=\"";
constexpr std::string_view PlayerLineStart = "<script src=\"";
constexpr std::string_view SourceEnd = "\"></script>\r\n";

// Reads a converted page from its start, piece after piece as the
// conversion wrote them; a piece that is not there ends the reading.
class ConvertedPageReader {
public:
    explicit ConvertedPageReader(std::string_view page) : rest_(page) {}

    bool Take(std::string_view bytes)
    {
        if (!rest_.starts_with(bytes))
            return false;
        rest_.remove_prefix(bytes.size());
        return true;
    }
    // Digits that fit an int, or nothing.
    std::optional<int> TakeNumber()
    {
        const std::size_t digits = std::min(rest_.find_first_not_of("0123456789"), rest_.size());
        int number = 0;
        const auto [end, error] = std::from_chars(rest_.data(), rest_.data() + digits, number);
        rest_.remove_prefix(digits);
        return digits > 0 && error == std::errc() ? std::optional(number) : std::nullopt;
    }
    // start + a src value + SourceEnd, as IncludeMarkup and PlayerIncludeLine
    // write them (a value made safe for an attribute holds no quote).
    std::optional<std::string_view> TakeSourceLine(std::string_view start)
    {
        if (!Take(start))
            return std::nullopt;
        const std::string_view source = rest_.substr(0, rest_.find('"'));
        rest_.remove_prefix(source.size());
        return Take(SourceEnd) ? std::optional(source) : std::nullopt;
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

// Whether page is backup with the include at includeAt (followed by a
// player line when withPlayer) and each block replaced as ReplaceBlock does;
// what the conversion wrote then.
std::optional<ConversionFound> MatchConversion(std::string_view page, std::string_view backup, const Spans& blocks,
                                               std::size_t includeAt, bool withPlayer)
{
    ConvertedPageReader reader(page);
    if (!reader.Take(backup.substr(0, includeAt)))
        return std::nullopt;
    const std::optional<std::string_view> source = reader.TakeSourceLine(IncludeStart);
    if (!source || (withPlayer && !reader.TakeSourceLine(PlayerLineStart)))
        return std::nullopt;
    ConversionFound found{PathOfUrlAttribute(*source), {}};
    std::size_t copied = includeAt;
    for (const auto& [start, end] : blocks) {
        if (!reader.Take(backup.substr(copied, start - copied)) || !reader.Take(CallStart))
            return std::nullopt;
        const std::optional<int> number = reader.TakeNumber();
        if (!number || !reader.Take(CallEnd) || !reader.Take(backup.substr(start, end - start))
            || !reader.Take(NoscriptClose))
            return std::nullopt;
        found.functions.push_back(*number);
        copied = end;
    }
    if (!reader.Take(backup.substr(copied)) || !reader.AtEnd())
        return std::nullopt;
    return found;
}

}  // namespace

std::optional<ConversionFound> FindConversion(std::string_view pageText, std::string_view backupText)
{
    Spans blocks;
    BlockScan scan(backupText);
    for (std::size_t start = 0, end = 0; scan.Next(start, end);)
        blocks.emplace_back(start, end);
    // The include goes before the first block when that comes first.
    const std::size_t includeAt = std::min(detail::IncludePosition(backupText),
                                           blocks.empty() ? backupText.size() : blocks.front().first);
    std::optional<ConversionFound> found = MatchConversion(pageText, backupText, blocks, includeAt, false);
    return found ? found : MatchConversion(pageText, backupText, blocks, includeAt, true);
}

std::string InsertScriptInclude(std::string_view pageText, std::string_view scriptReference)
{
    const std::size_t at = detail::IncludePosition(pageText);
    return std::string(pageText.substr(0, at)) + detail::IncludeMarkup(scriptReference)
           + std::string(pageText.substr(at));
}

}  // namespace sorvane
