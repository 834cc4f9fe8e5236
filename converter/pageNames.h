// Which files are web pages: the patterns of the wizard's page file filter,
// and the names of the backups the converter makes. The wizard's open dialog
// and the command-line tool's search of a folder both read them here, so the
// two front ends take the same files for pages.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// One group of the page file filter: "*.htm;*.html" style patterns.
struct PagePatternGroup {
    std::string_view description;
    std::string_view patterns;
};

inline constexpr std::array<PagePatternGroup, 2> WebPagePatternGroups{{
    {"Webpage Files", "*.htm;*.html;*.shtm;*.shtml"},
    {"Dynamic Pages", "*.php;*.php3;*.php4;*.phtm;*.phtml;*.jsp;*.asp;*.aspx;*.cfm"},
}};

// The groups as open dialog filter pairs: "Webpage Files (*.htm;...)|*.htm;..."
// joined by "|".
std::string WebPageFilter();

// True when the file name ends in the extension of one of the patterns,
// compared without regard to ASCII letter case: sites copied from Windows
// servers often have INDEX.HTM beside index.html.
bool IsWebPageName(std::string_view fileName);

// A file name of the form BackupCandidate makes: the page's file name and the
// backup's number (0 for NAME_backup.EXT, n for NAME_backupn.EXT).
struct BackupOf {
    std::string pageName;
    int number = 0;
};

// The page and number a file name would be the backup of, or nothing when it
// has not that form ("_backup", then nothing or a number without leading
// zeros, right before the extension).
std::optional<BackupOf> ParseBackupName(std::string_view fileName);

}  // namespace sorvane
