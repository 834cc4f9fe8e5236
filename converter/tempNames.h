// The names of the temporary files that exist at this moment, so that an
// interrupted run can remove them. Part of the file system layer.
#pragma once

#include <string>
#include <string_view>

namespace sorvane::detail {

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
    explicit TempNameEntry(const std::string& path);
    ~TempNameEntry() { Forget(); }
    TempNameEntry(TempNameEntry&& other) noexcept;
    TempNameEntry& operator=(TempNameEntry&& other) noexcept;

    void Forget();

private:
    int slot_ = -1;
};

}  // namespace sorvane::detail
