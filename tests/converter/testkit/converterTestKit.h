// Helpers for the converter and command-line tests: scratch folders, whole
// file access, a clean module state and the golden page cases.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace sorvane::testkit {

// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full path of a file in the folder, as a byte string, with the
    // system's own separators ("a/b" is "a\\b" on Windows).
    std::string operator/(std::string_view name) const;
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// The same for a file named by a byte string, as the converter names files.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);

// A relative reference as the system's own path style writes it into a page:
// "../js/a.js" stays on Linux and is "..\\js\\a.js" on Windows.
std::string InNativeStyle(std::string_view reference);

// Lines joined, each ending in CR LF.
std::string CrLfLines(std::initializer_list<std::string_view> lines);

#ifdef _WIN32
// True when the tests run under Wine rather than Windows, for the few places
// where the two differ.
bool RunsUnderWine();
#endif

#ifndef _WIN32
// Makes every write beyond `bytes` into a regular file fail, as on a full
// disk, for as long as the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
};

// One entry of a POSIX access ACL: its tag (0x01 the owner, 0x02 a named
// user, 0x04 the group, 0x10 the mask, 0x20 the others), its rwx bits and,
// for a named user, the user's id.
struct AclEntry {
    std::uint16_t tag, permissions;
    std::uint32_t id = 0xffffffff;
};

// The ACL as the system keeps it in the attribute system.posix_acl_access.
std::string AclAttribute(std::initializer_list<AclEntry> entries);
#endif

// One golden case: a folder holding page.htm (the page before), expected.htm
// (the page after its first conversion) and expected.js (the new script file).
struct GoldenCase {
    std::string name;
    std::filesystem::path folder;
};
std::vector<GoldenCase> GoldenCases();
inline void PrintTo(const GoldenCase& goldenCase, std::ostream* out)
{
    *out << goldenCase.name;
}

}  // namespace sorvane::testkit
