// The rewriting of the page text: finding the movie blocks, turning each into
// a script function and a call, and inserting the script include.
#include "converterInternals.h"
#include "functionLines.h"
#include "markupTokens.h"
#include "restoration.h"
#include "textSearch.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <span>
#include <vector>

namespace sorvane {
namespace {

using detail::FindLowered;
using detail::NextToken;
using detail::RawTextAfter;
using detail::RawTextEnd;
using detail::TagNamed;

constexpr std::size_t npos = detail::NotFound;
constexpr std::string_view ObjectStart = "<object";

using detail::MarkupToken;
using TokenKind = MarkupToken::Kind;

bool StartsAt(std::string_view text, std::size_t at, std::string_view lowerPrefix)
{
    return detail::StartsWithLowered(text.substr(at), lowerPrefix);
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
constexpr std::string_view CallEnd = "(); </script>";
constexpr std::string_view NoscriptOpen = "<noscript>";
constexpr std::string_view NoscriptClose = "</noscript>";

// Raises the run's blockCounter; returns the next block's number.
int NextBlockNumber(ConversionRun& run)
{
    if (run.blockCounter == INT_MAX)
        throw ConvertError("Too many movie blocks: no function number is left for the next one");
    return ++run.blockCounter;
}

// Writes a page with its blocks replaced, and the include where it belongs.
// Offsets are the page's; what they name lies in the page's window.
class PageRenderer {
public:
    PageRenderer(const detail::PageText& page, std::optional<std::size_t> includeAt, std::string_view include,
                 std::string_view lineEnd, detail::ByteSink& sink)
        : page_(page), includeAt_(includeAt), include_(include), lineEnd_(lineEnd), sink_(sink)
    {}

    // The page's own bytes [from, to).
    void CopyPage(std::size_t from, std::size_t to)
    {
        if (includeAt_ && *includeAt_ >= from && *includeAt_ < to) {
            const std::size_t at = *includeAt_;  // WriteInclude empties it
            sink_.Append(Bytes(from, at));
            WriteInclude();
            from = at;
        }
        sink_.Append(Bytes(from, to));
    }

    // The block [start, end) of the page, replaced by the call of its
    // function and a noscript element holding it. An include still to be
    // written was to go here or later, inside the block or behind it: the
    // call would run before the script is loaded, so the include goes first.
    void ReplaceBlock(std::size_t start, std::size_t end, int number)
    {
        if (includeAt_)
            WriteInclude();
        sink_.Append(CallStart);
        sink_.Append(std::to_string(number));
        sink_.Append(CallEnd);
        sink_.Append(lineEnd_);
        sink_.Append(NoscriptOpen);
        sink_.Append(lineEnd_);
        CopyPage(start, end);
        sink_.Append(lineEnd_);
        sink_.Append(NoscriptClose);
    }

    void Finish()
    {
        if (includeAt_)
            WriteInclude();
    }

private:
    std::string_view Bytes(std::size_t from, std::size_t to) const
    {
        return page_.Window().substr(from - page_.Start(), to - from);
    }

    void WriteInclude()
    {
        sink_.Append(include_);
        includeAt_.reset();
    }

    const detail::PageText& page_;
    std::optional<std::size_t> includeAt_;
    std::string_view include_;
    std::string_view lineEnd_;
    detail::ByteSink& sink_;
};

}  // namespace

std::string RegisterFlashBlock(ConversionRun& run, std::string_view block)
{
    std::string flat;
    const int number = NextBlockNumber(run);
    detail::AppendFunctionLine(run.scriptBuffer, number, block, nullptr, flat);
    detail::StringSink replacement;
    const detail::PageText text(block);
    PageRenderer(text, std::nullopt, {}, "\r\n", replacement).ReplaceBlock(0, block.size(), number);
    return replacement.text;
}

namespace {

// The first end tag after the start tag open for which isEnd(token) holds,
// as markup (not inside a quoted value, a comment or raw text), or nothing.
template <class EndTest>
std::optional<MarkupToken> EndTagAfter(std::string_view text, const MarkupToken& open, EndTest isEnd)
{
    if (!open.closed)
        return std::nullopt;
    const MarkupToken close = detail::NextTagWhere(
        text, open.end, [&](const MarkupToken& token) { return token.kind == TokenKind::EndTag && isEnd(token); });
    if (close.start == text.size() || !close.closed)
        return std::nullopt;
    return close;
}

// The end of the block whose start tag is open: one past the first end tag
// of an object that is markup; NotFound when there is none.
std::size_t BlockEnd(std::string_view text, const MarkupToken& open)
{
    const auto close = EndTagAfter(text, open,
                                   [&](const MarkupToken& token) { return TagNamed(text, token.start, "object"); });
    return close ? close->end : npos;
}

// The blocks of a page that the scan replaces, one after the other: each an
// object up to its closing tag. The scan reads the page as markup: a
// "<object" or "<noscript" inside another tag's quoted value is no tag. A
// block inside a noscript element is written there for browsers without
// scripting; inside a script, style, textarea, title or xmp element,
// "<object" is text: a script's string, an example to copy, and replacing it
// would put a "</script>" into the page's own script and end it early.
// Inside a comment, blocks are looked for as in the rest of the page (old
// browsers read conditional comments), but no other markup counts there.
class BlockScan {
public:
    explicit BlockScan(std::string_view pageText) : pageText_(pageText), objectsInComments_(pageText, ObjectStart) {}

