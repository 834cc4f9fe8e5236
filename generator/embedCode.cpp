#include "embedCode.h"

#include "nativePath.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <utility>

namespace sorvane {

// The Flash Player download server (serves the player's cabinet file) and the
// host of the plug-in download page, as standard embed markup names them.
#define SORVANE_CABINET_HOST "download.macromedia.com"
#define SORVANE_PLUGIN_PAGE_HOST "www.macromedia.com"

const std::string_view EmbedTemplate = "<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\"\r\n"
                                       "        codebase=\"http://" SORVANE_CABINET_HOST
                                       "/pub/shockwave/cabs/flash/swflash.cab#version=8,0,0,0\"\r\n"
                                       "        width=\"%s\" height=\"%s\"\r\n"
                                       "        id=\"%s\" align=\"middle\">\r\n"
                                       "  <param name=\"allowScriptAccess\" value=\"sameDomain\" />\r\n"
                                       "  <param name=\"movie\" value=\"%s\" />\r\n"
                                       "  <param name=\"quality\" value=\"%s\" />\r\n"
                                       "  <embed src=\"%s\" quality=\"%s\" \r\n"
                                       "         width=\"%s\" height=\"%s\"\r\n"
                                       "         name=\"%s\" align=\"middle\"\r\n"
                                       "         allowScriptAccess=\"sameDomain\"\r\n"
                                       "         type=\"application/x-shockwave-flash\"\r\n"
                                       "         pluginspage=\"http://" SORVANE_PLUGIN_PAGE_HOST
                                       "/go/getflashplayer\" />\r\n"
                                       "</object>";

#undef SORVANE_CABINET_HOST
#undef SORVANE_PLUGIN_PAGE_HOST

const std::string_view SnippetTemplate = "<script src=\"%s\"></script>\r\n<noscript>\r\n%s\r\n</noscript>";

const std::string_view MovieScriptTemplate = "// %s\r\ndocument.write('%s');";

namespace {

constexpr std::string_view Placeholder = "%s";
// What follows the string in the movie script's statement: MovieScriptTemplate's end.
constexpr std::string_view StatementEnd = "');";

struct Options {
    std::string width, height, name, quality, movieFileName;
};

std::string BuildMarkup(const Options& o)
{
    return FillPlaceholders(EmbedTemplate, {o.width, o.height, o.name, o.movieFileName, o.quality, o.movieFileName,
                                            o.quality, o.width, o.height, o.name});
}

}  // namespace

std::string FillPlaceholders(std::string_view templateText, std::initializer_list<std::string_view> values)
{
    std::string filled;
    std::size_t start = 0;
    for (const std::string_view value : values) {
        const std::size_t at = templateText.find(Placeholder, start);
        if (at == std::string_view::npos)
            throw std::invalid_argument("more values than placeholders");
        filled.append(templateText, start, at - start).append(value);
        start = at + Placeholder.size();
    }
    if (templateText.find(Placeholder, start) != std::string_view::npos)
        throw std::invalid_argument("fewer values than placeholders");
    return filled.append(templateText, start);
}

bool IsDigitsOrPercent(std::string_view text)
{
    for (const char c : text)
        if ((c < '0' || c > '9') && c != '%')
            return false;
    return true;
}

bool IsEmptyWhenTrimmed(std::string_view text)
{
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

std::vector<DoubtfulValue> DoubtfulValues(const EmbedOptions& options)
{
    const std::pair<DoubtfulValue, bool> checks[] = {
        {DoubtfulValue::BlankWidth, IsEmptyWhenTrimmed(options.width)},
        {DoubtfulValue::BlankHeight, IsEmptyWhenTrimmed(options.height)},
        {DoubtfulValue::BlankName, IsEmptyWhenTrimmed(options.name)},
        {DoubtfulValue::WidthNotDigits, !IsDigitsOrPercent(options.width)},
        {DoubtfulValue::HeightNotDigits, !IsDigitsOrPercent(options.height)},
    };
    std::vector<DoubtfulValue> doubtful;
    for (const auto& [value, holds] : checks)
        if (holds)
            doubtful.push_back(value);
    return doubtful;
}

std::string MovieScriptPath(std::string_view moviePath, PathStyle style)
{
    return ScriptPathFor(moviePath, {}, style);
}

bool IsGeneratedMovieScript(std::string_view text)
{
    const std::string header = FillPlaceholders(MovieScriptTemplate, {ScriptHeaderText, ""});
    const std::string_view prefix = std::string_view(header).substr(0, header.size() - StatementEnd.size());
    if (!text.starts_with(prefix))
        return false;
    // The string runs to the first quote that no backslash escapes; the
    // generator writes it on one line and ends the file after the statement.
    for (std::size_t i = prefix.size(); i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            ++i;
        else if (c == '\r' || c == '\n')
            return false;
        else if (c == '\'')
            return text.substr(i) == StatementEnd;
    }
    return false;
}

bool WouldReplaceOtherScript(std::string_view moviePath, PathStyle style)
{
    const std::string scriptPath = MovieScriptPath(moviePath, style);
    std::error_code error;
    if (!std::filesystem::is_regular_file(NativePath(scriptPath), error))
        return false;
    try {
        const std::string text = LoadTextFile(scriptPath);
        return !text.empty() && !IsGeneratedMovieScript(text);
    } catch (const FileError&) {
        return true;
    }
}

EmbedCodeResult GenerateEmbedCode(const EmbedOptions& options)
{
    const std::string& moviePath = options.moviePath;
    const PathStyle style = options.style;
    EmbedCodeResult result;
    if (options.playerSource)
        result.snippet = PlayerIncludeLine(PlayerReference(*options.playerSource, moviePath, style));
    result.movieFileName = FileNamePart(moviePath, style);
    const std::string markup = BuildMarkup({EscapeHtmlAttribute(options.width), EscapeHtmlAttribute(options.height),
                                            EscapeHtmlAttribute(options.name), EscapeHtmlAttribute(options.quality),
                                            EscapeUrlAttribute(result.movieFileName, style)});
    result.scriptName = BaseName(result.movieFileName, style) + ".js";
    result.snippet += FillPlaceholders(SnippetTemplate, {EscapeUrlAttribute(result.scriptName, style), markup});
    const std::string scriptText = FillPlaceholders(MovieScriptTemplate,
                                                    {ScriptHeaderText, EscapeSingleQuoted(FlattenMarkup(markup))});
    result.scriptPath = MovieScriptPath(moviePath, style);
    // A movie named NAME.js, or reached through a link of that name, would be
    // replaced by its own script.
    if (SameFile(moviePath, result.scriptPath))
        throw ConvertError("The movie and its script file are the same file: " + result.scriptPath);
    SaveTextFile(scriptText, result.scriptPath);
    return result;
}

}  // namespace sorvane
