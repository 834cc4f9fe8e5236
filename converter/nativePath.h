// File names as the converter and its callers hold them: byte strings, in the
// form the system's byte-string file functions and a program's arguments use
// (on Windows: the ANSI code page). std::filesystem::path holds UTF-16 on
// Windows, and MinGW's C++ library reads a byte string into it as Latin-1 and
// writes one out as UTF-8, so a name beyond ASCII would come back as other
// bytes and name another file. Every path that goes into or comes out of
// std::filesystem passes through these two.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sorvane {

std::filesystem::path NativePath(std::string_view bytes);
std::string PathBytes(const std::filesystem::path& path);

}  // namespace sorvane
