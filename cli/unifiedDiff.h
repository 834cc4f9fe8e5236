// The changes between two texts in the layout of `diff -u`, for
// `sorvane-cli convert --diff`.
#pragma once

#include <string>
#include <string_view>

namespace sorvane::cli {

// "--- OLDLABEL", "+++ NEWLABEL", then hunks of the changed lines with three
// lines of context, as `diff -u --label OLDLABEL --label NEWLABEL` prints
// them; "" when the texts are equal. Lines end at LF (a CR stays part of
// its line); a last line without LF is marked "\ No newline at end of file".
// The changes are a shortest edit script (Myers' algorithm in linear space).
std::string UnifiedDiff(std::string_view oldText, std::string_view newText, std::string_view oldLabel,
                        std::string_view newLabel);

}  // namespace sorvane::cli
