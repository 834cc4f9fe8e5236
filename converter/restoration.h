// Undoing a conversion: a page gets its backup's bytes back, but only while
// the page is still what the conversion made of that backup, so that edits
// made after the conversion are never lost without a word.
//
// The conventions of unitACConvertor.h hold here too: byte strings, errors
// raised as FileError or ConvertError.
#pragma once

#include "unitACConvertor.h"

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// What a conversion wrote into a page: the script file's path as the
// include names it, relative to the page's folder (its src made a path
// again), and the numbers of the functions the page calls, in order.
struct ConversionFound {
    std::string scriptPath;
    std::vector<int> functions;
    bool operator==(const ConversionFound&) const = default;
};

// Whether pageText is exactly what a conversion made of backupText: the
// backup with a script include where the conversion puts it (and a player
// line right after it, when there is one), and each block of the backup
// that a conversion replaces called by a function and kept in a noscript
// element, all else byte for byte the same. Function numbers and the
// include's address may be any. Nothing when it is not.
std::optional<ConversionFound> FindConversion(std::string_view pageText, std::string_view backupText);

// The path a URL attribute value stands for: EscapeUrlAttribute undone
// (&amp; becomes &, %XX the byte XX).
std::string PathOfUrlAttribute(std::string_view attribute);

// Whether the text holds nothing but what conversions write into script
// files: their header lines, function lines and empty lines.
bool IsConversionScript(std::string_view scriptText);

// Script files and the functions of theirs that restored pages called.
using ScriptUses = std::map<std::string, std::set<int>>;

// Of the script files, removes those that conversions alone wrote
// (IsConversionScript), whose every function is one that the restored pages
// called (a function of any other page, converted into the same file, keeps
// it), and that none of the pages left may load: no name in them that ends
// in ".js" is the script's file name (in any letter case, as written or as a
// URL attribute stands for it), whatever its folder. Each is removed under
// the lock of its folder, and only when it is still as it was found; one
// that cannot be read, locked or removed stays. Returns the removed ones.
std::vector<std::string> RemoveUnusedScripts(const ScriptUses& scripts, std::span<const std::string> pagesLeft);

// The n-th name under which restore --force keeps a page it replaces: folder
// + base name + "_edited" + (n == 0 ? "" : decimal n) + extension.
std::string KeptPageCandidate(std::string_view pagePath, int n, PathStyle style = NativePathStyle);

// A page that is no longer what its conversion made of its backup: it was
// edited since, and a restore would lose those edits.
class PageEditedError : public ConvertError {
public:
    PageEditedError(const std::string& pagePath, const std::string& backupPath);
    const std::string& pagePath() const noexcept { return pagePath_; }

private:
    std::string pagePath_;
};

// What became of one page of a RestoreBatch.
struct RestoreOutcome {
    std::string pagePath;
    std::string backupPath;
    // The page had the backup's bytes already: nothing was written.
    bool alreadyRestored = false;
    // Where the page was kept first, when it was not what the conversion made
    // of its backup and keeping edits was asked for; "" when it was not kept.
    std::string keptPath;
    // The script file that the converted page included, as a path from the
    // current folder or a full one, and the functions it called; "" and none
    // when the page was not known as a conversion.
    std::string scriptPath;
    std::vector<int> functions;
    std::exception_ptr error;  // what stopped it: FileError, ConvertError, std::bad_alloc
};

// One page to restore from its backup, and how. Callers name the fields, so
// that the page and its backup cannot change places:
//   batch.Restore({.pagePath = page, .backupPath = backup});
struct RestoreRequest {
    std::string pagePath;
    std::string backupPath;
    // A page that is not what its conversion made of the backup is kept
    // first (see RestoreBatch) and then restored, not refused.
    bool keepEdits = false;
    // As in PageRequest: the identity a folder search saw.
    std::optional<FileIdentity> judged;
};

// Puts back the backups of pages. A backup is used only when it is a
// regular file reached by its own name (no symbolic link) that belongs to
// the page's owner or to the user running the program; otherwise, and when
// the page is not what its conversion made of the backup (see
// FindConversion), the page is left as it is, unless keepEdits: the page
// is then first kept under its first free KeptPageCandidate name. The new
// pages of a group (as PageBatch groups them) reach the disk with one sync
// before they take their names, each replaced at once as a whole, keeping
// the page's owner, bits and attributes; while one group is synced and put
// in place on a thread of its own, the next is read and checked. Each
// outcome goes to onOutcome, on the caller's thread, in the order the pages
// were given, at the latest in Finish.
class RestoreBatch {
public:
    explicit RestoreBatch(std::function<void(const RestoreOutcome&)> onOutcome);
    // Pages not finished are dropped: none of them is replaced.
    ~RestoreBatch();
    RestoreBatch(const RestoreBatch&) = delete;
    RestoreBatch& operator=(const RestoreBatch&) = delete;

    void Restore(const RestoreRequest& request);
    // A page without a backup: left as it is, its outcome (backupPath "")
    // given in its turn.
    void PassOver(const std::string& pagePath);
    void Finish();

    struct Pending;

private:
    void Prepare(Pending& page, const RestoreRequest& request);
    // Hands the pending pages to a thread that syncs and places them, once
    // the group handed over before is done, so that the next group is read
    // and checked meanwhile.
    void StartPlacing();
    // Waits for the group being placed and reports its outcomes.
    void WaitForPlacing();
    // Whether a page not yet in place is the file of that identity.
    bool IsPending(const std::optional<detail::PlaceIdentity>& identity) const;

    std::function<void(const RestoreOutcome&)> onOutcome_;
    std::size_t maxPages_;
    std::vector<std::unique_ptr<Pending>> pending_;
    // The group being placed; only the placing thread changes its pages
    // until it is joined, and their identities never.
    std::vector<std::unique_ptr<Pending>> placing_;
    BackgroundWork placer_;
};

}  // namespace sorvane
