#include "pageNames.h"

#include "unitACConvertor.h"

#include <algorithm>
#include <charconv>

namespace sorvane {
namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

// Calls visit with the extension (".htm") of every pattern of the groups.
template <class Visit>
bool AnyPatternExtension(Visit visit)
{
    for (const PagePatternGroup& group : WebPagePatternGroups) {
        std::string_view rest = group.patterns;
        while (!rest.empty()) {
            const std::size_t end = std::min(rest.find(';'), rest.size());
            if (visit(rest.substr(1, end - 1)))
                return true;  // the pattern without its "*"
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    return false;
}

constexpr std::string_view BackupMark = "_backup";

}  // namespace

std::string WebPageFilter()
{
    std::string filter;
    for (const PagePatternGroup& group : WebPagePatternGroups) {
        if (!filter.empty())
            filter += '|';
        filter.append(group.description).append(" (").append(group.patterns).append(")|").append(group.patterns);
    }
    return filter;
}

bool IsWebPageName(std::string_view fileName)
{
    const std::string extension = ExtensionPart(fileName);
    return !extension.empty() && AnyPatternExtension([&](std::string_view patternExtension) {
        return SameIgnoringAsciiCase(extension, patternExtension);
    });
}

std::optional<BackupOf> ParseBackupName(std::string_view fileName)
{
    const std::string extension = ExtensionPart(fileName);
    const std::string_view base = fileName.substr(0, fileName.size() - extension.size());
    const std::size_t mark = base.rfind(BackupMark);
    if (mark == std::string_view::npos)
        return std::nullopt;
    const std::string_view digits = base.substr(mark + BackupMark.size());
    int number = 0;
    if (!digits.empty()) {
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (digits.front() < '1' || digits.front() > '9' || error != std::errc()
            || end != digits.data() + digits.size())
            return std::nullopt;
    }
    return BackupOf{std::string(base.substr(0, mark)) + extension, number};
}

}  // namespace sorvane
