// The changes between two texts in the layout of `diff -u`, for
// `sorvane-cli convert --diff`.
#pragma once

#include <string>
#include <string_view>

namespace sorvane::cli {

// "--- OLDLABEL", "+++ NEWLABEL", each followed by a tab as `diff -u` ends a
// name (so that `patch` takes blanks as part of it), then hunks of the
// changed lines with three lines of context, as `diff -u` prints them; ""
// when the texts are equal. Lines end at LF (a CR stays part of its line); a
// last line without LF is marked "\ No newline at end of file". The changes
// are a shortest edit script (Myers' algorithm in linear space). The labels
// go as they are: DiffFileName makes a name fit for them.
std::string UnifiedDiff(std::string_view oldText, std::string_view newText, std::string_view oldLabel,
                        std::string_view newLabel);

// A file name as GNU diff writes it in a header: as it is, or, when it holds
// a quote, a backslash or a control byte (tab, newline, ...), in double
// quotes with those written as C escapes (\", \\, \t, \n, \ooo), which
// `patch` reads back.
std::string DiffFileName(std::string_view name);

}  // namespace sorvane::cli
