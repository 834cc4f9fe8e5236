// Page converter: rewrites a web page so that every <object>...</object>
// block is written by a JavaScript function in a script file.
//
// Conventions of this header:
// - Every text is a byte string (std::string / std::string_view). Nothing is
//   decoded or re-encoded; line ends and any byte value pass through as they
//   are. Results are returned by value and owned by the caller; arguments are
//   only read during the call.
// - Paths are byte strings too, in one of two styles (PathStyle). The native
//   style of the build is the default everywhere.
// - Errors are raised, never returned: file errors as FileError with the
//   messages "Cannot open file %s" / "Cannot create file %s", other refusals as
//   ConvertError. Both derive from std::runtime_error.
// - The converter keeps no state of its own: what goes on from page to page
//   (function numbers, function lines) lives in a ConversionRun that the
//   caller owns and passes in. Nothing here is thread-safe: a run belongs to
//   the one thread that converts with it.
#pragma once

#include "backgroundWork.h"
#include "fileIdentity.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

namespace detail {
struct PlaceIdentity;
class FolderLock;
}  // namespace detail

// ---------------------------------------------------------------- errors --

// A refusal of the converter; what() is the message shown to the user.
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that could not be read or written. The file named by path() is left
// as it was. what() is "Cannot open file %s" or "Cannot create file %s";
// reason() the system's words for the cause ("No space left on device"),
// "" when none is known.
class FileError : public ConvertError {
public:
    enum class Kind { Open, Create };
    FileError(Kind kind, std::string path, std::string reason = {});
    Kind kind() const noexcept { return kind_; }
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    Kind kind_;
    std::string path_;
    std::string reason_;
};

// What the user is told when memory runs out (std::bad_alloc), in place of
// the library's own name for it.
inline constexpr std::string_view NotEnoughMemoryText = "There is not enough memory to do this";

// ------------------------------------------------------------------ paths --

// Windows: "\" and ":" separate, drive letters and \\server\share, folder and
// drive names compare without regard to ASCII letter case, relative paths use
// "..\" and "\". Posix: "/" is the only separator, no drive part,
// case-sensitive names, relative paths use "../" and "/".
enum class PathStyle { Windows, Posix };

#ifdef _WIN32
inline constexpr PathStyle NativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle NativePathStyle = PathStyle::Posix;
#endif

// Multi-byte code pages: returns true for a byte that starts a two-byte
// character, whose second byte is then never taken as a separator. File
// names need none: they are UTF-8 on every system (see nativePath.h), where
// no byte of a character beyond ASCII is a separator's.
using LeadByteTest = bool (*)(unsigned char);

// Everything up to and including the last separator ("" if there is none).
std::string FolderPart(std::string_view path, PathStyle style = NativePathStyle, LeadByteTest isLeadByte = nullptr);
// Everything after the last separator.
std::string FileNamePart(std::string_view path, PathStyle style = NativePathStyle, LeadByteTest isLeadByte = nullptr);
// From the last "." of the file name to its end; "" when the file name has no dot.
std::string ExtensionPart(std::string_view path, PathStyle style = NativePathStyle, LeadByteTest isLeadByte = nullptr);
// "E:" for a drive path, "\\server\share" for a UNC path, "\\?\E:" or
// "\\?\UNC\server\share" for a device path ("\\.\" alike), else "" (always
// "" in Posix style).
std::string DrivePart(std::string_view path, PathStyle style = NativePathStyle);
// The file name without its extension: index.htm -> index, .htaccess -> "".
std::string BaseName(std::string_view path, PathStyle style = NativePathStyle, LeadByteTest isLeadByte = nullptr);
// The path of target as seen from the folder of base: "..\" (or "../") for
// each folder of base below the folders both share, then target's own folders
// and its file name. Target unchanged when the drives differ.
std::string RelativePath(std::string_view basePath, std::string_view targetPath, PathStyle style = NativePathStyle,
                         LeadByteTest isLeadByte = nullptr);