    // Finds the next block: its start and end; false once there is none.
    bool Next(std::size_t& blockStart, std::size_t& blockEnd)
    {
        const std::size_t size = pageText_.size();
        while (rest_ < size) {
            const std::optional<MarkupToken> open = NextObject();
            if (!open)
                return false;
            if (open->kind != TokenKind::StartTag)
                continue;
            // Without a closing tag ahead, no later object can be closed
            // either: everything from here on stays as it is.
            const std::size_t end = BlockEnd(pageText_, *open);
            if (end == npos)
                return false;
            blockStart = open->start;
            blockEnd = rest_ = end;
            if (rest_ >= commentEnd_)
                resumable_ = rest_;
            return true;
        }
        return false;
    }

    // Where a scan of the same text may start afresh and find what this one
    // finds from there on: the end of the last piece of markup that the
    // text holds whole and that is not inside a comment. A scan of a window
    // of the page that did not reach the page's end starts over there with
    // more of the page.
    std::size_t Resumable() const { return resumable_; }

private:
    // The start tag of the next object, a token of another kind when the
    // scan only moved on, or nothing when nothing can follow.
    std::optional<MarkupToken> NextObject()
    {
        const std::size_t size = pageText_.size();
        if (rest_ < commentEnd_) {
            const std::size_t start = objectsInComments_.FirstFrom(rest_);
            if (start == npos || start >= commentEnd_) {
                rest_ = commentEnd_;
                if (commentClosed_)
                    resumable_ = rest_;
                return MarkupToken{TokenKind::Comment, rest_, rest_};
            }
            return NextToken(pageText_, start);
        }
        const MarkupToken token = NextToken(pageText_, rest_);
        if (token.start == size)
            return std::nullopt;
        rest_ = token.end;
        if (token.kind == TokenKind::Comment) {
            commentEnd_ = token.end;
            commentClosed_ = token.closed;
            rest_ = token.start + 4;
        } else if (token.kind == TokenKind::StartTag) {
            if (StartsAt(pageText_, token.start, ObjectStart))
                return token;
            if (StartsAt(pageText_, token.start, "<noscript")) {
                // Without its end tag the element runs to the end of the page.
                const auto close = EndTagAfter(pageText_, token, [&](const MarkupToken& end) {
                    return StartsAt(pageText_, end.start, "</noscript");
                });
                if (!close)
                    return std::nullopt;
                rest_ = close->end;
            } else if (const RawTextEnd raw = RawTextAfter(pageText_, token); raw.rawText) {
                if (raw.endTag == size)
                    return std::nullopt;
                rest_ = raw.after;
            }
        }
        if (token.closed && rest_ >= commentEnd_)
            resumable_ = rest_;
        return MarkupToken{TokenKind::Other, token.start, rest_};
    }

