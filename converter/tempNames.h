// The names of the temporary files that exist at this moment, so that an
// interrupted run can remove them. Part of the file system layer.
#pragma once

#include <string>

namespace sorvane::detail {

// A fresh hidden name for a temporary file: ".sorvane-" + 10 random letters
// or digits + ".tmp".
std::string TempFileName();

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
