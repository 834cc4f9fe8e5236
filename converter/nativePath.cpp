#include "nativePath.h"

#ifdef _WIN32
#include "windowsApi.h"
#endif

namespace sorvane {

#ifdef _WIN32
namespace {

// The code page of the byte-string ("A") file functions.
UINT FileCodePage()
{
    return AreFileApisANSI() ? CP_ACP : CP_OEMCP;
}

}  // namespace

std::filesystem::path NativePath(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(FileCodePage(), 0, bytes.data(), size, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(FileCodePage(), 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string PathBytes(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string bytes(static_cast<std::size_t>(
                          WideCharToMultiByte(FileCodePage(), 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
                      '\0');
    WideCharToMultiByte(FileCodePage(), 0, wide.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                        nullptr);
    return bytes;
}
#else
std::filesystem::path NativePath(std::string_view bytes)
{
    return bytes;
}

std::string PathBytes(const std::filesystem::path& path)
{
    return path.native();
}
#endif

}  // namespace sorvane