// The n-th backup candidate of a page: folder + base name + "_backup" +
// (n == 0 ? "" : decimal n) + extension.
std::string BackupCandidate(std::string_view pagePath, int n, PathStyle style = NativePathStyle);
// The script file of a page, as the wizard and sorvane-cli name it: the
// page's base name with ".js", in scriptFolder, or beside the page when
// scriptFolder is empty. A folder that already ends in a separator (a drive
// root, "/") gets none added.
std::string ScriptPathFor(std::string_view pagePath, std::string_view scriptFolder = {},
                          PathStyle style = NativePathStyle);

// ------------------------------------------------------------- constants --

// "Created by Sorvane. Website: " + the product's home page.
extern const std::string_view ScriptHeaderText;

// -------------------------------------------------------- conversion run --

// What goes on from page to page while pages are converted: the pages of
// one run share function numbers, so a name is never defined twice. The
// wizard holds one for the whole program run (every page it converts
// numbers on from the one before); sorvane-cli one per command; a new run
// starts from nothing.
struct ConversionRun {
    // Blocks registered in the run; the n-th block gets number n.
    int blockCounter = 0;
    // CR LF + function line, for every block registered in the run (with
    // ScriptContent::ThisPage: for those of the page converted last).
    std::string scriptBuffer;
};

// ------------------------------------------------------------- rewriting --

// What one ConvertPage call did; for reports such as the command-line tool's.
struct ConvertReport {
    int blocksConverted = 0;  // blocks of this page that became functions
    std::string scriptPath;   // the script file written
    std::string backupPath;   // the backup made, "" when none was asked for
    // The page had no block to convert and was left as it was: nothing was
    // written for it (see PagesWithoutBlocks).
    bool leftUnchanged = false;
};

// What a conversion does with a page that has no block to convert
// (HasFlashBlocks is false): a page without movies, or one converted
// before, whose blocks all stand in noscript elements now.
enum class PagesWithoutBlocks {
    Convert,        // as any page: the include, the script file, the backup
    LeaveUnchanged  // nothing is written: the report says leftUnchanged
};

// What becomes of the backup of a page whose conversion fails after the
// backup was made (its script file cannot be written, say).
enum class BackupOfFailedPage {
    Keep,   // it stays; one linked to the page becomes a copy of its own
    Remove  // it goes: an unchanged copy of the page would only clutter
};

// Which function lines a page's script file receives.
enum class ScriptContent {
    WholeRun,  // all of the run's scriptBuffer, as ConvertPage does
    ThisPage,  // only the functions of the page's own blocks; numbers still go on
};

// How the pages of a PageBatch (or a ConversionPreview) are treated beyond
// converting them; the defaults are ConvertPage's, the wizard's conversion.
// Callers name the fields they change:
//   PageBatch batch(run, {.content = ScriptContent::ThisPage}, onOutcome);
struct BatchRules {
    ScriptContent content = ScriptContent::WholeRun;
    PagesWithoutBlocks withoutBlocks = PagesWithoutBlocks::Convert;
    BackupOfFailedPage failedPageBackup = BackupOfFailedPage::Keep;
};

// One page to convert (or preview), and how. Callers name the fields:
//   ConvertPage(run, {.pagePath = page, .scriptPath = ScriptPathFor(page)});
// An option of a conversion that a front end offers is a field here, read
// where the page is prepared (PageBatch::Prepare, ConversionPreview::Preview).
struct PageRequest {
    std::string pagePath;
    std::string scriptPath;
    // Copy the page to its first free backup name first (BackupPage).
    bool backup = true;
    // A Flash player script for the page to load (see PlayerReference).
    std::optional<std::string> playerSource;
    // For a page found by a search of its folder, the identity the search saw
    // (FileIdentityOf): when the file read under the page's name is another
    // (the page was replaced by a link or another file since), the page fails
    // and nothing of it is written.
    std::optional<FileIdentity> judged;
    // For a page found by a search of a folder, that folder (its real path):
    // a script file within it that is a symbolic link leading out of it is
    // never written through; the page fails and nothing of it is written.
    std::optional<std::string> searchedFolder;
};

