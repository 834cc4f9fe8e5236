// File names as the converter and its callers hold them: byte strings, UTF-8
// on Windows (elsewhere the system's own bytes, UTF-8 as a rule). Windows
// names files in UTF-16, and its byte-string ("A") functions map a name
// beyond their code page to a look-alike ("Ωmega" to "Omega"), so every name
// goes to the system and comes back from it through the UTF-16 functions,
// converted here. std::filesystem::path holds UTF-16 on Windows, and MinGW's
// C++ library reads a byte string into it in another encoding than UTF-8:
// every path that goes into or comes out of std::filesystem passes through
// NativePath and PathBytes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

std::filesystem::path NativePath(std::string_view bytes);
std::string PathBytes(const std::filesystem::path& path);
// As PathBytes, with '/' between the parts on every system (as a diff names
// files).
std::string GenericPathBytes(const std::filesystem::path& path);

// The path of target below folder ("." for folder itself), or nothing when
// target lies elsewhere. Both are taken as they stand: resolve their links
// first where a link must not lead out of folder.
std::optional<std::filesystem::path> PathBelow(const std::filesystem::path& folder,
                                               const std::filesystem::path& target);

// UTF-8 to UTF-16 and back, for every name Windows allows: an unpaired
// surrogate, which a Windows name may hold though no text does, is carried
// as the three bytes of its code point (the form known as WTF-8), so that it
// names the same file again. A byte that begins no character becomes U+FFFD.
std::u16string Utf16Of(std::string_view utf8);
std::string Utf8Of(std::u16string_view utf16);

// Whether the path starts with "\\" on Windows: a UNC path
// (\\server\share\...) or a device path (\\?\C:\..., \\.\...), which is full
// as it stands, though std::filesystem there sees no root in it and would put
// the current drive in front. Always false elsewhere.
bool HasNetworkOrDeviceRoot(std::string_view path);

}  // namespace sorvane
