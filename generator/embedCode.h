// Movie embed code: the <object>/<embed> markup of one Flash movie, the
// script file beside the movie that writes it, and the snippet an author
// pastes into a page. Plain C++ on byte strings and the file system; the
// window pages and the command-line tool both call it.
#pragma once

#include "unitACConvertor.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// What one generation produced. The window fills its two instruction labels
// from scriptName and movieFileName and shows snippet.
struct EmbedCodeResult {
    std::string movieFileName;  // the movie's file name with extension: intro.swf
    std::string scriptName;     // base name of the movie + ".js": intro.js
    std::string scriptPath;     // the movie's folder + scriptName: the file written
    std::string snippet;        // 17 lines joined by CR LF, no final line end; 18 with a player
};

// The markup: 14 lines joined by CR LF, ten "%s" placeholders filled in this
// order: width, height, id, movie, quality, movie, quality, width, height, name.
extern const std::string_view EmbedTemplate;
// The paste snippet: the script name, then the markup.
extern const std::string_view SnippetTemplate;
// The movie's script file: ScriptHeaderText, then the markup on one line
// (FlattenMarkup), escaped for the single-quoted string (EscapeSingleQuoted).
extern const std::string_view MovieScriptTemplate;

// Replaces the placeholders "%s" of a template, in their order, with the
// values as plain text: a "%" or "%s" in a value goes in unchanged. Raises
// std::invalid_argument when the counts of placeholders and values differ.
std::string FillPlaceholders(std::string_view templateText, std::initializer_list<std::string_view> values);

// True when every byte is a digit 0-9 or "%"; true for the empty text. Sizes
// failing this are questioned, not refused.
bool IsDigitsOrPercent(std::string_view text);

// True when nothing is left once the bytes up to 0x20 (blanks and control
// bytes) are trimmed from both ends: what the wizard reads as an empty field.
bool IsEmptyWhenTrimmed(std::string_view text);

// The values of a movie's options that the wizard asks about before it goes
// on and sorvane-cli warns about, in the order they are asked. They are
// questioned, never refused.
enum class DoubtfulValue { BlankWidth, BlankHeight, BlankName, WidthNotDigits, HeightNotDigits };

// The script file that GenerateEmbedCode writes for the movie at moviePath:
// the movie's folder + its base name + ".js".
std::string MovieScriptPath(std::string_view moviePath, PathStyle style = NativePathStyle);

// True when text is what GenerateEmbedCode writes into a script file: the
// header line "// " + ScriptHeaderText, then one document.write statement of
// one single-quoted string, and nothing after it.
bool IsGeneratedMovieScript(std::string_view text);

// True when generating for the movie at moviePath would replace a file that
// holds other script code: a file (not a folder) is at MovieScriptPath, it is
// not empty, and it is not one that GenerateEmbedCode wrote, or it cannot be
// read to tell. Such a file may be a converted page's script, whose functions
// the page needs; callers ask before replacing it.
bool WouldReplaceOtherScript(std::string_view moviePath, PathStyle style = NativePathStyle);

// What GenerateEmbedCode makes the code of. Callers name every field, with
// designated initialisers, so that width and height cannot change places:
//   GenerateEmbedCode({.moviePath = movie, .width = "550", .height = "400", .name = "intro"});
struct EmbedOptions {
    std::string moviePath;
    // The four options, used as given (a blank one too: DoubtfulValues
    // tells which to question first).
    std::string width;  // 550, 100%
    std::string height;
    std::string name;              // the movie's name and id in the page
    std::string quality = "best";  // best, high or low
    PathStyle style = NativePathStyle;
    // A Flash player script for the snippet to load first (see
    // PlayerReference; a local one is referred to from the movie's folder).
    std::optional<std::string> playerSource;
};

// The doubtful values among the options, in that order: a width, height or
// name that IsEmptyWhenTrimmed, and a width or height that is not
// IsDigitsOrPercent.
std::vector<DoubtfulValue> DoubtfulValues(const EmbedOptions& options);

// Builds the markup of the movie at moviePath with the four options (used
// as given, only HTML-escaped inside the markup), writes the movie's script
// file beside the movie, replacing any file of that name, and returns the
// names and the snippet. In the movie's and the script's addresses their
// names go in as EscapeUrlAttribute makes them; the result keeps the plain
// names for the labels people read. Raises FileError(Create) naming the script path when
// the script file cannot be written; an existing file is then left whole.
// With a Flash player script (see PlayerReference; a local one is referred to
// from the movie's folder), the snippet starts with the line that loads it; a
// local player script that does not exist is refused before anything is written.
// Raises ConvertError, writing nothing, when the script path leads to the
// movie itself.
EmbedCodeResult GenerateEmbedCode(const EmbedOptions& options);

}  // namespace sorvane