// Converts the page file at pagePath in place and appends the whole of
// run.scriptBuffer to the script file at scriptPath; backs the page up first
// when backup is set. Writes happen in the order backup, script file, page.
// Raises FileError or ConvertError and stops at once: the page is written
// last, so it changes only when everything else succeeded. Refused before
// anything is written: a script path that leads to the page itself, a page
// that is no text in an 8-bit encoding (a UTF-16 byte-order mark, a NUL
// byte), a page that cannot be replaced (its new file is made before the
// backup and the script), and a page that another program changes meanwhile
// (checked again just before the page is replaced). The script file's folder
// is locked against other conversions from the script's read to its write.
// An existing script file is read before the scan; run.blockCounter is raised
// past every function number it names, and lines of run.scriptBuffer that would
// define one of its names with other markup are not written to it.
// With a Flash player script (see PlayerReference), the page also loads the
// player, in a line right after the include of its script file, unless it
// loads that player already; a local player script that does not exist is
// refused before anything is written.
// Line ends follow the files: the include, calls and noscript elements, and
// a new script file, end their lines with LF on a page whose line ends are
// LF alone (no CR anywhere), else with CR LF; an existing script file gets
// the line end its first line has.
ConvertReport ConvertPage(ConversionRun& run, const PageRequest& request);

// What ConvertPage would do to one page, computed without writing anything.
struct PagePreview {
    ConvertReport report;       // backupPath: the name the backup would take
    bool scriptExists = false;  // the script file would be replaced, not created
    // When texts are kept: the page before and after, the script file before
    // (nothing when it does not exist yet) and after.
    std::string oldPage, newPage;
    std::optional<std::string> oldScript;
    std::string newScript;
};

// Previews the pages of one run in order, as ConvertPage converts them: the
// same checks and errors, the same function numbers (the run's counter and
// buffer go on as in a conversion), and each page sees the script files
// that the pages before it would have written. Nothing is written.
class ConversionPreview {
public:
    struct Options {
        // As in the PageBatch of the conversion (failedPageBackup has no
        // effect: nothing is written).
        BatchRules rules;
        // Fill in the texts of the pages and script files (a diff needs
        // them; a report of what would change does not, and a long run
        // without them costs little more than reading the pages).
        bool keepTexts = false;
    };

    ConversionPreview(ConversionRun& run, const Options& options) : run_(run), options_(options) {}

    PagePreview Preview(const PageRequest& request);

    // The local player script that the run copies into the site before its
    // first page (see PlayerCopy): pages may load it before it exists.
    void PlayerCopiedTo(std::string playerScript) { newPlayerScript_ = std::move(playerScript); }

private:
    bool IsReservedName(const std::string& name, const std::string& scriptPath) const;

    ConversionRun& run_;
    Options options_;
    // Every script file a page before would have written, with its new text
    // when texts are kept.
    std::map<std::string, std::string> scripts_;
    // Those of them that do not exist yet, by file name.
    std::multimap<std::string, std::string> newScripts_;
    std::string newPlayerScript_;
};

// What became of one page of a PageBatch.
struct PageOutcome {
    std::string pagePath;
    ConvertReport report;      // what was done, when error is null
    std::exception_ptr error;  // what stopped it: FileError, ConvertError, std::bad_alloc
};

