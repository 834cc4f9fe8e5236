#include "converterTestKit.h"

#include "nativePath.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include "windowsApi.h"
#endif

namespace sorvane::testkit {
namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("sorvane-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = fs::canonical(candidate);
            return;
        }
    }
    throw std::runtime_error("no scratch folder could be made");
}

TempFolder::~TempFolder()
{
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

std::string TempFolder::operator/(std::string_view name) const
{
    return PathBytes((path_ / NativePath(name)).make_preferred());
}

std::vector<std::string> TempFolder::Names() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(PathBytes(entry.path().filename()));
    std::ranges::sort(names);
    return names;
}

#ifdef _WIN32
// Opened as a program that lets others replace the file meanwhile: a test
// that reads a page while sorvane-cli works on it must not make the page one
// held open against deletion, which sorvane-cli refuses to replace.
std::string ReadFile(const fs::path& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot read " + path.string());
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    bool read = false;
    while ((read = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    if (!read)
        throw std::runtime_error("cannot read " + path.string());
    return bytes;
}
#else
std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
#endif

void WriteFile(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::string& path)
{
    return ReadFile(NativePath(path));
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    WriteFile(NativePath(path), bytes);
}

std::string InNativeStyle(std::string_view reference)
{
    std::string native(reference);
    if (NativePathStyle == PathStyle::Windows)
        std::ranges::replace(native, '/', '\\');
    return native;
}

std::string CrLfLines(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (const std::string_view line : lines)
        text.append(line).append("\r\n");
    return text;
}

#ifdef _WIN32
bool RunsUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#else
FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0)
        throw std::runtime_error("cannot limit file sizes");
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &previous_);
}

std::string AclAttribute(std::initializer_list<AclEntry> entries)
{
    const std::uint32_t version = 2;
    std::string bytes(reinterpret_cast<const char*>(&version), sizeof version);
    for (const AclEntry& entry : entries)
        bytes.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    return bytes;
}
#endif

std::vector<GoldenCase> GoldenCases()
{
    std::vector<GoldenCase> cases;
    for (const auto& entry : fs::directory_iterator(SORVANE_GOLDEN_DIR))
        if (entry.is_directory())
            cases.push_back({entry.path().filename().string(), entry.path()});
    std::ranges::sort(cases, {}, &GoldenCase::name);
    return cases;
}

}  // namespace sorvane::testkit
