// The parts of the file system layer that are the same on every system.
#include "systemFiles.h"

namespace sorvane::detail {

std::string OwnReasonText(SystemError error)
{
    switch (error) {
    case NotRegularFile: return "Not a regular file";
    case ChangedWhileRead: return "The file changed while it was read";
    case NoHardLinks: return "Hard links are not used here";
    case IsSymbolicLink: return "It is a symbolic link";
    default: return "Error " + std::to_string(error);
    }
}

namespace {

std::function<void()>& BeforeNamingHook()
{
    static std::function<void()> beforeNaming;
    return beforeNaming;
}

}  // namespace

void SetBeforeNamingHook(std::function<void()> hook)
{
    BeforeNamingHook() = std::move(hook);
}

void RunBeforeNamingHook()
{
    if (BeforeNamingHook())
        BeforeNamingHook()();
}

SystemError InputFile::ReadAll(char* into, std::size_t size)
{
    const SystemError error = ReadNext(into, size);
    return error ? error : ReadEnd();
}

bool SameContentStamp(const FileStamp& a, const FileStamp& b)
{
    return a.identity == b.identity && a.size == b.size && a.modified == b.modified;
}

}  // namespace sorvane::detail
