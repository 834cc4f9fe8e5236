// JSON text for the tool's --json reports.
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sorvane::cli {

// The bytes as a JSON string, quotes included. Valid UTF-8 passes as it is
// (", \ and control characters escaped); every byte that is not part of a
// valid UTF-8 sequence becomes the escape \udcXX, XX being its value. That
// is the lone low surrogate of Python's "surrogateescape": the JSON stays
// valid, and os.fsencode() of the decoded string gives the original bytes
// back, so a file name that is not UTF-8 still names its file.
std::string JsonString(std::string_view bytes);

// One member of a report object: a string, a number or boolean (bare: given
// as its JSON text, such as 12 or true), or null when value is empty.
struct JsonMember {
    std::string_view name;
    std::optional<std::string> value;
    bool bare = false;
};

// The members as one JSON object on one line, newline included.
std::string JsonObjectLine(std::span<const JsonMember> members);
std::string JsonObjectLine(std::initializer_list<JsonMember> members);

}  // namespace sorvane::cli
