// Splitting paths into folder, file name, extension and drive, and the
// relative path from a page to its script file, in Windows and POSIX style.
#include "restoration.h"
#include "textSearch.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <vector>

namespace sorvane {
namespace {

bool IsSeparator(unsigned char c, PathStyle style)
{
    return style == PathStyle::Windows ? (c == '\\' || c == ':') : c == '/';
}

char FolderSeparator(PathStyle style)
{
    return style == PathStyle::Windows ? '\\' : '/';
}

// Index just past the last byte that `matches`; 0 when there is none. The
// byte after a lead byte belongs to the same character and is never tested.
template <class Predicate>
std::size_t EndOfLast(std::string_view path, LeadByteTest isLeadByte, Predicate matches)
{
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (isLeadByte && isLeadByte(c)) {
            ++i;
            continue;
        }
        if (matches(c))
            end = i + 1;
    }
    return end;
}

std::size_t FileNameStart(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    return EndOfLast(path, isLeadByte, [style](unsigned char c) { return IsSeparator(c, style); });
}

// Offset of the extension's dot, or path.size() when the file name has none.
std::size_t ExtensionStart(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    const std::size_t end = EndOfLast(path, isLeadByte,
                                      [style](unsigned char c) { return c == '.' || IsSeparator(c, style); });
    return end > 0 && path[end - 1] == '.' ? end - 1 : path.size();
}

bool SameName(std::string_view a, std::string_view b, PathStyle style)
{
    if (style == PathStyle::Posix)
        return a == b;
    return std::ranges::equal(a, b, [](char x, char y) { return detail::LowerAscii(x) == detail::LowerAscii(y); });
}

// The texts between the separators of `text`, in order.
std::vector<std::string_view> SplitAt(std::string_view text, char separator, LeadByteTest isLeadByte)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isLeadByte && isLeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(std::min(start, text.size())));
    return parts;
}

// The folder names of the path's folder part, drive left out. Windows keeps
// the names between two backslashes, empty ones included. POSIX keeps every
// component that names a folder: "a//b/./c" is a, b, c, and a relative
// folder's first component counts too.
std::vector<std::string_view> FolderNames(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    std::string_view folder = path.substr(0, FileNameStart(path, style, isLeadByte));
    folder.remove_prefix(std::min(DrivePart(path, style).size(), folder.size()));
    std::vector<std::string_view> parts = SplitAt(folder, FolderSeparator(style), isLeadByte);
    if (style == PathStyle::Windows) {
        if (parts.size() < 2)
            return {};
        return {parts.begin() + 1, parts.end() - 1};
    }
    std::erase_if(parts, [](std::string_view part) { return part.empty() || part == "."; });
    return parts;
}

}  // namespace

std::string FolderPart(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    return std::string(path.substr(0, FileNameStart(path, style, isLeadByte)));
}

std::string FileNamePart(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    return std::string(path.substr(FileNameStart(path, style, isLeadByte)));
}

std::string ExtensionPart(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    return std::string(path.substr(ExtensionStart(path, style, isLeadByte)));
}

std::string DrivePart(std::string_view path, PathStyle style)
{
    if (style == PathStyle::Posix)
        return {};
    if (path.size() >= 2 && path[1] == ':')
        return std::string(path.substr(0, 2));
    if (!path.starts_with("\\\\"))
        return {};
    // The names after "\\" that make the root: two in \\server\share and in
    // a device path's \\?\C: or \\.\C:, four in \\?\UNC\server\share.
    const bool deviceUnc = path.size() >= 8 && (path[2] == '?' || path[2] == '.') && path[3] == '\\'
                           && SameName(path.substr(4, 4), "UNC\\", style);
    std::size_t end = 1;
    for (int names = deviceUnc ? 4 : 2; names > 0 && end != std::string_view::npos; --names)
        end = path.find('\\', end + 1);
    return std::string(path.substr(0, end));
}

std::string BaseName(std::string_view path, PathStyle style, LeadByteTest isLeadByte)
{
    const std::size_t start = FileNameStart(path, style, isLeadByte);
    return std::string(path.substr(start, ExtensionStart(path, style, isLeadByte) - start));
}

std::string RelativePath(std::string_view basePath, std::string_view targetPath, PathStyle style,
                         LeadByteTest isLeadByte)
{
    if (!SameName(DrivePart(basePath, style), DrivePart(targetPath, style), style))
        return std::string(targetPath);
    const auto baseNames = FolderNames(basePath, style, isLeadByte);
    const auto targetNames = FolderNames(targetPath, style, isLeadByte);
    std::size_t common = 0;
    while (common < baseNames.size() && common < targetNames.size()
           && SameName(baseNames[common], targetNames[common], style))
        ++common;

    const char separator = FolderSeparator(style);
    std::string result;
    for (std::size_t i = common; i < baseNames.size(); ++i)
        result.append("..").push_back(separator);
    for (std::size_t i = common; i < targetNames.size(); ++i)
        result.append(targetNames[i]).push_back(separator);
    return result + FileNamePart(targetPath, style, isLeadByte);
}

namespace {

// folder + base name + mark + (n == 0 ? "" : decimal n) + extension.
std::string NumberedSibling(std::string_view pagePath, std::string_view mark, int n, PathStyle style)
{
    return FolderPart(pagePath, style) + BaseName(pagePath, style) + std::string(mark)
           + (n == 0 ? std::string() : std::to_string(n)) + ExtensionPart(pagePath, style);
}

}  // namespace

std::string BackupCandidate(std::string_view pagePath, int n, PathStyle style)
{
    return NumberedSibling(pagePath, "_backup", n, style);
}

std::string KeptPageCandidate(std::string_view pagePath, int n, PathStyle style)
{
    return NumberedSibling(pagePath, "_edited", n, style);
}

std::string ScriptPathFor(std::string_view pagePath, std::string_view scriptFolder, PathStyle style)
{
    std::string folder = scriptFolder.empty() ? FolderPart(pagePath, style) : std::string(scriptFolder);
    if (FolderPart(folder, style) != folder)
        folder.push_back(FolderSeparator(style));
    return folder + BaseName(pagePath, style) + ".js";
}

}  // namespace sorvane
