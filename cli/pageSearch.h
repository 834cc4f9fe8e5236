// Finding the pages of a whole site: every file under a folder whose name is
// a web page's (pageNames.h), in a stable order, leaving out what the tool
// made itself and what the user excludes.
#pragma once

#include "fileIdentity.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::cli {

// A file with a page's name that is no page to write, and why.
struct SkippedFile {
    std::string path;
    std::string reason;
};

// What a search found: the pages, each as the folder argument joined with
// its path under that folder, and the identity of the file each was when it
// was judged a page (nothing for a page given by name); the folders and files
// that could not be read; the links with a page's name, which are never
// pages.
struct FoundPages {
    std::vector<std::string> pages;
    std::vector<std::optional<FileIdentity>> identities;  // one per page
    // One per page: the real path of the folder whose search found it
    // (nothing for a page named itself).
    std::vector<std::optional<std::string>> searchedFolders;
    std::vector<std::string> errors;  // messages naming the file and the system's reason
    std::vector<std::string> notes;   // what the user may want to know, such as a folder without pages
    std::vector<SkippedFile> skipped;
};

// The pages under each folder, folder after folder; within one folder in the
// order of their paths compared name by name, byte by byte. Only regular
// files are pages. Symbolic links to folders are not followed, and a symbolic
// link with a page's name is skipped, as writing through it could change a
// file out of the folder: a link to a page of the tree leaves that page to
// be converted under its own name, a link out of the folder (by its real
// path) or to any other file is passed over. A backup of a page that exists
// beside it (NAME_backup.EXT, NAME_backupN.EXT) is no page; script files
// (.js) never match a page pattern. Each folder is searched on its own, as
// pages given twice are converted twice. A tree of any depth is searched;
// what lies deeper than the system's longest path cannot be read and is an
// error ("File name too long").
// A GLOB of excludes without "/" is matched against the name of every file
// and folder; one with "/" against the path relative to the searched folder
// ("/" between names). An excluded folder is not searched. The reason given
// for a link to a page of the tree says what the run does to that page:
// donePages, such as "converted".
FoundPages FindPages(std::span<const std::string> folders, std::span<const std::string> excludes,
                     std::string_view donePages = "converted");

// Glob matching: "*" is any run of bytes without "/", "**" any run at all,
// "?" one byte but "/", "[abc]", "[a-z]", "[!abc]" one byte of (or not of) the
// set, "\" makes the next byte literal. The whole text must match.
bool MatchesGlob(std::string_view glob, std::string_view text);

}  // namespace sorvane::cli
