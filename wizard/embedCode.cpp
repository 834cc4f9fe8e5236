#include "embedCode.h"

#include <stdexcept>

namespace sorvane {

#define SORVANE_CABINET_HOST "download.macromedia.com"
#define SORVANE_PLUGIN_PAGE_HOST "www.macromedia.com"

const std::string_view FlashCabinetHost = SORVANE_CABINET_HOST;
const std::string_view FlashPluginPageHost = SORVANE_PLUGIN_PAGE_HOST;

const std::string_view EmbedTemplate =
    "<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\"\r\n"
    "        codebase=\"http://" SORVANE_CABINET_HOST "/pub/shockwave/cabs/flash/swflash.cab#version=8,0,0,0\"\r\n"
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
    "         pluginspage=\"http://" SORVANE_PLUGIN_PAGE_HOST "/go/getflashplayer\" />\r\n"
    "</object>";

#undef SORVANE_CABINET_HOST
#undef SORVANE_PLUGIN_PAGE_HOST

const std::string_view SnippetTemplate = "<script src=\"%s\"></script>\r\n<noscript>\r\n%s\r\n</noscript>";

const std::string_view MovieScriptTemplate = "// %s\r\ndocument.write('%s');";

namespace {

constexpr std::string_view Placeholder = "%s";

struct Options {
    std::string width, height, name, quality, movieFileName;
};

std::string BuildMarkup(const Options& o)
{
    return FillPlaceholders(EmbedTemplate, {o.width, o.height, o.name, o.movieFileName, o.quality,
                                            o.movieFileName, o.quality, o.width, o.height, o.name});
}

}  // namespace

std::string FillPlaceholders(std::string_view templateText, std::initializer_list<std::string_view> values)
{
    std::string filled;
    std::size_t start = 0;
    for (const std::string_view value : values) {
        const std::size_t at = templateText.find(Placeholder, start);
        if (at == std::string_view::npos) throw std::invalid_argument("more values than placeholders");
        filled.append(templateText, start, at - start).append(value);
        start = at + Placeholder.size();
    }
    if (templateText.find(Placeholder, start) != std::string_view::npos)
        throw std::invalid_argument("fewer values than placeholders");
    return filled.append(templateText, start);
}

std::string EscapeHtmlAttribute(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

bool IsDigitsOrPercent(std::string_view text)
{
    for (const char c : text)
        if ((c < '0' || c > '9') && c != '%') return false;
    return true;
}

EmbedCodeResult GenerateEmbedCode(std::string_view moviePath, std::string_view width, std::string_view height,
                                  std::string_view name, std::string_view quality, PathStyle style)
{
    EmbedCodeResult result;
    result.movieFileName = FileNamePart(moviePath, style);
    const std::string markup = BuildMarkup({EscapeHtmlAttribute(width), EscapeHtmlAttribute(height),
                                            EscapeHtmlAttribute(name), EscapeHtmlAttribute(quality),
                                            EscapeHtmlAttribute(result.movieFileName)});
    result.scriptName = BaseName(result.movieFileName, style) + ".js";
    result.snippet = FillPlaceholders(SnippetTemplate, {EscapeHtmlAttribute(result.scriptName), markup});
    const std::string scriptText =
        FillPlaceholders(MovieScriptTemplate, {ScriptHeaderText, EscapeSingleQuoted(FlattenMarkup(markup))});
    result.scriptPath = FolderPart(moviePath, style) + result.scriptName;
    // A movie named NAME.js, or reached through a link of that name, would be
    // replaced by its own script.
    if (SameFile(std::string(moviePath), result.scriptPath))
        throw ConvertError("The movie and its script file are the same file: " + result.scriptPath);
    SaveTextFile(scriptText, result.scriptPath);
    return result;
}

}  // namespace sorvane
