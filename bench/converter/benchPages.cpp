#include "benchPages.h"

#include <array>
#include <random>

namespace sorvane::bench {
namespace {

constexpr std::array<std::pair<PageKind, std::string_view>, 8> KindNames{{
    {PageKind::Ordinary, "ordinary"},
    {PageKind::UnclosedObjects, "unclosed"},
    {PageKind::AllInNoscript, "noscript"},
    {PageKind::BlankRuns, "blanks"},
    {PageKind::InScripts, "scripts"},
    {PageKind::QuotedValues, "values"},
    {PageKind::LongQuotes, "quotes"},
    {PageKind::InValues, "invalues"},
}};

constexpr std::string_view Head = "<html>\r\n<head>\r\n<title>Benchmark</title>\r\n</head>\r\n<body>\r\n";
constexpr std::string_view Tail = "</body>\r\n</html>\r\n";
constexpr std::string_view Words = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod ";

// The tag name in one of the letter cases authors write it in.
std::string_view ObjectWord(std::mt19937& random)
{
    static constexpr std::array<std::string_view, 4> Spellings{"object", "OBJECT", "Object", "oBJect"};
    return Spellings[random() % Spellings.size()];
}

std::string MovieBlock(std::mt19937& random, int n)
{
    const std::string movie = "movie" + std::to_string(n) + ".swf";
    return "<" + std::string(ObjectWord(random))
           + " classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" WIDTH=\"550\" HEIGHT=\"400\">\r\n"
             "  <PARAM NAME=\"movie\" VALUE=\""
           + movie + "\">\r\n  <param name=\"quality\" value=\"high\">\r\n  <EMBED src=\"" + movie
           + "\" quality=\"high\" WIDTH=\"550\" HEIGHT=\"400\" TYPE=\"application/x-shockwave-flash\"></EMBED>\r\n</"
           + std::string(ObjectWord(random)) + ">";
}

std::string BlankRunBlock(std::mt19937& random)
{
    const auto blanks = [&random] { return std::string(2000 + random() % 3000, ' '); };
    return "<object" + blanks() + "data=\"m.swf\">\r\n" + blanks() + "<param name=\"movie\" value=\"m.swf\">" + blanks()
           + "\r\n</object>";
}

std::string ParamsBlock(std::mt19937& random)
{
    std::string block = "<" + std::string(ObjectWord(random)) + " data=\"m.swf\" width=\"550\" height=\"400\">";
    for (int n = 0; n < 300; ++n)
        block += "\r\n  <param name=\"p" + std::to_string(n) + "\" value='a  b\r\nc'>";
    return block + "\r\n</object>";
}

// Paragraphs of text, with a tag now and then, `size` bytes long.
std::string Text(std::size_t size)
{
    std::string text = "<p>";
    while (text.size() + 6 < size)
        text.append(Words.substr(0, std::min(Words.size(), size - 6 - text.size())));
    text += "</p>\r\n";
    return text.substr(0, size);
}

// One repeating piece of the page: a block and the text that fills the rest
// of its spacing.
std::string Piece(PageKind kind, std::mt19937& random, int n)
{
    switch (kind) {
    case PageKind::Ordinary: {
        const std::string block = MovieBlock(random, n) + "\r\n";
        return Text(OrdinaryBlockSpacing - block.size()) + block;
    }
    case PageKind::AllInNoscript: {
        const std::string block = "<noscript>\r\n" + MovieBlock(random, n) + "\r\n</noscript>\r\n";
        return Text(OrdinaryBlockSpacing - block.size()) + block;
    }
    case PageKind::InScripts: {
        const std::string block = "<scripts><titles><script>var movie = '" + MovieBlock(random, n) + "';</script>\r\n";
        return Text(OrdinaryBlockSpacing - block.size()) + block;
    }
    case PageKind::UnclosedObjects: {
        const std::string start = "<" + std::string(ObjectWord(random)) + " id=\"o" + std::to_string(n) + "\">";
        return start + Text(UnclosedObjectSpacing - start.size());
    }
    case PageKind::BlankRuns: return Text(512) + BlankRunBlock(random) + "\r\n";
    case PageKind::QuotedValues: return Text(512) + ParamsBlock(random) + "\r\n";
    case PageKind::LongQuotes: {
        const std::string block = MovieBlock(random, n) + "\r\n";
        return "<span title='" + Text(OrdinaryBlockSpacing - block.size() - 16) + "'>x</span>" + block;
    }
    case PageKind::InValues: {
        const std::string block = MovieBlock(random, n) + "\r\n";
        std::string copy = MovieBlock(random, n);
        for (char& c : copy)
            c = c == '"' ? '\'' : c;
        copy = "<input value=\"" + copy + "\">\r\n";
        return Text(OrdinaryBlockSpacing - block.size() - copy.size()) + copy + block;
    }
    }
    return {};
}

}  // namespace

std::optional<PageKind> PageKindNamed(std::string_view name)
{
    for (const auto& [kind, kindName] : KindNames)
        if (kindName == name)
            return kind;
    return std::nullopt;
}

std::string_view NameOf(PageKind kind)
{
    for (const auto& [candidate, name] : KindNames)
        if (candidate == kind)
            return name;
    return {};
}

std::string MakePage(PageKind kind, std::size_t size)
{
    std::mt19937 random(20240601);
    std::string page(Head);
    page.reserve(size + 64 * 1024);
    for (int n = 1; page.size() + Tail.size() < size; ++n)
        page += Piece(kind, random, n);
    page.resize(size - Tail.size(), ' ');  // the last piece may be cut; its text is closed by the tail
    return page + std::string(Tail);
}

std::string MakeSitePage(std::size_t size, int blocks, unsigned seed)
{
    std::mt19937 random(seed);
    const std::size_t textSize = size / static_cast<std::size_t>(blocks + 1);
    std::string page(Head);
    page.reserve(size + 4096);
    for (int n = 1; n <= blocks; ++n)
        page += Text(textSize) + MovieBlock(random, n) + "\r\n";
    return page + Text(textSize) + std::string(Tail);
}

}  // namespace sorvane::bench
