// Movie embed code: the <object>/<embed> markup of one Flash movie, the
// script file beside the movie that writes it, and the snippet an author
// pastes into a page. Plain C++ on byte strings and the file system; the
// window pages and the command-line tool both call it.
#pragma once

#include "unitACConvertor.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace sorvane {

// What one generation produced. The window fills its two instruction labels
// from scriptName and movieFileName and shows snippet.
struct EmbedCodeResult {
    std::string movieFileName;  // the movie's file name with extension: intro.swf
    std::string scriptName;     // base name of the movie + ".js": intro.js
    std::string scriptPath;     // the movie's folder + scriptName: the file written
    std::string snippet;        // 17 lines joined by CR LF, no final line end
};

// The Flash Player download server (serves the player's cabinet file) and the
// host of the plug-in download page, as standard embed markup names them.
extern const std::string_view FlashCabinetHost;
extern const std::string_view FlashPluginPageHost;

// The markup: 14 lines joined by CR LF, ten "%s" placeholders filled in this
// order: width, height, id, movie, quality, movie, quality, width, height, name.
extern const std::string_view EmbedTemplate;
// The paste snippet: the script name, then the markup.
extern const std::string_view SnippetTemplate;
// The movie's script file: ScriptHeaderText, then the markup on one line,
// escaped for the single-quoted string.
extern const std::string_view MovieScriptTemplate;

// Replaces the placeholders "%s" of a template, in their order, with the
// values as plain text: a "%" or "%s" in a value goes in unchanged. Raises
// std::invalid_argument when the counts of placeholders and values differ.
std::string FillPlaceholders(std::string_view templateText, std::initializer_list<std::string_view> values);

// Escapes a text for a double-quoted HTML attribute value: & " < > become
// &amp; &quot; &lt; &gt;. Any other byte stays as it is.
std::string EscapeHtmlAttribute(std::string_view text);

// True when every byte is a digit 0-9 or "%"; true for the empty text. Sizes
// failing this are questioned, not refused.
bool IsDigitsOrPercent(std::string_view text);

// Builds the markup of the movie at moviePath with the four options (used
// as given, only HTML-escaped inside the markup), writes the movie's script
// file beside the movie, replacing any file of that name, and returns the
// names and the snippet. Raises FileError(Create) naming the script path when
// the script file cannot be written; an existing file is then left whole.
// Raises ConvertError, writing nothing, when the script path leads to the
// movie itself.
EmbedCodeResult GenerateEmbedCode(std::string_view moviePath, std::string_view width, std::string_view height,
                                  std::string_view name, std::string_view quality,
                                  PathStyle style = NativePathStyle);

}  // namespace sorvane
