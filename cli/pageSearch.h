// Finding the pages of a whole site: every file under a folder whose name is
// a web page's (pageNames.h), in a stable order, leaving out what the tool
// made itself and what the user excludes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::cli {

// What a search found: the pages, each as the folder argument joined with
// its path under that folder, and the folders that could not be read.
struct FoundPages {
    std::vector<std::string> pages;
    std::vector<std::string> errors;  // messages naming the folder and the system's reason
    std::vector<std::string> notes;   // what the user may want to know, such as a folder without pages
};

// The pages under each folder, folder after folder; within one folder in the
// order of their paths compared name by name, byte by byte. Symbolic links to
// folders are not followed. A backup of a page that exists beside it
// (NAME_backup.EXT, NAME_backupN.EXT) is no page; script files (.js) never
// match a page pattern. A page reached twice (two folders given, or a link
// to a page beside the page) is listed once, where it is first found.
// A GLOB of excludes without "/" is matched against the name of every file
// and folder; one with "/" against the path relative to the searched folder
// ("/" between names). An excluded folder is not searched.
FoundPages FindPages(std::span<const std::string> folders, std::span<const std::string> excludes);

// Glob matching: "*" is any run of bytes without "/", "**" any run at all,
// "?" one byte but "/", "[abc]", "[a-z]", "[!abc]" one byte of (or not of) the
// set, "\" makes the next byte literal. The whole text must match.
bool MatchesGlob(std::string_view glob, std::string_view text);

}  // namespace sorvane::cli