// Converts pages one after the other as ConvertPage does, each in the same
// order of writes, but lets the new files of many pages (up to 256, as open
// files and 64 MiB of new pages held in memory allow) reach the disk together
// before they are put in place: one sync of the disk instead of one per file.
// While one such group of pages is written out, synced and put in place on a
// thread of its own, the next group is prepared. Each page's outcome goes to
// onOutcome, on the caller's thread, in the order the pages were given, once
// its files are in place, at the latest in Finish. A page whose files another
// page not yet in place is about to write, or whose script folder another
// program has locked, first makes the batch finish what it holds.
class PageBatch {
public:
    PageBatch(ConversionRun& run, const BatchRules& rules, std::function<void(const PageOutcome&)> onOutcome);
    // Pages not finished are dropped: none of their files is put in place
    // (a group already being put in place is completed first).
    ~PageBatch();
    PageBatch(const PageBatch&) = delete;
    PageBatch& operator=(const PageBatch&) = delete;

    void Convert(const PageRequest& request);
    void Finish();

    // A page between its preparation and the placing of its files.
    struct Pending;

private:
    void Prepare(Pending& page, const PageRequest& request);
    // The lock of the script's folder, shared by the pages of the batch that
    // write scripts there; taken without waiting while pages are pending.
    // Raises FileError(Create, scriptPath) when the lock cannot be had.
    std::shared_ptr<detail::FolderLock> ScriptLock(const std::string& scriptPath, const std::string& scriptTarget);
    // Hands the pending pages to a thread that syncs and places their files,
    // once the group handed over before is done.
    void StartPlacing();
    // Waits for the group being placed and reports its outcomes.
    void WaitForPlacing();
    // Whether a page not yet in place is about to write the file of that
    // identity.
    bool IsPending(const std::optional<detail::PlaceIdentity>& identity) const;
    // Whether a backup of page may not take the name, which names nothing
    // yet: a script file about to be written has it.
    bool IsReservedName(const std::string& name, const Pending& page) const;

    ConversionRun& run_;
    BatchRules rules_;
    std::function<void(const PageOutcome&)> onOutcome_;
    std::size_t maxPages_;
    std::vector<std::unique_ptr<Pending>> pending_;
    std::size_t pendingBytes_ = 0;  // of new pages not yet written out
    // The group being placed; only the placing thread changes its pages
    // until it is joined, and the identities of the pages never.
    std::vector<std::unique_ptr<Pending>> placing_;
    BackgroundWork placer_;
    std::map<std::string, std::weak_ptr<detail::FolderLock>> folderLocks_;
};

// Registers one block in the run: raises its blockCounter, appends the
// block's function line to its scriptBuffer, and returns the markup that
// replaces the block in the page.
// The block goes into the function line flattened and escaped for
// document.write('...').
std::string RegisterFlashBlock(ConversionRun& run, std::string_view block);

// Scans a page text and returns it with every <object>...</object> block that
// stands neither inside a noscript element nor in the raw text of a script,
// style, textarea, title or xmp element registered in the run and replaced.
// Only markup counts, as a browser reads it: an "<object" or "</object>"
// inside another tag's quoted attribute value is text. Function lines of a page that
// declares a double-byte encoding keep its characters whole (see
// DeclaredLeadByteTest in the sources). The markup added ends its lines as
// the page does (see ConvertPage).
std::string RewriteBlocks(ConversionRun& run, std::string_view pageText);

// True when the page has a block that RewriteBlocks would replace. A page
// without one has nothing to convert: converting it would only add a
// comment-only script file and its include, so the front ends leave it
// alone and write nothing (a page converted before is such a page).
bool HasFlashBlocks(std::string_view pageText);

// The markup on one line, reading the same to a browser: leading and trailing
// bytes <= 0x20 are trimmed; the bytes of a quoted attribute value stay as
// they are, line ends included; elsewhere CR and LF become blanks and a run
// of k blanks becomes k mod 2 blanks, but a run that would vanish keeps one
// blank unless it follows ">" or a quote or comes before "<". The text of a
// script element (from its start tag's ">" to "</script") stays as it is.
std::string FlattenMarkup(std::string_view markup);

// Escapes text for a single-quoted JavaScript string: "\" -> "\\", "'" -> "\'",
// CR -> "\r", LF -> "\n".
std::string EscapeSingleQuoted(std::string_view text);