    std::string_view pageText_;
    ForwardSearch objectsInComments_;
    std::size_t rest_ = 0;        // the page text before this is scanned
    std::size_t commentEnd_ = 0;  // the scan is inside a comment before this
    bool commentClosed_ = true;   // that comment ends within the text
    std::size_t resumable_ = 0;
};

}  // namespace

int detail::RewritePage(ConversionRun& run, PageText& page, std::optional<std::size_t> includeAt,
                        std::string_view include, std::string_view lineEnd, ByteSink& sink, ByteSink* functionLines)
{
    page.Rewind();
    FunctionLineMaker functions(run, functionLines, page.Size(), DeclaredLeadByteTest(page.Window()));
    PageRenderer renderer(page, includeAt, include, lineEnd, sink);
    int blocks = 0;
    std::size_t copied = 0;  // the page before this is written
    for (;;) {
        const std::size_t base = page.Start();
        const std::string_view window = page.Window();
        BlockScan scan(window);
        for (std::size_t start = 0, end = 0; scan.Next(start, end);) {
            if (base + start < copied)
                continue;  // written before the window moved on
            renderer.CopyPage(copied, base + start);
            const int number = NextBlockNumber(run);
            renderer.ReplaceBlock(base + start, base + end, number);
            functions.Add(window.substr(start, end - start), number);
            copied = base + end;
            ++blocks;
        }
        if (page.AtEnd())
            break;
        // What the scan has not decided yet is scanned again with more of the
        // page; what lies before is written and let go of.
        const std::size_t resumable = base + scan.Resumable();
        if (resumable > copied) {
            renderer.CopyPage(copied, resumable);
            copied = resumable;
        }
        page.LetGo(resumable);
        page.ReadMore();
    }
    renderer.CopyPage(copied, page.Size());
    renderer.Finish();
    functions.Finish();
    return blocks;
}

int detail::RewritePage(ConversionRun& run, std::string_view pageText, std::optional<std::size_t> includeAt,
                        std::string_view include, std::string_view lineEnd, ByteSink& sink, ByteSink* functionLines)
{
    PageText page(pageText);
    return RewritePage(run, page, includeAt, include, lineEnd, sink, functionLines);
}

bool detail::HasFlashBlocks(PageText& page)
{
    page.Rewind();
    for (;;) {
        BlockScan scan(page.Window());
        std::size_t start = 0, end = 0;
        if (scan.Next(start, end))
            return true;
        if (page.AtEnd())
            return false;
        page.LetGo(page.Start() + scan.Resumable());
        page.ReadMore();
    }
}

bool HasFlashBlocks(std::string_view pageText)
{
    detail::PageText page(pageText);
    return detail::HasFlashBlocks(page);
}

std::string RewriteBlocks(ConversionRun& run, std::string_view pageText)
{
    detail::StringSink output;
    output.text.reserve(pageText.size() + pageText.size() / 4);
    detail::RewritePage(run, pageText, std::nullopt, {}, detail::PageLineEnd(pageText), output);
    return output.text;
}

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// The include goes before "</head>", else after "<head>", else before
// "<body", else after "<html>", else at the start: behind a UTF-8 byte-order
// mark, which must stay the first bytes to be read as one. A base element
// before that place would make the include's relative address lead
// elsewhere, so the include goes before the base element then. Only markup
// counts: tags in comments, in a script's text or in another tag's quoted
// value are passed over.
namespace {

// Where the include goes in a text, and whether its place is sure
// whatever follows the text.
struct IncludeFound {
    std::size_t position;
    bool atHeadEnd;  // by the head's end tag: more text after it changes nothing
};

IncludeFound FindIncludePosition(std::string_view pageText)
{
    const std::size_t size = pageText.size();
    std::size_t openHead = npos, body = npos, html = npos, base = npos;
    for (std::size_t at = 0;;) {
        const MarkupToken token = NextToken(pageText, at);
        if (token.start == size)
            break;
        at = token.end;
        if (token.kind == TokenKind::EndTag && StartsAt(pageText, token.start, "</head>"))
            return {std::min(base, token.start), true};
        if (token.kind != TokenKind::StartTag)
            continue;
        if (base == npos && TagNamed(pageText, token.start, "base"))
            base = token.start;
        else if (openHead == npos && StartsAt(pageText, token.start, "<head>"))
            openHead = token.start + 6;
        else if (body == npos && StartsAt(pageText, token.start, "<body"))
            body = token.start;
        else if (html == npos && StartsAt(pageText, token.start, "<html>"))
            html = token.start + 6;
        else if (const RawTextEnd raw = RawTextAfter(pageText, token); raw.rawText)
            at = raw.after;
    }
    const std::size_t place = openHead != npos                          ? openHead
                              : body != npos                            ? body
                              : html != npos                            ? html
                              : pageText.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size()
                                                                        : 0;
    return {std::min(base, place), false};
}

}  // namespace

std::size_t detail::IncludePosition(std::string_view pageText)
{
    return FindIncludePosition(pageText).position;
}

std::size_t detail::IncludePosition(PageText& page)
{
    page.Rewind();
    for (;;) {
        const IncludeFound found = FindIncludePosition(page.Window());
        if (found.atHeadEnd || page.AtEnd())
            return found.position;
        page.ReadMore();
    }
}

std::string detail::IncludeMarkup(std::string_view scriptReference, std::string_view lineEnd)
{
    return std::string(lineEnd) + "<script language=\"JavaScript\" src=\"" + EscapeUrlAttribute(scriptReference)
           + "\"></script>" + std::string(lineEnd);
}

// Pages whose line ends are LF alone get LF in what is added; any CR, or no
// line end at all, keeps CR LF.
std::string_view detail::PageLineEnd(std::string_view pageText)
{
    const bool anyCr = pageText.find('\r') != npos;
    return !anyCr && pageText.find('\n') != npos ? "\n" : "\r\n";
}

namespace {

constexpr std::string_view IncludeStart = "<script language=\"JavaScript\" src=\"";
constexpr std::string_view PlayerLineStart = "<script src=\"";
constexpr std::string_view SourceEnd = "\"></script>";

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
    // start + a src value + SourceEnd + lineEnd, as IncludeMarkup and
    // PlayerIncludeLine write them (a value made safe for an attribute holds
    // no quote).
    std::optional<std::string_view> TakeSourceLine(std::string_view start, std::string_view lineEnd)
    {
        if (!Take(start))
            return std::nullopt;
        const std::string_view source = rest_.substr(0, rest_.find('"'));
        rest_.remove_prefix(source.size());
        return Take(SourceEnd) && Take(lineEnd) ? std::optional(source) : std::nullopt;
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

// Whether page is backup with the include at includeAt (followed by a
// player line when withPlayer) and each block replaced as ReplaceBlock does,
// their lines ended with lineEnd; what the conversion wrote then.
std::optional<ConversionFound> MatchConversion(std::string_view page, std::string_view backup, const Spans& blocks,
                                               std::size_t includeAt, bool withPlayer, std::string_view lineEnd)
{
    ConvertedPageReader reader(page);
    if (!reader.Take(backup.substr(0, includeAt)) || !reader.Take(lineEnd))
        return std::nullopt;
    const std::optional<std::string_view> source = reader.TakeSourceLine(IncludeStart, lineEnd);
    if (!source || (withPlayer && !reader.TakeSourceLine(PlayerLineStart, lineEnd)))
        return std::nullopt;
    ConversionFound found{PathOfUrlAttribute(*source), {}};
    std::size_t copied = includeAt;
    for (const auto& [start, end] : blocks) {
        if (!reader.Take(backup.substr(copied, start - copied)) || !reader.Take(CallStart))
            return std::nullopt;
        const std::optional<int> number = reader.TakeNumber();
        if (!number || !reader.Take(CallEnd) || !reader.Take(lineEnd) || !reader.Take(NoscriptOpen)
            || !reader.Take(lineEnd) || !reader.Take(backup.substr(start, end - start)) || !reader.Take(lineEnd)
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
    // The line ends of the page, or CR LF as conversions before wrote them
    // on every page.
    for (const std::string_view lineEnd : {detail::PageLineEnd(backupText), std::string_view("\r\n")})
        for (const bool withPlayer : {false, true})
            if (auto found = MatchConversion(pageText, backupText, blocks, includeAt, withPlayer, lineEnd))
                return found;
    return std::nullopt;
}

std::string InsertScriptInclude(std::string_view pageText, std::string_view scriptReference)
{
    const std::size_t at = detail::IncludePosition(pageText);
    return std::string(pageText.substr(0, at)) + detail::IncludeMarkup(scriptReference, detail::PageLineEnd(pageText))
           + std::string(pageText.substr(at));
}

}  // namespace sorvane
