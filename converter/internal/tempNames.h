// The names of the temporary files that exist at this moment, so that an
// interrupted run can remove them. Part of the file system layer.
#pragma once

#include <string>
#include <string_view>

namespace sorvane::detail {

// A path as the system's file functions take it: UTF-16 on Windows (see
// SystemPath in systemFilesWin32.cpp), the bytes themselves elsewhere.
#ifdef _WIN32
using SystemString = std::wstring;
#else
using SystemString = std::string;
#endif

// A fresh hidden name for a temporary file: ".sorvane-" + the id of this
// process + "-" + 10 random letters or digits + ".tmp".
std::string TempFileName();

// The id of the process that made a file of that name with TempFileName, or
// 0 for any other name.
long TempFileOwner(std::string_view name);

// Keeps a file name in the list until Forget; at most a few thousand names
// are kept at once (a name that does not fit is not removed on interrupt).
class TempNameEntry {
public:
    TempNameEntry() = default;
    explicit TempNameEntry(const SystemString& path);
    ~TempNameEntry() { Forget(); }
    TempNameEntry(TempNameEntry&& other) noexcept;
    TempNameEntry& operator=(TempNameEntry&& other) noexcept;

    void Forget();

private:
    int slot_ = -1;
};

}  // namespace sorvane::detail
