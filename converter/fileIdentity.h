// Telling files apart by what they are, not by their names: the identity a
// page search records, so that a run writes only the file it judged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sorvane {

// A file as the file system knows it, whatever name it is reached by: device
// and inode on POSIX, volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what the path names itself: a symbolic link at its end is
// not followed (a link is a file of its own). Nothing when there is no such
// file; raises FileError(Open, path) with the system's reason when it cannot
// be looked at.
std::optional<FileIdentity> FileIdentityOf(const std::string& path);

}  // namespace sorvane