// Escapes a text for a double-quoted HTML attribute value: & " < > become
// &amp; &quot; &lt; &gt;. Any other byte stays as it is.
std::string EscapeHtmlAttribute(std::string_view text);

// A path made safe as a URL in a double-quoted attribute (a script's src, a
// movie's address): % # ? " < >, bytes below 0x20 and 0x7F, and in POSIX
// style "\", become %XX; then & becomes &amp;. Other paths stay byte-exact.
std::string EscapeUrlAttribute(std::string_view path, PathStyle style = NativePathStyle);

// The page text with the script include inserted (before </head>, after
// <head>, before <body, after <html>, or at the start, behind a UTF-8
// byte-order mark; before the first base element when that comes earlier).
// Only tags count: not those in comments, in the text of script, style,
// textarea, title or xmp elements, or in another tag's quoted value.
std::string InsertScriptInclude(std::string_view pageText, std::string_view scriptReference);

// --------------------------------------------------------- Flash player --
//
// A Flash player script, such as a self-hosted copy of the Ruffle emulator,
// replaces the movie elements of a page with a player in browsers that have
// no Flash plug-in. It is given as a web address (http://, https:// or //...,
// in any letter case) or as the path of a local script file.

bool IsWebAddress(std::string_view playerSource);

// Raises ConvertError when the source is empty or names no local file.
void RequirePlayerScript(std::string_view playerSource);

// The player's src as written in the page at pagePath (or in any page of its
// folder): a web address as given, HTML-escaped (EscapeHtmlAttribute); a local
// script's path relative to the page, made safe as a URL (EscapeUrlAttribute).
// Raises as RequirePlayerScript does.
std::string PlayerReference(std::string_view playerSource, std::string_view pagePath,
                            PathStyle style = NativePathStyle);

// <script src="REFERENCE"></script>, then the line end (a converted page's
// own, see ConvertPage).
std::string PlayerIncludeLine(std::string_view playerReference, std::string_view lineEnd = "\r\n");

// True when a script element of the page loads the reference (tag and
// attribute names in any letter case): its src is the same address once
// both are read as a browser reads them (character references, %XX escapes,
// "\" for "/", "." and ".." segments), relative ones from the folder of the
// page at pagePath ("" compares them as they stand). Only markup counts: not
// a script tag in a comment, in raw text or in another tag's value.
bool LoadsScript(std::string_view pageText, std::string_view reference, std::string_view pagePath = {});

// --------------------------------------------------------------- files --

// The whole file as bytes. Raises FileError(Open) when it cannot be opened or
// read completely.
std::string LoadTextFile(const std::string& path);

// Replaces the file's content with text atomically: writes a new file beside
// it and renames it over the target, keeping the target's permissions and
// following a symbolic link to its target. On any failure the old file is
// whole and FileError(Create) is raised. A file the user may not write, a
// folder or a device is never replaced.
void SaveTextFile(std::string_view text, const std::string& path);

// Appends header + function lines + header to the script file (creating it).
// Function lines that would define a name of the existing file a second time
// with other markup are left out.
void WriteScriptFile(std::string_view functionLines, const std::string& scriptPath);

// Copies the page to its first free backup name and returns that name.
// Raises FileError(Create) naming the backup when the copy fails.
std::string BackupPage(const std::string& pagePath);

// True when both paths lead to one file once their links are followed, by
// the file's identity (device and inode, or the file index on Windows); for
// a file not yet made, by its folder's identity and its name.
bool SameFile(const std::string& first, const std::string& second);

// Sets what is called, with the folder, when a program has waited a second
// for the lock of a script folder that another program holds (it then goes
// on waiting); nothing is called by default.
void NoticeLongLockWaits(std::function<void(const std::string& folder)> notice);

// Makes an interrupted program (SIGINT, SIGTERM, SIGHUP) remove the
// temporary files of the writes it had begun; the programs call it at start.
void RemoveTempFilesOnInterrupt();

}  // namespace sorvane
