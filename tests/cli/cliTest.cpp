#include "cliFixture.h"
#include "converterInternals.h"
#include "converterTestKit.h"
#include "embedCode.h"
#include "movieWriter.h"
#include "namedRow.h"
#include "systemFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include "windowsApi.h"
#endif

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testkit::ReadFile;
using testkit::WriteFile;

// The system's own codes behind the reasons that messages end with.
#ifdef _WIN32
constexpr detail::SystemError FileNotFound = ERROR_FILE_NOT_FOUND;
constexpr detail::SystemError FolderInTheWay = ERROR_ACCESS_DENIED;
#else
constexpr detail::SystemError FileNotFound = ENOENT;
constexpr detail::SystemError FolderInTheWay = EISDIR;
#endif

#ifndef _WIN32
// Longer than a file system allows for one name.
const std::string LongName(300, 'n');

std::string ShellQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// For what only a POSIX shell gives: limits, a closed or full standard
// output.
class CliShellTest : public CliTest {
protected:
    // Runs sorvane-cli with the arguments, in the scratch folder, after the
    // shell commands in setUp (limits such as ulimit), with standard output
    // going where stdoutTo says (a file read back as out by default).
    Outcome RunInShell(const std::vector<std::string_view>& arguments, std::string_view setUp = "",
                       std::string stdoutTo = "")
    {
        if (stdoutTo.empty())
            stdoutTo = ">" + ShellQuoted(output / "out");
        WriteFile(output.path() / "out", "");
        std::string command = "cd " + ShellQuoted(folder.path().string()) + " && " + std::string(setUp) + " "
                              + "timeout 60 " + ShellQuoted(SORVANE_CLI);
        for (const std::string_view argument : arguments)
            command.append(" ").append(ShellQuoted(argument));
        command += " " + stdoutTo + " 2>" + ShellQuoted(output / "err");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(output.path() / "out"),
                ReadFile(output.path() / "err")};
    }
};

#endif

#ifndef _WIN32
// sorvane-cli's arguments as another user than root would run it: root's
// right to read and write any file is taken from it (on Linux, without its
// capabilities); other users run it as it is.
std::pair<std::string, std::vector<std::string_view>> AsPlainUser(std::vector<std::string_view> arguments)
{
    if (::geteuid() != 0)
        return {SORVANE_CLI, std::move(arguments)};
    arguments.insert(arguments.begin(), {"--bounding-set=-dac_override,-dac_read_search", "--", SORVANE_CLI});
    return {"/usr/bin/setpriv", std::move(arguments)};
}
#endif

// The markup of the function a converted page calls, as its script file
// defines it; "" when the page calls none or the script lacks it (or has
// it twice).
std::string MovieShownBy(const std::string& page, const std::string& script)
{
    std::smatch call;
    const std::string pageText = ReadFile(page);
    if (!std::regex_search(pageText, call, std::regex(R"( (displaySWF_\d+)\(\); )")))
        return "";
    const std::string scriptText = ReadFile(script);
    const std::regex definition("function " + call[1].str() + R"(\(\) \{ document.write\('([^']*)'\); \})");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(scriptText.begin(), scriptText.end(), definition); it != std::sregex_iterator();
         ++it)
        found.push_back((*it)[1].str());
    return found.size() == 1 ? found.front() : "";
}

// Whether the file holds text, for a test that polls a file another program
// is replacing: a read that meets the file in the moment it is swapped fails
// (on Windows it cannot be opened then), and counts as "not yet".
bool ShowsYet(const std::string& path, std::string_view text)
{
    try {
        return ReadFile(path).find(text) != std::string::npos;
    } catch (const std::exception&) {
        return false;
    }
}

// Holds the lock of a script file, as another program converting into it
// would, until LetGo: the sorvane-cli runs of a test are other processes.
// Declare the runs that wait for it before it, so that it is let go before
// they are waited for, also when a test ends early.
class ScriptLockHolder {
public:
    explicit ScriptLockHolder(const std::string& scriptPath)
    {
        if (detail::LockScript(lock_.emplace(), scriptPath, true))
            throw std::runtime_error("cannot lock");
    }
    void LetGo() { lock_.reset(); }

private:
    std::optional<detail::FolderLock> lock_;
};

// ------------------------------------------------------------- golden pages --

class CliGoldenPage : public CliTest, public ::testing::WithParamInterface<testkit::GoldenCase> {};

// The tool leaves a page without blocks (one converted before) as it is.
TEST_P(CliGoldenPage, ConvertsToTheExpectedPageAndScript)
{
    const std::string page = ReadFile(GetParam().folder / "page.htm");
    fs::copy_file(GetParam().folder / "page.htm", folder.path() / "page.htm");
    const Outcome outcome = Run({"convert", "--no-backup", "page.htm"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    if (!HasFlashBlocks(page)) {
        EXPECT_EQ(ReadFile(folder / "page.htm"), page);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
        return;
    }
    EXPECT_EQ(ReadFile(folder / "page.htm"), ReadFile(GetParam().folder / "expected.htm"));
    EXPECT_EQ(ReadFile(folder / "page.js"), ReadFile(GetParam().folder / "expected.js"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"page.htm", "page.js"}));
}

INSTANTIATE_TEST_SUITE_P(Golden, CliGoldenPage, ::testing::ValuesIn(testkit::GoldenCases()), [](const auto& info) {
    std::string name = info.param.name;
    std::erase(name, '-');
    return name;
});

// ------------------------------------------------------------------ convert --

#ifndef _WIN32  // links, FIFOs
TEST_F(CliTest, PagesOfOneCallNumberOnAndEachScriptGetsOnlyItsPagesFunctions)
{
    WriteFile(folder / "a.htm", "<object>1</object><object>2</object>");
    WriteFile(folder / "b.htm", "<object>3</object>");

    const Outcome outcome = Run({"convert", "a.htm", "b.htm"});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, folder / "a.htm" + ": 2 blocks converted; script " + folder / "a.js" + "; backup "
                               + folder / "a_backup.htm" + "\n" + folder / "b.htm" + ": 1 block converted; script "
                               + folder / "b.js" + "; backup " + folder / "b_backup.htm" + "\n");
    const std::string header = "\r\n// " + std::string(ScriptHeaderText) + "\r\n";
    EXPECT_EQ(ReadFile(folder / "b.js"),
              header + "\r\nfunction displaySWF_3() { document.write('<object>3</object>'); }\r\n" + header);
    const std::string aScript = ReadFile(folder / "a.js");
    for (const char* name : {"displaySWF_1()", "displaySWF_2()"})
        EXPECT_NE(aScript.find(name), std::string::npos) << name;
    EXPECT_EQ(ReadFile(folder / "b_backup.htm"), "<object>3</object>");
}

// Pages with one base name write one script file: it keeps what it held and
// gains each page's functions once, in page order.
TEST_F(CliTest, PagesSharingAScriptFileEachAddTheirOwnFunctions)
{
    for (const char* name : {"a", "b", "js"})
        fs::create_directory(folder.path() / name);
    WriteFile(folder / "a/index.htm", "<object>movie-a</object>");
    WriteFile(folder / "b/index.htm", "<object>movie-b</object>");
    WriteFile(folder / "js/index.js", "// kept\r\n");

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "js", "a/index.htm", "b/index.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string script = ReadFile(folder / "js/index.js");
    EXPECT_TRUE(script.starts_with("// kept\r\n"));
    EXPECT_EQ(MovieShownBy(folder / "a/index.htm", folder / "js/index.js"), "<object>movie-a</object>");
    EXPECT_EQ(MovieShownBy(folder / "b/index.htm", folder / "js/index.js"), "<object>movie-b</object>");
    EXPECT_LT(script.find("displaySWF_1()"), script.find("displaySWF_2()"));
}

// The second conversion finds the page converted: nothing left to convert.
TEST_F(CliTest, SamePageTwiceInOneCallIsLeftAloneTheSecondTime)
{
    WriteFile(folder / "a.htm", "<head></head><object>1</object>");
    const Outcome outcome = Run({"convert", "a.htm", "a.htm"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.ends_with("\n" + folder / "a.htm" + ": no blocks; left unchanged\n")) << outcome.out;
    const std::string page = ReadFile(folder / "a.htm");
    const std::string include = "src=\"a.js\"";
    EXPECT_EQ(page.find(include, page.find(include) + 1), std::string::npos) << "one include: " << page;
    EXPECT_NE(page.find("displaySWF_1();"), std::string::npos);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.htm", "a.js", "a_backup.htm"}));
}

// "link/../p.htm" is p.htm beside the folder the link leads to, as for the
// shell and every other program.
TEST_F(CliTest, ParentOfALinkedFolderIsTheLinkTargetsParent)
{
    fs::create_directories(folder.path() / "real/sub");
    fs::create_symlink("real/sub", folder.path() / "link");
    WriteFile(folder / "real/p.htm", "<object>meant</object>");
    WriteFile(folder / "p.htm", "<object>other</object>");

    const Outcome outcome = Run({"convert", "--no-backup", "link/../p.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFile(folder / "p.htm"), "<object>other</object>");
    EXPECT_EQ(MovieShownBy(folder / "real/p.htm", folder / "real/p.js"), "<object>meant</object>");
    EXPECT_TRUE(outcome.out.starts_with(folder / "real/p.htm" + ": 1 block converted")) << outcome.out;
}

// Special files are refused at once: opening a FIFO would wait for a writer
// for ever.
struct SpecialFileRow : testkit::NamedRow {
    std::string page, fifo, message;
};

class CliSpecialFile : public CliTest, public ::testing::WithParamInterface<SpecialFileRow> {};

TEST_P(CliSpecialFile, IsRefusedWithoutWaiting)
{
    WriteFile(folder / "p.htm", "<object>p</object>");
    ASSERT_EQ(::mkfifo((folder / GetParam().fifo).c_str(), 0600), 0);
    const Outcome outcome = Run({"convert", GetParam().page});
    EXPECT_EQ(outcome.status, 1);
    std::string message = GetParam().message;
    message.replace(message.find("{}"), 2, folder.path().string());
    EXPECT_EQ(outcome.err, "sorvane-cli: " + message + "\n");
    EXPECT_EQ(ReadFile(folder / "p.htm"), "<object>p</object>");
    EXPECT_EQ(folder.Names().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliSpecialFile,
    ::testing::Values(
        SpecialFileRow{{"FifoPage"}, "fifo.htm", "fifo.htm", "Cannot open file {}/fifo.htm: Not a regular file"},
        SpecialFileRow{{"FifoScript"}, "p.htm", "p.js", "Cannot open file {}/p.js: Not a regular file"}),
    testkit::RowName<SpecialFileRow>);

// Few open files make groups of four pages, each put in place while the
// next is prepared. A page whose script file the group before is still
// writing waits for it, and the report keeps the order of the pages.
TEST_F(CliShellTest, PagesOfTheGroupBeingPlacedKeepTheirMovies)
{
    std::vector<std::string_view> arguments{"convert", "--no-backup", "--script-dir", "js"};
    std::vector<std::string> pages;
    for (const char* folderName : {"one", "two", "three"}) {
        fs::create_directory(folder.path() / folderName);
        for (const char* name : {"a", "b", "c", "d"})
            pages.push_back(std::string(folderName) + "/" + name + ".htm");
    }
    fs::create_directory(folder.path() / "js");
    for (const std::string& page : pages) {
        WriteFile(folder / page, "<object>" + page + "</object>");
        arguments.push_back(page);
    }

    const Outcome outcome = RunInShell(arguments, "ulimit -n 80;");

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::string expectedReport;
    for (const std::string& page : pages) {
        const std::string script = folder / ("js/" + page.substr(page.size() - 5, 1) + ".js");
        EXPECT_EQ(MovieShownBy(folder / page, script), "<object>" + page + "</object>") << page;
        expectedReport += folder / page + ": 1 block converted; script " + script + "; no backup\n";
    }
    EXPECT_EQ(outcome.out, expectedReport);
}

// A run killed at any moment, with groups of pages being placed on a thread
// of their own, leaves each page wholly old or wholly new, a new page's
// functions in its script file, and each backup whole.
TEST_F(CliShellTest, KilledRunLeavesEveryPageOldOrNewWithItsMovie)
{
    const std::string padding(16 * 1024, ' ');
    for (int round = 0; round < 12; ++round) {
        const std::string site = "round-" + std::to_string(round);
        std::vector<std::string> pages;
        std::vector<std::string_view> arguments{"-c", "ulimit -n 80; exec \"$0\" \"$@\"", SORVANE_CLI, "convert"};
        for (int section = 0; section < 8; ++section) {
            fs::create_directories(folder.path() / site / std::to_string(section));
            for (int page = 0; page < 25; ++page)
                pages.push_back(site + "/" + std::to_string(section) + "/p" + std::to_string(page) + ".htm");
        }
        for (const std::string& page : pages) {
            WriteFile(folder / page, "<object>" + page + "</object>" + padding);
            arguments.push_back(page);
        }

        testkit::StartedProgram run("/bin/sh", arguments, folder.path(), testkit::NullDevice, testkit::NullDevice);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * round));
        run.Kill();
        run.Wait();

        for (const std::string& page : pages) {
            const std::string original = "<object>" + page + "</object>" + padding;
            const std::string stem = page.substr(0, page.size() - 4);
            if (ReadFile(folder / page) != original) {
                EXPECT_EQ(MovieShownBy(folder / page, folder / (stem + ".js")), "<object>" + page + "</object>")
                    << "round " << round;
            }
            if (fs::exists(folder.path() / (stem + "_backup.htm"))) {
                EXPECT_EQ(ReadFile(folder / (stem + "_backup.htm")), original) << "round " << round;
            }
        }
    }
}

#endif

// Two programs converting into one script file: the second waits for the
// first and numbers on, so both pages keep their own movies.
TEST_F(CliTest, ConversionsIntoOneScriptFileWaitForEachOther)
{
    for (const char* name : {"a", "b", "js"})
        fs::create_directory(folder.path() / name);
    WriteFile(folder / "a/index.htm", "<object>movie-a</object>");
    WriteFile(folder / "b/index.htm", "<object>movie-b</object>");
    std::unique_ptr<testkit::StartedProgram> first, second;
    ScriptLockHolder otherProgram(folder / "js/index.js");

    first = Start({"convert", "--script-dir", "js", "a/index.htm"});
    second = Start({"convert", "--script-dir", "js", "b/index.htm"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(first->IsRunning()) << "writes the script while another program holds it";
    EXPECT_TRUE(second->IsRunning());
#ifndef _WIN32  // Windows locks with a lock file that goes with its last handle
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "js/.sorvane-lock")))
        << "a folder all may read is locked itself";
#endif
    otherProgram.LetGo();

    EXPECT_EQ(first->Wait(), 0);
    EXPECT_EQ(second->Wait(), 0);
    EXPECT_EQ(MovieShownBy(folder / "a/index.htm", folder / "js/index.js"), "<object>movie-a</object>");
    EXPECT_EQ(MovieShownBy(folder / "b/index.htm", folder / "js/index.js"), "<object>movie-b</object>");
}

// A run never waits for a lock while it holds others: the pages before are
// finished first, so two runs that want each other's script files go on.
TEST_F(CliTest, WaitingForAScriptFinishesThePagesBefore)
{
    for (const char* name : {"a", "b"})
        fs::create_directory(folder.path() / name);
    WriteFile(folder / "a/a.htm", "<object>a</object>");
    WriteFile(folder / "b/b.htm", "<object>b</object>");
    std::unique_ptr<testkit::StartedProgram> run;
    ScriptLockHolder otherProgram(folder / "b/b.js");

    run = Start({"convert", "--no-backup", "a/a.htm", "b/b.htm"});
    bool aConverted = false;
    for (int i = 0; i < 1500 && !aConverted && run->IsRunning(); ++i) {  // a busy machine starts programs slowly
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        aConverted = ShowsYet(folder / "a/a.htm", "displaySWF_1();");
    }
    EXPECT_TRUE(aConverted);
    EXPECT_TRUE(run->IsRunning());
    otherProgram.LetGo();
    EXPECT_EQ(run->Wait(), 0);
    EXPECT_NE(ReadFile(folder / "b/b.htm").find("displaySWF_2();"), std::string::npos);
}

#ifndef _WIN32
// A script folder that its users may write but not read (mode 0300) is
// locked all the same, by root (who may read it) and its owner alike; a lock
// that cannot be had stops the page.
TEST_F(CliTest, ScriptFolderThatCannotBeReadIsLockedAllTheSame)
{
    for (const char* name : {"a", "js", "odd"})
        fs::create_directory(folder.path() / name);
    WriteFile(folder / "a/index.htm", "<object>movie-a</object>");
    WriteFile(folder / "odd/index.htm", "<object>movie-odd</object>");
    fs::create_symlink("/nowhere", folder / "odd/.sorvane-lock");
    fs::permissions(folder / "odd", fs::perms(0300));
    fs::permissions(folder / "js", fs::perms(0300));
    ScriptLockHolder otherProgram(folder / "js/index.js");

    const auto [program, arguments] = AsPlainUser({"convert", "--script-dir", "js", "a/index.htm"});
    testkit::StartedProgram run(program, arguments, folder.path(), testkit::NullDevice, testkit::NullDevice);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(run.IsRunning()) << "writes the script while another program holds it";
    otherProgram.LetGo();
    EXPECT_EQ(run.Wait(), 0);
    fs::permissions(folder / "js", fs::perms::owner_all);
    EXPECT_EQ(MovieShownBy(folder / "a/index.htm", folder / "js/index.js"), "<object>movie-a</object>");

    const Outcome refused = Run({"convert", "--no-backup", "odd/index.htm"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "sorvane-cli: Cannot create file " + (folder / "odd/index.js")
                               + ": cannot lock its folder: It is a symbolic link\n");
    fs::permissions(folder / "odd", fs::perms::owner_all);
    EXPECT_EQ(ReadFile(folder / "odd/index.htm"), "<object>movie-odd</object>");
}

// A wait for the lock is told on a terminal once it lasts a second, at the
// start of a line that the progress line may hold; a terminal that knows no
// escape sequence (TERM=dumb) gets none.
struct LockWaitRow : testkit::NamedRow {
    std::string_view term;
    std::string_view lineStart;
};

class CliLockWait : public CliShellTest, public ::testing::WithParamInterface<LockWaitRow> {};

TEST_P(CliLockWait, IsToldOnATerminal)
{
    WriteFile(folder / "a.htm", "<object>a</object>");
    ScriptLockHolder otherProgram(folder / "a.js");
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        otherProgram.LetGo();
    });
    // script(1) gives the program a terminal and copies what it shows.
    const std::string command = "cd " + ShellQuoted(folder.path().string()) + " && TERM=" + std::string(GetParam().term)
                                + " script -qec " + ShellQuoted(ShellQuoted(SORVANE_CLI) + " convert --no-backup a.htm")
                                + " /dev/null >" + ShellQuoted(output / "terminal");
    const int status = std::system(command.c_str());
    letGo.join();

    EXPECT_EQ(status, 0);
    const std::string shown = ReadFile(output / "terminal");
    EXPECT_NE(shown.find(std::string(GetParam().lineStart)
                         + "sorvane-cli: waiting for another program to finish with the script folder "
                         + folder.path().string()),
              std::string::npos)
        << shown;
    if (GetParam().term == "dumb") {
        EXPECT_EQ(shown.find('\x1b'), std::string::npos) << shown;
    }
    EXPECT_NE(ReadFile(folder / "a.htm"), "<object>a</object>");
}

INSTANTIATE_TEST_SUITE_P(Cli, CliLockWait,
                         ::testing::Values(LockWaitRow{{"Xterm"}, "xterm", "\r\x1b[K"},
                                           LockWaitRow{{"Dumb"}, "dumb", "\r"}),
                         testkit::RowName<LockWaitRow>);
#endif

TEST_F(CliTest, FailingPageIsReportedAndTheNextOneConverted)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    WriteFile(folder / "b.htm", "<object>2</object>");
    WriteFile(folder / "index.js", "<object>0</object>");  // would be its own script file

    const Outcome outcome = Run({"convert", "--no-backup", "a.htm", "missing.htm", "index.js", "b.htm"});

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              "sorvane-cli: Cannot open file " + folder / "missing.htm" + ": " + detail::ReasonText(FileNotFound)
                  + "\nsorvane-cli: The page and the script file are the same file: " + folder / "index.js" + "\n");
    EXPECT_NE(ReadFile(folder / "b.htm").find("displaySWF_2();"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "index.js"), "<object>0</object>");
    EXPECT_EQ(std::ranges::count(outcome.out, '\n'), 2);
}

TEST_F(CliTest, ScriptFolderTakesTheScriptsAndRelativePathsWork)
{
    fs::create_directories(folder.path() / "site/pages");
    fs::create_directories(folder.path() / "site/js");
    WriteFile(folder / "site/pages/a.htm", "<head></head><object>a</object>");
    WriteFile(folder / "site/pages/b.htm", "<head></head><object>b</object>");

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "site/js/", "site/pages/a.htm",
                                 "--script-dir=./site/pages/../js", "site/pages/b.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::exists(folder / "site/js/a.js"));
    EXPECT_TRUE(fs::exists(folder / "site/js/b.js"));
    EXPECT_NE(outcome.out.find("script " + folder / "site/js/a.js" + ";"), std::string::npos);
    for (const char* page : {"site/pages/a.htm", "site/pages/b.htm"})
        EXPECT_NE(ReadFile(folder / page).find("src=\"" + testkit::InNativeStyle("../js/")), std::string::npos) << page;
}

// ----------------------------------------------------------------- generate --

TEST_F(CliTest, GeneratePrintsExactlyTheSnippetAndWritesTheScript)
{
    WriteFile(folder / "intro.swf", "FWS");
    const Outcome outcome = Run({"generate", "--width", "550", "--height=400", "intro.swf"});
    const std::string script = ReadFile(folder / "intro.js");

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const EmbedCodeResult expected = GenerateEmbedCode(
        {.moviePath = folder / "intro.swf", .width = "550", .height = "400", .name = "intro"});
    EXPECT_EQ(outcome.out, expected.snippet);
    EXPECT_EQ(script, ReadFile(folder / "intro.js"));
    EXPECT_TRUE(outcome.out.ends_with("\r\n</noscript>"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"intro.js", "intro.swf"}));
}

TEST_F(CliTest, GenerateWarnsAboutWhatTheWizardWouldQuestionAndGoesOn)
{
    WriteFile(folder / "intro.swf", "FWS");
    const Outcome defaults = Run({"generate", "intro.swf"});
    EXPECT_EQ(defaults.status, 0);
    EXPECT_EQ(defaults.err, "sorvane-cli: warning: the width is blank\n"
                            "sorvane-cli: warning: the height is blank\n");
    EXPECT_EQ(
        defaults.out,
        GenerateEmbedCode({.moviePath = folder / "intro.swf", .width = "", .height = "", .name = "intro"}).snippet);

    const Outcome doubtful = Run(
        {"generate", "--width", " 5", "--height", "4px", "--name=", "--quality=High", "intro.swf"});
    EXPECT_EQ(doubtful.status, 0);
    EXPECT_EQ(doubtful.err, "sorvane-cli: warning: the name/id is blank\n"
                            "sorvane-cli: warning: the width should contain numbers and % sign only\n"
                            "sorvane-cli: warning: the height should contain numbers and % sign only\n");
    EXPECT_EQ(doubtful.out,
              GenerateEmbedCode(
                  {.moviePath = folder / "intro.swf", .width = " 5", .height = "4px", .name = "", .quality = "high"})
                  .snippet);
}

TEST_F(CliTest, GenerateFailureIsReportedWithStatusOneAndNoSnippet)
{
    WriteFile(folder / "intro.swf", "FWS");
    fs::create_directory(folder.path() / "intro.js");  // a folder is never replaced by the script

    const Outcome unwritable = Run({"generate", "--width=1", "--height=1", "intro.swf"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.out, "");
    EXPECT_EQ(unwritable.err, "sorvane-cli: Cannot create file intro.js: " + detail::ReasonText(FolderInTheWay) + "\n");
    EXPECT_TRUE(fs::is_directory(folder.path() / "intro.js"));

    const Outcome missing = Run({"generate", "--width=1", "--height=1", "gone.swf"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "sorvane-cli: no movie file 'gone.swf'\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"intro.js", "intro.swf"}));
}

TEST_F(CliTest, GenerateTakesTheSizeNotGivenFromTheMovie)
{
    WriteFile(folder / "intro.swf", testmovie::MovieBytes({.compression = MovieCompression::Zlib}));

    const Outcome both = Run({"generate", "intro.swf"});
    EXPECT_EQ(both.status, 0);
    EXPECT_EQ(both.err, "sorvane-cli: using the movie's stage size: width 550, height 400\n");
    EXPECT_EQ(both.out,
              GenerateEmbedCode({.moviePath = folder / "intro.swf", .width = "550", .height = "400", .name = "intro"})
                  .snippet);

    const Outcome height = Run({"generate", "--width=100%", "intro.swf"});
    EXPECT_EQ(height.err, "sorvane-cli: using the movie's stage size: height 400\n");
    EXPECT_EQ(height.out,
              GenerateEmbedCode({.moviePath = folder / "intro.swf", .width = "100%", .height = "400", .name = "intro"})
                  .snippet);

    const Outcome given = Run({"generate", "--width=", "--height", "50", "intro.swf"});
    EXPECT_EQ(given.err, "sorvane-cli: warning: the width is blank\n");
    EXPECT_EQ(
        given.out,
        GenerateEmbedCode({.moviePath = folder / "intro.swf", .width = "", .height = "50", .name = "intro"}).snippet);
}

// -------------------------------------------------------------- Flash player --

TEST_F(CliTest, BothCommandsLoadThePlayerFromWhereTheirPageIs)
{
    fs::create_directories(folder.path() / "site/sub");
    fs::create_directories(folder.path() / "player");
    WriteFile(folder / "player/ruffle.js", "// player");
    WriteFile(folder / "site/a.htm", "<head></head><object>a</object>");
    WriteFile(folder / "site/sub/b.htm", "<head></head><object>b</object>");
    WriteFile(folder / "site/intro.swf", "FWS");

    const Outcome convert = Run(
        {"convert", "--no-backup", "--player", "player/ruffle.js", "site/a.htm", "site/sub/b.htm"});
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_NE(ReadFile(folder / "site/a.htm")
                  .find("<script src=\"" + testkit::InNativeStyle("../player/ruffle.js") + "\"></script>\r\n</head>"),
              std::string::npos);
    EXPECT_NE(ReadFile(folder / "site/sub/b.htm")
                  .find("<script src=\"" + testkit::InNativeStyle("../../player/ruffle.js") + "\"></script>"),
              std::string::npos);

    const Outcome generate = Run(
        {"generate", "--width=1", "--height=1", "--player=player/ruffle.js", "site/intro.swf"});
    EXPECT_EQ(generate.status, 0) << generate.err;
    EXPECT_EQ(
        generate.out,
        "<script src=\"" + testkit::InNativeStyle("../player/ruffle.js") + "\"></script>\r\n"
            + GenerateEmbedCode({.moviePath = folder / "site/intro.swf", .width = "1", .height = "1", .name = "intro"})
                  .snippet);

    const Outcome web = Run(
        {"generate", "--width=1", "--height=1", "--player", "https://example.org/r.js?a&b", "site/intro.swf"});
    EXPECT_TRUE(web.out.starts_with("<script src=\"https://example.org/r.js?a&amp;b\"></script>\r\n<script src"))
        << web.out;
}

TEST_F(CliTest, MissingPlayerIsRefusedBeforeAnythingIsWritten)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    WriteFile(folder / "intro.swf", "FWS");

    for (const auto& arguments : {std::vector<std::string_view>{"convert", "--player", "gone.js", "a.htm"},
                                  std::vector<std::string_view>{"generate", "--player", "gone.js", "intro.swf"}}) {
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 1) << arguments[0];
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "sorvane-cli: Cannot find the Flash player script gone.js\n");
    }
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.htm", "intro.swf"}));
}

// The player that comes with Sorvane lies in share/sorvane/player beside the
// program's bin folder: a copy of sorvane-cli in a prefix of its own finds a
// small stand-in player there.
class BundledPlayerTest : public CliTest {
protected:
    BundledPlayerTest()
    {
        fs::create_directories(prefix.path() / "bin");
        fs::copy_file(SORVANE_CLI, program);
        fs::create_directories(prefix.path() / "share/sorvane/player/chunks");
        for (const auto& [name, bytes] : PlayerFiles)
            WriteFile(prefix.path() / "share/sorvane/player" / name, bytes);
    }

    Outcome RunBundled(const std::vector<std::string_view>& arguments)
    {
        const int status = testkit::RunProgram(program, arguments, folder.path(), output / "out", output / "err");
        return {status, testkit::ReadFile(output.path() / "out"), testkit::ReadFile(output.path() / "err")};
    }

    // Whether the folder holds exactly the player's files.
    void ExpectPlayerIn(const std::string& playerFolder)
    {
        for (const auto& [name, bytes] : PlayerFiles)
            EXPECT_EQ(ReadFile(fs::path(playerFolder) / name), bytes) << name;
    }

    static constexpr std::pair<std::string_view, std::string_view> PlayerFiles[] = {
        {"LICENSE_MIT", "MIT"}, {"chunks/core.wasm", std::string_view("\0asm", 4)}, {"ruffle.js", "// player"}};
    testkit::TempFolder prefix;
    const std::string program = prefix / ("bin/" + fs::path(SORVANE_CLI).filename().string());
};

constexpr std::string_view ViewingHint =
    "sorvane-cli: the Flash player does not run in pages opened as files (file://); view them through\n"
    "sorvane-cli: a web server, such as 'python3 -m http.server' started in the site's folder\n";

TEST_F(BundledPlayerTest, IsCopiedOnceBesideTheFirstPageAndLoadedFromThere)
{
    fs::create_directories(folder.path() / "site/sub");
    WriteFile(folder / "site/a.htm", "<head></head><object>1</object>");
    WriteFile(folder / "site/sub/b.htm", "<head></head><object>2</object>");
    WriteFile(folder / "site/intro.swf", "FWS");

    const Outcome convert = RunBundled(
        {"convert", "--no-backup", "--player", "bundled", "site/a.htm", "site/sub/b.htm"});
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_TRUE(
        convert.out.starts_with("copied the Flash player into " + (folder / "site/sorvane-player") + " (3 files)\n"))
        << convert.out;
    EXPECT_EQ(convert.err, ViewingHint);
    ExpectPlayerIn(folder / "site/sorvane-player");
    const std::string playerLine = "<script src=\"" + testkit::InNativeStyle("sorvane-player/ruffle.js")
                                   + "\"></script>";
    EXPECT_NE(ReadFile(folder / "site/a.htm").find(playerLine), std::string::npos);
    EXPECT_NE(ReadFile(folder / "site/sub/b.htm")
                  .find("<script src=\"" + testkit::InNativeStyle("../sorvane-player/ruffle.js") + "\"></script>"),
              std::string::npos);

    // A second run finds every file there and equal: nothing is written.
    const auto written = fs::last_write_time(folder.path() / "site/sorvane-player/ruffle.js");
    const Outcome again = RunBundled({"convert", "--no-backup", "--player=bundled", "site/a.htm"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out.find("copied"), std::string::npos) << again.out;
    EXPECT_EQ(fs::last_write_time(folder.path() / "site/sorvane-player/ruffle.js"), written);
    EXPECT_EQ(ReadFile(folder / "site/a.htm").find(playerLine), ReadFile(folder / "site/a.htm").rfind(playerLine));

    // generate refers to the same folder beside the movie.
    const Outcome generate = RunBundled(
        {"generate", "--width=1", "--height=1", "--player", "bundled", "site/intro.swf"});
    EXPECT_EQ(generate.status, 0) << generate.err;
    EXPECT_TRUE(generate.out.starts_with(playerLine + "\r\n")) << generate.out;
    EXPECT_EQ(generate.err, ViewingHint);

    // restore gives a page back and leaves the player.
    WriteFile(folder / "site/c.htm", "<head></head><object>3</object>");
    EXPECT_EQ(RunBundled({"convert", "--player", "bundled", "site/c.htm"}).status, 0);
    const Outcome restore = RunBundled({"restore", "site/c.htm"});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(ReadFile(folder / "site/c.htm"), "<head></head><object>3</object>");
    ExpectPlayerIn(folder / "site/sorvane-player");
}

TEST_F(BundledPlayerTest, GoesIntoTheScriptFolderOrTheFolderNamed)
{
    fs::create_directories(folder.path() / "site");
    WriteFile(folder / "site/a.htm", "<object>1</object>");
    WriteFile(folder / "site/intro.swf", "FWS");

    EXPECT_EQ(RunBundled({"convert", "--player", "bundled", "--script-dir", "js", "site/a.htm"}).status, 0);
    ExpectPlayerIn(folder / "js/sorvane-player");
    EXPECT_EQ(RunBundled({"generate", "--player", "bundled", "--player-dir", "p", "site/intro.swf"}).status, 0);
    ExpectPlayerIn(folder / "p");
    EXPECT_NE(ReadFile(folder / "site/intro.js").size(), 0u);
}

TEST_F(BundledPlayerTest, FileThatDiffersIsRefusedBeforeAnythingIsWrittenUnlessForced)
{
    fs::create_directories(folder.path() / "sorvane-player");
    WriteFile(folder / "sorvane-player/ruffle.js", "// the user's own");
    WriteFile(folder / "a.htm", "<object>1</object>");
    WriteFile(folder / "intro.swf", "FWS");

    for (const auto& arguments : {std::vector<std::string_view>{"convert", "--player", "bundled", "a.htm"},
                                  std::vector<std::string_view>{"generate", "--player", "bundled", "intro.swf"}}) {
        const Outcome refused = RunBundled(arguments);
        EXPECT_EQ(refused.status, 1) << arguments[0];
        EXPECT_TRUE(refused.err.starts_with("sorvane-cli: the file ")) << refused.err;
        EXPECT_TRUE(refused.err.ends_with(testkit::InNativeStyle("sorvane-player/ruffle.js")
                                          + " differs from the Flash player's own and is left as it is "
                                            "(--force replaces it)\n"))
            << refused.err;
    }
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.htm", "intro.swf", "sorvane-player"}));
    EXPECT_EQ(ReadFile(folder / "sorvane-player/ruffle.js"), "// the user's own");

    EXPECT_EQ(RunBundled({"convert", "--force", "--player", "bundled", "a.htm"}).status, 0);
    ExpectPlayerIn(folder / "sorvane-player");
}

TEST_F(BundledPlayerTest, DryRunAndDiffListThePlayersFilesAndWriteNothing)
{
    WriteFile(folder / "a.htm", "<head></head><object>1</object>");

    const Outcome dryRun = RunBundled({"convert", "--dry-run", "--player", "bundled", "a.htm"});
    EXPECT_EQ(dryRun.status, 0) << dryRun.err;
    EXPECT_TRUE(dryRun.out.starts_with((folder / "sorvane-player/LICENSE_MIT") + ": would create (Flash player)\n"
                                       + (folder / "sorvane-player/chunks/core.wasm")
                                       + ": would create (Flash player)\n" + (folder / "sorvane-player/ruffle.js")
                                       + ": would create (Flash player)\n" + (folder / "a.htm") + ": 1 block"))
        << dryRun.out;

    const Outcome diff = RunBundled({"convert", "--diff", "--player", "bundled", "a.htm"});
    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_TRUE(diff.out.starts_with("Only in b/sorvane-player: LICENSE_MIT\nOnly in b/sorvane-player/chunks: "
                                     "core.wasm\nOnly in b/sorvane-player: ruffle.js\n--- a/a.htm"))
        << diff.out;
    EXPECT_NE(diff.out.find("+<script src=\"" + testkit::InNativeStyle("sorvane-player/ruffle.js") + "\"></script>"),
              std::string::npos)
        << diff.out;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.htm"}));
}

// ---------------------------------------------------------------------- info --

TEST_F(CliTest, InfoPrintsTheMovieHeader)
{
#ifdef SORVANE_WITHOUT_LZMA
    GTEST_SKIP() << "this build reads and writes no ZWS movies";
#endif
    WriteFile(folder / "intro.swf",
              testmovie::MovieBytes({.compression = MovieCompression::Lzma,
                                     .version = 13,
                                     .stage = {-20, 10980, 0, 8000},
                                     .frameRate = 0x1DF8,
                                     .frameCount = 250,
                                     .tags = std::string("\x44\x11\x08\0\0\0", 6)  // ActionScript 3
                                             + std::string(94, 'x')}));
    const Outcome outcome = Run({"info", "intro.swf"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "signature: ZWS (LZMA)\n"
                           "version: 13\n"
                           "file length: 121 bytes\n"
                           "stage: x -20 to 10980, y 0 to 8000 twips\n"
                           "stage size: 550 x 400 pixels\n"
                           "frame rate: 29.96875 frames a second\n"
                           "frame count: 250\n"
                           "ActionScript: AVM2 (ActionScript 3)\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"intro.swf"});
}

TEST_F(CliTest, InfoReportsWhatIsNoMovie)
{
    WriteFile(folder / "short.swf", testmovie::MovieBytes({}).substr(0, 12));
    WriteFile(folder / "empty.swf", testmovie::MovieBytes({.stage = {}}));

    const Outcome cut = Run({"info", "short.swf"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.out, "");
    EXPECT_EQ(cut.err, "sorvane-cli: 'short.swf' is not a Flash movie, or is cut short: no size known\n");
    const Outcome missing = Run({"info", "gone.swf"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "sorvane-cli: no movie file 'gone.swf'\n");
    const Outcome noStage = Run({"info", "empty.swf"});
    EXPECT_EQ(noStage.status, 0);
    EXPECT_NE(noStage.out.find("\nstage size: none\n"), std::string::npos);
}

TEST_F(CliTest, GenerateRefusesToReplaceOtherScriptCodeUnlessForced)
{
    WriteFile(folder / "intro.swf", "FWS");
    const std::string pageScript = "\r\nfunction displaySWF_1() { document.write('<object>A</object>'); }\r\n";
    WriteFile(folder / "intro.js", pageScript);

    const Outcome refused = Run({"generate", "--width=1", "--height=1", "intro.swf"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "sorvane-cli: the file 'intro.js' already exists and holds other script code; "
                           "--force replaces it\n");
    EXPECT_EQ(ReadFile(folder / "intro.js"), pageScript);

    const Outcome forced = Run({"generate", "--force", "--width=1", "--height=1", "intro.swf"});
    EXPECT_EQ(forced.status, 0);
    EXPECT_TRUE(IsGeneratedMovieScript(ReadFile(folder / "intro.js")));
    EXPECT_EQ(
        forced.out,
        GenerateEmbedCode({.moviePath = folder / "intro.swf", .width = "1", .height = "1", .name = "intro"}).snippet);
    EXPECT_EQ(Run({"generate", "--width=1", "--height=1", "intro.swf"}).status, 0) << "its own script is replaced";
}

#ifndef _WIN32
// A movie named like its script, or reached through a link of that name,
// would be replaced by its own script, even with --force.
TEST_F(CliTest, GenerateRefusesAScriptPathThatLeadsToTheMovie)
{
    WriteFile(folder / "m.js", "FWS movie named m.js");
    WriteFile(folder / "n.swf", "FWS movie n");
    fs::create_symlink("n.swf", folder.path() / "n.js");

    for (const char* movie : {"m.js", "n.swf"}) {
        const Outcome outcome = Run({"generate", "--force", "--width=1", "--height=1", movie});
        EXPECT_EQ(outcome.status, 1) << movie;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "sorvane-cli: The movie and its script file are the same file: "
                                   + std::string(movie[0] == 'm' ? "m.js" : "n.js") + "\n");
    }
    EXPECT_EQ(ReadFile(folder / "m.js"), "FWS movie named m.js");
    EXPECT_EQ(ReadFile(folder / "n.swf"), "FWS movie n");
}

// -------------------------------------------------------- standard output --

// Output that does not reach standard output is a failure, reported with
// the system's reason; the files are written all the same.
struct LostOutputRow : testkit::NamedRow {
    std::vector<std::string_view> arguments;
    std::string stdoutTo;
    std::string reason;
};

class CliLostOutput : public CliShellTest, public ::testing::WithParamInterface<LostOutputRow> {};

TEST_P(CliLostOutput, FailsWithTheReason)
{
    WriteFile(folder / "intro.swf", "FWS");
    WriteFile(folder / "a.htm", "<object>a</object>");
    const Outcome outcome = RunInShell(GetParam().arguments, "", GetParam().stdoutTo);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.err.ends_with("sorvane-cli: cannot write to standard output: " + GetParam().reason + "\n"))
        << outcome.err;
    EXPECT_TRUE(fs::exists(folder / "intro.js") || fs::exists(folder / "a.js")) << "the work is done";
}

INSTANTIATE_TEST_SUITE_P(Cli, CliLostOutput,
                         ::testing::Values(LostOutputRow{{"GenerateToAFullDisk"},
                                                         {"generate", "--width=1", "--height=1", "intro.swf"},
                                                         ">/dev/full",
                                                         "No space left on device"},
                                           LostOutputRow{{"GenerateToClosedOutput"},
                                                         {"generate", "--width=1", "--height=1", "intro.swf"},
                                                         ">&-",
                                                         "Bad file descriptor"},
                                           LostOutputRow{{"ConvertReportToAFullDisk"},
                                                         {"convert", "a.htm"},
                                                         ">/dev/full",
                                                         "No space left on device"}),
                         testkit::RowName<LostOutputRow>);

// Standard output whose reader has gone, as when `| head` has read its lines:
// the run's work is done and it ends as cat ends there, without a message.
TEST_F(CliShellTest, ReaderThatWentAwayEndsTheRunAsItEndsCat)
{
    WriteFile(folder / "a.htm", "<object>a</object>");
    // The exit status the shell gives each program run with its standard
    // output a pipe whose reading end is closed.
    const auto statusOnClosedPipe = [&](const std::string& program) {
        const std::string command =
            "cd " + ShellQuoted(folder.path().string())
            + " && python3 -c 'import os, subprocess, sys; r, w = os.pipe(); os.close(r);"
              " s = subprocess.call(sys.argv[1:], stdout=w); sys.exit(128 - s if s < 0 else s)' "
            + program + " 2>" + ShellQuoted(output / "err");
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    const int catStatus = statusOnClosedPipe("cat a.htm");
    EXPECT_EQ(statusOnClosedPipe(ShellQuoted(SORVANE_CLI) + " convert a.htm"), catStatus);
    EXPECT_EQ(ReadFile(output / "err"), "");
    EXPECT_TRUE(fs::exists(folder / "a.js")) << "the work is done";
}

// ----------------------------------------------------------- failure reasons --

// Every failure says why, in the system's words, after the message that
// names the file; running out of memory is a plain sentence.
struct ReasonRow : testkit::NamedRow {
    std::vector<std::string_view> arguments;
    std::string_view setUp;
    std::string message;  // {} stands for the scratch folder
};

class CliFailureReason : public CliShellTest, public ::testing::WithParamInterface<ReasonRow> {};

TEST_P(CliFailureReason, FollowsTheMessage)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    if (GetParam().setUp.find("ulimit -v") != std::string_view::npos)
        GTEST_SKIP() << "a sanitizer's shadow memory does not fit under a memory limit";
#endif
    WriteFile(folder / "big.htm", "<object>a</object>" + std::string(64 * 1024, ' '));
    const Outcome outcome = RunInShell(GetParam().arguments, GetParam().setUp);
    std::string message = GetParam().message;
    message.replace(message.find("{}"), 2, folder.path().string());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: " + message + "\n");
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFailureReason,
                         ::testing::Values(ReasonRow{{"FullDisk"},
                                                     {"convert", "--no-backup", "big.htm"},
                                                     "trap '' XFSZ; ulimit -f 16;",
                                                     "Cannot create file {}/big.htm: File too large"},
                                           ReasonRow{{"NameTooLong"},
                                                     {"convert", "--no-backup", "--script-dir", LongName, "big.htm"},
                                                     "",
                                                     "Cannot create file {}/" + LongName
                                                         + "/big.js: cannot lock its folder: File name too long"},
                                           ReasonRow{
                                               {"OutOfMemory"},
                                               {"convert", "--no-backup", "huge.htm"},
                                               // An object that is never closed: the scan needs the
                                               // rest of the page at once.
                                               "{ printf '<object>\\r\\n'; head -c 2000000 /dev/zero | tr '\\0' a; }"
                                               " > huge.htm; truncate -s 2G huge.htm; ulimit -v 500000;",
                                               "{}/huge.htm: There is not enough memory to do this"}),
                         testkit::RowName<ReasonRow>);

#endif

// ------------------------------------------------------ help and usage errors --

TEST_F(CliTest, HelpAndVersion)
{
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sorvane-cli convert [--no-backup] [--script-dir DIR] [--player SRC] [--player-dir DIR] "
                            "[--force] [-r] "
                            "[--exclude GLOB]... [--files-from FILE] [-0] [--dry-run | --diff] [--json] [-q] PAGE..."),
              std::string::npos);
    EXPECT_NE(help.out.find("sorvane-cli generate [--width W] [--height H] [--name NAME] "
                            "[--quality best|high|low] [--player SRC] [--player-dir DIR] [--force] [--json] MOVIE"),
              std::string::npos);
    EXPECT_EQ(Run({"convert", "--help"}).status, 0);
    EXPECT_EQ(Run({"generate", "--help"}).status, 0);
    EXPECT_EQ(Run({"info", "--help"}).status, 0);
    EXPECT_EQ(Run({"restore", "--help"}).status, 0);
    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "sorvane-cli 1.01\n");
}

TEST_F(CliTest, FolderWithoutPagesOrWithoutRecursiveIsToldSo)
{
    fs::create_directories(fs::path(folder / "empty/sub"));
    fs::create_directory(fs::path(folder / "site"));
    WriteFile(folder / "site/a.htm", "<object>1</object>");

    const Outcome none = Run({"convert", "-r", "empty"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "sorvane-cli: no pages found under empty\n");

    const Outcome notRecursive = Run({"convert", "site"});
    EXPECT_EQ(notRecursive.status, 1);
    EXPECT_EQ(notRecursive.err, "sorvane-cli: site is a folder; add -r to convert the pages under it\n");
    EXPECT_EQ(ReadFile(folder / "site/a.htm"), "<object>1</object>");
}

TEST_F(CliTest, OptionsAreReadAsTheShellWritesThem)
{
    WriteFile(folder / "-dash.htm", "<object>1</object>");
    fs::create_directory(folder / "js");

    // Short options bundled, a value after '=', '--' before a page named like an option.
    const Outcome outcome = Run({"convert", "-rq", "--no-backup", "--script-dir=js", "--", "-dash.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "") << "-q in the bundle";
    EXPECT_TRUE(fs::exists(fs::path(folder / "js/-dash.js")));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"-dash.htm", "js"})) << "--no-backup";
}

// ---------------------------------------------------------------- whole sites --
// These drive a shell, python3 and diff, and look at POSIX modes and links:
// Linux only.
#ifndef _WIN32

// Writes a file of a tree, making its folders.
void WriteTreeFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    WriteFile(path, bytes);
}

// The names in a folder, sorted.
std::vector<std::string> NamesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

constexpr std::string_view FlashPage = "<html><head></head><body><object>1</object></body></html>\n";

// The pages of the report lines, in order: what comes before ": ".
std::vector<std::string> ReportedPages(const std::string& out, const fs::path& root)
{
    std::vector<std::string> pages;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        pages.push_back(fs::path(line.substr(0, line.find(": "))).lexically_relative(root).string());
    return pages;
}

TEST_F(CliTest, RecursiveTakesThePagesOfTheTreeInSortedOrder)
{
    for (const char* page :
         {"site/index.htm", "site/b/INDEX.HTML", "site/a/x.php", "site/a.htm", "site/index_backup.htm",
          "site/index_backup3.htm", "site/lone_backup.htm", "site/notes.txt", "site/index.js", "site/draft/d.htm",
          "site/a/old.htm", "site/b/old.htm", "elsewhere/e.htm"})
        WriteTreeFile(folder / page, FlashPage);
    fs::create_directory_symlink("../elsewhere", folder / "site/linked");

    const Outcome outcome = Run({"convert", "--no-backup", "-r", "--exclude", "draft", "--exclude=a/old.htm", "site"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReportedPages(outcome.out, folder.path()),
              (std::vector<std::string>{"site/a/x.php", "site/a.htm", "site/b/INDEX.HTML", "site/b/old.htm",
                                        "site/index.htm", "site/lone_backup.htm"}));
    EXPECT_EQ(ReadFile(folder / "site/index_backup.htm"), FlashPage) << "a backup is no page";
    EXPECT_EQ(ReadFile(folder / "elsewhere/e.htm"), FlashPage) << "a linked folder is not followed";
    EXPECT_EQ(ReadFile(folder / "site/draft/d.htm"), FlashPage) << "an excluded folder is not searched";
}

TEST_F(CliTest, RestoreAfterConvertGivesBackThePagesAndKeepsTheScripts)
{
    const std::string other = "<p>no movie</p>\r\n<object data='a.swf'>\r\n</object>";
    WriteTreeFile(folder / "site/a.htm", FlashPage);
    WriteTreeFile(folder / "site/sub/b.php", other);
    ASSERT_EQ(Run({"convert", "-r", "site"}).status, 0);
    const std::string script = ReadFile(folder / "site/a.js");

    const Outcome outcome = Run({"restore", "site/a.htm", "site/sub/b.php"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFile(folder / "site/a.htm"), FlashPage);
    EXPECT_EQ(ReadFile(folder / "site/sub/b.php"), other);
    EXPECT_EQ(ReadFile(folder / "site/a.js"), script);
    EXPECT_EQ(outcome.out, (folder / "site/a.htm") + ": restored from " + (folder / "site/a_backup.htm") + "\n"
                               + (folder / "site/sub/b.php") + ": restored from " + (folder / "site/sub/b_backup.php")
                               + "\n");
}

TEST_F(CliTest, RestoreTakesTheBackupWithTheHighestNumber)
{
    WriteFile(folder / "a.htm", "<object>10</object>");
    ASSERT_EQ(Run({"convert", "--no-backup", "a.htm"}).status, 0);
    WriteFile(folder / "a_backup.htm", "<object>0</object>");
    WriteFile(folder / "a_backup2.htm", "<object>2</object>");
    WriteFile(folder / "a_backup10.htm", "<object>10</object>");

    EXPECT_EQ(Run({"restore", "-r", "."}).status, 0);
    EXPECT_EQ(ReadFile(folder / "a.htm"), "<object>10</object>");
}

TEST_F(CliTest, RestoreRefusesEverythingWhenAPageHasNoBackup)
{
    WriteFile(folder / "a.htm", "converted");
    WriteFile(folder / "a_backup.htm", "original");
    WriteFile(folder / "b.htm", "no backup");

    const Outcome outcome = Run({"restore", "a.htm", "b.htm"});

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: no backup of " + (folder / "b.htm")
                               + " (b_backup.htm, b_backup1.htm, ...)\nsorvane-cli: nothing was restored\n");
    EXPECT_EQ(ReadFile(folder / "a.htm"), "converted");
    EXPECT_EQ(ReadFile(folder / "b.htm"), "no backup");
}

// A backup that could be any file is never shown to the web: the page stays
// converted, and the message says why, in text and in JSON.
struct UntrustedBackupRow : testkit::NamedRow {
    std::function<void(const fs::path& backup)> make;
    std::string message;  // {} stands for the backup's path
    bool asRoot;          // the case needs root (another owner) or anyone else (no read access)
};

class CliUntrustedBackup : public CliTest, public ::testing::WithParamInterface<UntrustedBackupRow> {};

TEST_P(CliUntrustedBackup, IsRefusedAndThePageStays)
{
    const UntrustedBackupRow& row = GetParam();
    if (row.asRoot != (::geteuid() == 0))
        GTEST_SKIP() << (row.asRoot ? "needs root to give the backup away" : "root reads any file");
    WriteFile(folder / "secret.key", "PRIVATE");
    WriteFile(folder / "p.htm", FlashPage);
    ASSERT_EQ(Run({"convert", "p.htm"}).status, 0);
    const std::string converted = ReadFile(folder / "p.htm");
    const fs::path backup = folder / "p_backup.htm";
    fs::remove(backup);
    row.make(backup);
    std::string message = row.message;
    message.replace(message.find("{}"), 2, backup.string());

    const Outcome text = Run({"restore", "p.htm"});
    const Outcome json = Run({"restore", "--json", "p.htm"});

    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "sorvane-cli: " + message + "\n");
    EXPECT_NE(json.out.find("\"error\":\"" + message + "\""), std::string::npos) << json.out;
    EXPECT_EQ(ReadFile(folder / "p.htm"), converted);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliUntrustedBackup,
    ::testing::Values(UntrustedBackupRow{{"SymbolicLink"},
                                         [](const fs::path& backup) { fs::create_symlink("secret.key", backup); },
                                         "Cannot open file {}: It is a symbolic link",
                                         ::geteuid() == 0},
                      UntrustedBackupRow{{"Fifo"},
                                         [](const fs::path& backup) { ASSERT_EQ(::mkfifo(backup.c_str(), 0644), 0); },
                                         "Cannot open file {}: Not a regular file",
                                         ::geteuid() == 0},
                      UntrustedBackupRow{{"Folder"},
                                         [](const fs::path& backup) { fs::create_directory(backup); },
                                         "Cannot open file {}: Is a directory",
                                         ::geteuid() == 0},
                      UntrustedBackupRow{{"OtherOwner"},
                                         [](const fs::path& backup) {
                                             WriteFile(backup, FlashPage);
                                             ASSERT_EQ(::chown(backup.c_str(), 4001, 4001), 0);
                                         },
                                         "{} is not used: it belongs neither to the owner of the page nor to you",
                                         true},
                      UntrustedBackupRow{{"Unreadable"},
                                         [](const fs::path& backup) {
                                             WriteFile(backup, FlashPage);
                                             fs::permissions(backup, fs::perms::none);
                                         },
                                         "Cannot open file {}: Permission denied",
                                         false}),
    testkit::RowName<UntrustedBackupRow>);

// A folder that cannot be searched and a page that cannot be written are
// told with the system's reason, with --json as a JSON object too.
TEST_F(CliTest, RestoreTellsFolderAndWriteErrorsWithTheirReasons)
{
    WriteTreeFile(folder / "site/locked/p.htm", FlashPage);
    WriteTreeFile(folder / "site/ro/p.htm", FlashPage);
    ASSERT_EQ(Run({"convert", "-r", "site"}).status, 0);
    fs::permissions(folder / "site/locked", fs::perms::none);
    fs::permissions(folder / "site/ro", fs::perms(0555));
    const auto run = [&](std::vector<std::string_view> arguments) {
        const auto [program, all] = AsPlainUser(std::move(arguments));
        const int status = testkit::RunProgram(program, all, folder.path(), output / "out", output / "err");
        return Outcome{status, ReadFile(output / "out"), ReadFile(output / "err")};
    };

    const Outcome search = run({"restore", "--json", "-r", "site"});
    const Outcome write = run({"restore", "--json", "site/ro/p.htm"});
    fs::permissions(folder / "site/locked", fs::perms::owner_all);
    fs::permissions(folder / "site/ro", fs::perms::owner_all);

    const std::string folderError = "cannot read folder site/locked: Permission denied";
    EXPECT_EQ(search.status, 1);
    EXPECT_EQ(search.out,
              "{\"path\":null,\"blocks\":null,\"script\":null,\"backup\":null,\"error\":\"" + folderError + "\"}\n");
    EXPECT_EQ(search.err, "sorvane-cli: " + folderError + "\nsorvane-cli: nothing was restored\n");
    const std::string writeError = "Cannot create file " + (folder / "site/ro/p.htm") + ": Permission denied";
    EXPECT_EQ(write.status, 1);
    EXPECT_NE(write.out.find("\"error\":\"" + writeError + "\""), std::string::npos) << write.out;
    EXPECT_EQ(write.err, "sorvane-cli: " + writeError + "\n");
}

TEST_F(CliTest, RestoreKeepsLaterEditsUnlessForced)
{
    WriteFile(folder / "p.htm", FlashPage);
    ASSERT_EQ(Run({"convert", "p.htm"}).status, 0);
    const std::string edited = ReadFile(folder / "p.htm") + "NEW\n";
    WriteFile(folder / "p.htm", edited);
    const std::string page = folder / "p.htm", backup = folder / "p_backup.htm";

    const Outcome refused = Run({"restore", "p.htm"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "sorvane-cli: " + page + " is not what its conversion made of " + backup
                               + ": it was changed since, and restoring would lose that; it is left as it is (with "
                                 "--force it is kept as p_edited.htm or the next free such name first)\n");
    EXPECT_EQ(ReadFile(page), edited);

    const Outcome forced = Run({"restore", "--force", "p.htm"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(forced.out, page + ": restored from " + backup + "; the page as it was is kept as "
                              + (folder / "p_edited.htm") + "\n");
    EXPECT_EQ(ReadFile(page), FlashPage);
    EXPECT_EQ(ReadFile(folder / "p_edited.htm"), edited);

    const Outcome again = Run({"restore", "p.htm"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, page + ": has the bytes of " + backup + " already; left as it is\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"p.htm", "p.js", "p_backup.htm", "p_edited.htm"}));
}

// restore -r undoes convert -r where there is something to undo, and
// --clean takes away what only the conversion needed; a script file that a
// page not restored still calls stays, as does one the user wrote.
TEST_F(CliTest, RestoreRecursivePassesOverPagesWithoutBackupAndCleansUp)
{
    const std::string b = "<head></head><object>b</object>";
    WriteTreeFile(folder / "site/a.htm", FlashPage);
    WriteTreeFile(folder / "site/x/a.htm", "<object>x</object>");
    WriteTreeFile(folder / "site/sub/b.htm", b);
    WriteTreeFile(folder / "site/c.htm", FlashPage);
    WriteTreeFile(folder / "site/js/own.js", "var mine = 1;\n");
    ASSERT_EQ(Run({"convert", "-r", "--exclude", "c.htm", "--script-dir", "site/js", "site"}).status, 0);
    const std::string xConverted = ReadFile(folder / "site/x/a.htm");

    const Outcome outcome = Run({"restore", "-r", "--clean", "--exclude", "x", "site"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string site = folder / "site";
    EXPECT_EQ(outcome.out, site + "/a.htm: restored from " + site + "/a_backup.htm\n" + site
                               + "/c.htm: no backup; left as it is\n" + site + "/sub/b.htm: restored from " + site
                               + "/sub/b_backup.htm\nremoved " + site + "/a_backup.htm\nremoved " + site
                               + "/sub/b_backup.htm\nremoved " + site + "/js/b.js\n");
    EXPECT_EQ(ReadFile(folder / "site/a.htm"), FlashPage);
    EXPECT_EQ(ReadFile(folder / "site/sub/b.htm"), b);
    EXPECT_EQ(ReadFile(folder / "site/x/a.htm"), xConverted);
    EXPECT_EQ(NamesIn(folder / "site/js"), (std::vector<std::string>{"a.js", "own.js"}));
    EXPECT_EQ(NamesIn(folder / "site/sub"), std::vector<std::string>{"b.htm"});

    const Outcome again = Run({"restore", "-r", "--clean", "--exclude", "x", "site"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, site + "/a.htm: no backup; left as it is\n" + site + "/c.htm: no backup; left as it is\n"
                             + site + "/sub/b.htm: no backup; left as it is\n");
}

// A restore killed at any moment leaves each page whole, old or new, and no
// file of its own behind.
TEST_F(CliShellTest, KilledRestoreLeavesEveryPageWholeAndNoTempFile)
{
    const std::string padding(16 * 1024, ' ');
    std::vector<std::string> pages;
    for (int page = 0; page < 300; ++page)
        pages.push_back("site/p" + std::to_string(page) + ".htm");
    for (const std::string& page : pages)
        WriteTreeFile(folder / page, "<object>" + page + "</object>" + padding);
    ASSERT_EQ(Run({"convert", "-r", "site"}).status, 0);
    std::map<std::string, std::string> converted;
    for (const std::string& page : pages)
        converted[page] = ReadFile(folder / page);
    const std::vector<std::string> names = NamesIn(folder / "site");

    for (int round = 0; round < 8; ++round) {
        testkit::StartedProgram run(SORVANE_CLI, {"restore", "-r", "site"}, folder.path(), testkit::NullDevice,
                                    testkit::NullDevice);
        std::this_thread::sleep_for(std::chrono::milliseconds(4 * round));
        run.Kill();
        run.Wait();
        for (const std::string& page : pages) {
            const std::string now = ReadFile(folder / page);
            EXPECT_TRUE(now == converted[page] || now == "<object>" + page + "</object>" + padding) << page;
        }
        EXPECT_EQ(NamesIn(folder / "site"), names) << "round " << round;
    }
    // Run to its end, over more pages than one group holds.
    EXPECT_EQ(Run({"restore", "-q", "-r", "site"}).status, 0);
    for (const std::string& page : pages)
        EXPECT_EQ(ReadFile(folder / page), "<object>" + page + "</object>" + padding);
}

TEST_F(CliTest, JsonNamesAPageWhoseNameIsNoUtf8SoThatItsBytesComeBack)
{
    const std::string name = "caf\xE9 \"x\".htm";
    WriteFile(folder / name, FlashPage);

    const Outcome outcome = Run({"convert", "--json", "-r", "."});

    ASSERT_EQ(outcome.status, 0) << outcome.err;
    WriteFile(output / "report.json", outcome.out);
    // Python's own JSON reader must take the line, and the file name must come
    // back byte for byte through os.fsencode.
    std::string hex;
    for (const unsigned char c : folder / name)
        hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    const std::string check =
        "python3 -c 'import json, os, sys; o = json.load(open(sys.argv[1], \"rb\"));"
        " sys.exit(0 if os.fsencode(o[\"path\"]) == bytes.fromhex(sys.argv[2]) and o[\"blocks\"] == 1 else 1)' "
        + ShellQuoted(output / "report.json") + " " + hex;
    EXPECT_EQ(std::system(check.c_str()), 0) << outcome.out;
}

// --json output is one JSON object per line that Python's reader takes; each
// row's condition is a Python expression over the object o.
struct JsonReportRow : testkit::NamedRow {
    std::vector<std::string_view> arguments;
    int status;
    std::string condition;
};

class CliJsonReport : public CliTest, public ::testing::WithParamInterface<JsonReportRow> {};

TEST_P(CliJsonReport, IsOneObjectThatHoldsTheOutcome)
{
    WriteFile(folder / "p.htm", FlashPage);
    WriteFile(folder / "caf\xE9 \"x\".swf",
              testmovie::MovieBytes({.version = 9, .stage = {-20, 10980, 0, 8000}, .frameRate = 0x1DF8}));

    const Outcome outcome = Run(GetParam().arguments);

    EXPECT_EQ(outcome.status, GetParam().status) << outcome.err;
    WriteFile(output / "report.json", outcome.out);
    const std::string check = "python3 -c " + ShellQuoted(R"(import json, sys
text = open(sys.argv[1], "rb").read()
o = json.loads(text)
sys.exit(0 if text.count(b"\n") == 1 and eval(sys.argv[2]) else 1))")
                              + " " + ShellQuoted(output / "report.json") + " " + ShellQuoted(GetParam().condition);
    EXPECT_EQ(std::system(check.c_str()), 0) << outcome.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliJsonReport,
    ::testing::Values(
        JsonReportRow{{"ConvertDryRunSaysSo"},
                      {"convert", "--dry-run", "--json", "p.htm"},
                      0,
                      R"(o["dry_run"] is True and o["blocks"] == 1)"},
        JsonReportRow{{"ConvertWithoutDryRunHasNoDryRunMember"},
                      {"convert", "--json", "p.htm"},
                      0,
                      R"("dry_run" not in o and o["blocks"] == 1 and o["script"].endswith("p.js"))"},
        JsonReportRow{{"DryRunErrorSaysSo"},
                      {"convert", "--dry-run", "--json", "gone.htm"},
                      1,
                      R"(o["dry_run"] is True and o["error"] and o["path"].endswith("/gone.htm"))"},
        JsonReportRow{{"InfoHeader"},
                      {"info", "--json", "caf\xE9 \"x\".swf"},
                      0,
                      R"(o == {"path": "caf\udce9 \"x\".swf", "signature": "FWS", "compression": "uncompressed",)"
                      R"( "version": 9, "file_length": o["file_length"], "stage_x_min": -20, "stage_x_max": 10980,)"
                      R"( "stage_y_min": 0, "stage_y_max": 8000, "stage_width": 550, "stage_height": 400,)"
                      R"( "frame_rate": 29.96875, "frame_count": o["frame_count"], "actionscript": "AVM1",)"
                      R"( "language": o["language"], "error": None})"},
        JsonReportRow{{"InfoError"},
                      {"info", "--json", "gone.swf"},
                      1,
                      R"(o == {"path": "gone.swf", "error": "no movie file 'gone.swf'"})"},
        JsonReportRow{{"GenerateSnippet"},
                      {"generate", "--json", "caf\xE9 \"x\".swf"},
                      0,
                      R"(o["script"].endswith("caf\udce9 \"x\".js") and o["snippet"].count("\r\n") == 16)"
                      R"( and not o["snippet"].endswith("\n") and 'width="550"' in o["snippet"])"
                      R"( and o["player"] is None and o["player_files_copied"] == 0 and o["error"] is None)"},
        JsonReportRow{{"GenerateError"},
                      {"generate", "--json", "gone.swf"},
                      1,
                      R"(o == {"path": "gone.swf", "error": "no movie file 'gone.swf'"})"}),
    testkit::RowName<JsonReportRow>);

// ------------------------------------------------------------ names from a list --

// Pages whose names the shell cannot pass whole through a line-based list.
const std::vector<std::string> ListedPages = {"a b.htm", "new\nline.htm", "caf\xE9.htm", "plain.htm"};

struct FilesFromRow : testkit::NamedRow {
    std::string list;  // the bytes of list.txt
    std::string_view setUp;
    std::vector<std::string_view> arguments;
    std::vector<std::string> converted;  // of ListedPages; the others stay as they were
};

class CliFilesFrom : public CliShellTest, public ::testing::WithParamInterface<FilesFromRow> {};

TEST_P(CliFilesFrom, ConvertsThePagesNamedAndNoOther)
{
    for (const std::string& page : ListedPages)
        WriteFile(folder / page, FlashPage);
    WriteFile(folder / "list.txt", GetParam().list);

    const Outcome outcome = RunInShell(GetParam().arguments, GetParam().setUp);

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    for (const std::string& page : ListedPages)
        EXPECT_EQ(ReadFile(folder / page) != FlashPage, std::ranges::count(GetParam().converted, page) == 1) << page;
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFilesFrom,
                         ::testing::Values(FilesFromRow{{"NulSeparatedFromStandardInput"},
                                                        "",
                                                        "printf 'a b.htm\\000new\\nline.htm\\000caf\\351.htm\\000' |",
                                                        {"convert", "--files-from", "-", "-0"},
                                                        {"a b.htm", "new\nline.htm", "caf\xE9.htm"}},
                                           FilesFromRow{{"NulSeparatedFileWithoutTheLastNul"},
                                                        "new\nline.htm\0\0caf\xE9.htm"s,
                                                        "",
                                                        {"convert", "--null", "--files-from=list.txt"},
                                                        {"new\nline.htm", "caf\xE9.htm"}},
                                           FilesFromRow{{"LinesJoinTheArgumentsAndEmptyOnesAreSkipped"},
                                                        "a b.htm\n\ncaf\xE9.htm\n",
                                                        "",
                                                        {"convert", "--files-from", "list.txt", "plain.htm"},
                                                        {"a b.htm", "caf\xE9.htm", "plain.htm"}},
                                           FilesFromRow{{"LinesFromStandardInputWithAFolderUnderRecursive"},
                                                        "",
                                                        "echo . |",
                                                        {"convert", "-r", "--files-from=-"},
                                                        ListedPages}),
                         testkit::RowName<FilesFromRow>);

// The list names the pages to restore as it named them to convert; one that
// cannot be read is told with the system's reason and nothing is done.
TEST_F(CliShellTest, FilesFromNamesThePagesToRestoreAndAnUnreadableListIsTold)
{
    for (const std::string& page : ListedPages)
        WriteFile(folder / page, FlashPage);
    WriteFile(folder / "list.txt", "new\nline.htm\0caf\xE9.htm\0"s);
    ASSERT_EQ(Run({"convert", "-0", "--files-from", "list.txt"}).status, 0);

    const Outcome missing = Run({"restore", "-0", "--files-from", "gone.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "sorvane-cli: Cannot open file gone.txt: No such file or directory\n");
    const Outcome folderList = Run({"restore", "--files-from", "."});
    EXPECT_EQ(folderList.status, 1);
    EXPECT_EQ(folderList.err, "sorvane-cli: Cannot open file .: Is a directory\n");
    EXPECT_NE(ReadFile(folder / "new\nline.htm"), FlashPage);

    const Outcome restored = RunInShell({"restore", "-q", "-0", "--files-from", "-"}, "cat list.txt |");
    EXPECT_EQ(restored.status, 0) << restored.err;
    for (const std::string& page : ListedPages)
        EXPECT_EQ(ReadFile(folder / page), FlashPage) << page;

    const Outcome empty = Run({"restore", "--files-from", "/dev/null"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.err, "sorvane-cli: no pages named in /dev/null\n");
}

// Every file and folder under root with its bytes (or link target), mode,
// size and modification time: what a run that writes nothing leaves alike.
std::string TreeSnapshot(const fs::path& root)
{
    std::ostringstream snapshot;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        snapshot << entry.path().string() << ' ' << info.st_mode << ' ' << info.st_size << ' ' << info.st_mtim.tv_sec
                 << '.' << info.st_mtim.tv_nsec << ' ' << info.st_ino << '\n';
        if (entry.is_symlink())
            snapshot << fs::read_symlink(entry.path()).string() << '\n';
        else if (entry.is_regular_file())
            snapshot << ReadFile(entry.path()) << '\n';
    }
    return snapshot.str();
}

// A small site: two pages with movies, one without, a script file that
// exists already, a backup of an earlier run.
void WriteSite(const testkit::TempFolder& folder)
{
    WriteTreeFile(folder / "site/a.htm", FlashPage);
    WriteTreeFile(folder / "site/a_backup.htm", "earlier");
    WriteTreeFile(folder / "site/sub/b.htm",
                  "<html>\r\n<head>\r\n<title>b</title>\r\n</head>\r\n<body>\r\n<p>1</p>\r\n<p>2</p>\r\n"
                  "<p>3</p>\r\n<p>4</p>\r\n<object data=\"b.swf\">\r\n<param name=\"x\" value='y'>\r\n</object>\r\n"
                  "<p>5</p>\r\n</body>\r\n</html>");
    WriteTreeFile(folder / "site/sub/b.js", "// old script\r\nfunction displaySWF_7() { }\r\n");
    WriteTreeFile(folder / "site/plain.htm", "<p>no movie</p>\n");
}

TEST_F(CliTest, DryRunReportsEveryPageAndWritesNothing)
{
    WriteSite(folder);
    fs::permissions(folder / "site/sub/b.htm", fs::perms::owner_read | fs::perms::owner_write);
    const std::string before = TreeSnapshot(folder.path());

    const Outcome outcome = Run({"convert", "--dry-run", "-r", "site"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(TreeSnapshot(folder.path()), before);
    const std::string site = folder / "site";
    EXPECT_EQ(outcome.out, site + "/a.htm: 1 block would be converted; would replace " + site + "/a.htm; would create "
                               + site + "/a.js; would create " + site + "/a_backup1.htm\n" + site
                               + "/plain.htm: no blocks; left unchanged\n" + site
                               + "/sub/b.htm: 1 block would be converted; would replace " + site
                               + "/sub/b.htm; would replace " + site + "/sub/b.js; would create " + site
                               + "/sub/b_backup.htm\n");
}

TEST_F(CliTest, DiffIsWhatDiffUPrintsForThePagesAndScriptsTheConversionWrites)
{
    WriteSite(folder);
    fs::create_directory(folder / "before");
    fs::copy(folder / "site", folder / "before/site", fs::copy_options::recursive);
    const std::string before = TreeSnapshot(folder / "site");

    const Outcome diff = Run({"convert", "--diff", "-r", "site"});

    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(TreeSnapshot(folder / "site"), before) << "--diff writes nothing";
    ASSERT_EQ(Run({"convert", "--no-backup", "-r", "site"}).status, 0);
    for (const char* file : {"site/a.htm", "site/plain.htm", "site/sub/b.htm", "site/a.js", "site/sub/b.js"}) {
        const fs::path earlier = folder.path() / "before" / file;
        const std::string old = fs::exists(earlier) ? earlier.string() : "/dev/null";
        const std::string command = "diff -u --label a/" + std::string(file) + " --label b/" + file + " "
                                    + ShellQuoted(old) + " " + ShellQuoted(folder / file) + " >>"
                                    + ShellQuoted(output / "expected");
        ASSERT_LE(WEXITSTATUS(std::system(command.c_str())), 1) << command;
    }
    // diff ends a name with a tab before its time; --label leaves it out.
    const std::string expected = std::regex_replace(
        ReadFile(output / "expected"), std::regex("^(---|\\+\\+\\+) (.*)$", std::regex::multiline), "$1 $2\t");
    EXPECT_EQ(diff.out, expected);
}

// Names with blanks, tabs, quotes, backslashes and line ends: patch -p1 of
// the diff makes exactly the tree that the conversion makes.
TEST_F(CliTest, DiffAppliedWithPatchGivesTheConvertedTree)
{
    for (const std::string name : {"sp ace", "ta\tb", "quo\"te", "back\\slash", "new\nline", "plain"})
        WriteTreeFile(folder / ("site/" + name + ".htm"), "<head></head><object>" + name + "</object>\n");
    fs::create_directory(folder / "patched");
    fs::copy(folder / "site", folder / "patched/site", fs::copy_options::recursive);

    const Outcome diff = Run({"convert", "--diff", "-r", "site"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    WriteFile(output / "changes.diff", diff.out);
    ASSERT_EQ(Run({"convert", "--no-backup", "-r", "site"}).status, 0);
    const std::string patch = "cd " + ShellQuoted(folder / "patched") + " && patch -s -p1 <"
                              + ShellQuoted(output / "changes.diff");

    ASSERT_EQ(std::system(patch.c_str()), 0);
    std::map<std::string, std::string> expected, patched;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "site"))
        expected[entry.path().filename().string()] = ReadFile(entry.path());
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "patched/site"))
        patched[entry.path().filename().string()] = ReadFile(entry.path());
    EXPECT_EQ(patched, expected);
}

// A link with a page's name is never written through: the page it leads to
// is converted under its own name when it is a page of the tree; a link out
// of the tree, to a file that is no page, or to nothing is left alone.
TEST_F(CliTest, RecursiveWritesThroughNoLinkAndSaysWhy)
{
    WriteTreeFile(folder / "o/passwd", "root:x:0:0\n");
    WriteTreeFile(folder / "s/a.htm", FlashPage);
    WriteTreeFile(folder / "s/notes.txt", FlashPage);
    WriteTreeFile(folder / "s/sub/draft.htm", FlashPage);
    fs::create_symlink("../o/passwd", folder / "s/pw.htm");
    fs::create_symlink("../a.htm", folder / "s/sub/same.htm");
    fs::create_symlink("notes.txt", folder / "s/notes.htm");
    fs::create_symlink("sub/draft.htm", folder / "s/draft.htm");
    fs::create_symlink("nothing.htm", folder / "s/missing.htm");
    const std::string outside = TreeSnapshot(folder / "o");

    const Outcome outcome = Run({"convert", "-r", "--exclude", "sub/draft.htm", "s"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string s = folder / "s";
    EXPECT_EQ(outcome.out, s + "/draft.htm: skipped: link to " + s + "/sub/draft.htm, which is no page of the tree\n"
                               + s + "/missing.htm: skipped: link that leads to no file ("
                               + std::generic_category().message(ENOENT) + ")\n" + s + "/notes.htm: skipped: link to "
                               + s + "/notes.txt, which is no page of the tree\n" + s
                               + "/pw.htm: skipped: link out of s, to " + folder / "o/passwd" + "\n" + s
                               + "/sub/same.htm: skipped: link to " + s + "/a.htm, converted as that page\n" + s
                               + "/a.htm: 1 block converted; script " + s + "/a.js; backup " + s + "/a_backup.htm\n");
    EXPECT_EQ(TreeSnapshot(folder / "o"), outside);
    EXPECT_EQ(ReadFile(folder / "s/notes.txt"), FlashPage);
    EXPECT_EQ(ReadFile(folder / "s/sub/draft.htm"), FlashPage);
    EXPECT_EQ(fs::read_symlink(folder / "s/sub/same.htm"), "../a.htm");
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder / "s"))
        names.push_back(entry.path().lexically_relative(folder / "s").string());
    std::ranges::sort(names);
    EXPECT_EQ(names, (std::vector<std::string>{"a.htm", "a.js", "a_backup.htm", "draft.htm", "missing.htm", "notes.htm",
                                               "notes.txt", "pw.htm", "sub", "sub/draft.htm", "sub/same.htm"}));

    // restore -r passes over the same links, with the same reasons.
    const Outcome restored = Run({"restore", "-r", "--exclude", "sub/draft.htm", "s"});
    const Outcome json = Run({"restore", "-r", "--json", "--exclude", "sub/draft.htm", "s"});

    EXPECT_EQ(restored.status, 0) << restored.err;
    std::string skippedLines = outcome.out.substr(0, outcome.out.find(s + "/a.htm: 1 block"));
    skippedLines.replace(skippedLines.find(", converted as"), 14, ", restored as");
    EXPECT_EQ(restored.out, skippedLines + s + "/a.htm: restored from " + s + "/a_backup.htm\n");
    EXPECT_EQ(ReadFile(folder / "s/a.htm"), FlashPage);
    EXPECT_EQ(TreeSnapshot(folder / "o"), outside);
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(R"({"path":")" + s
                            + R"(/pw.htm","blocks":null,"script":null,"backup":null,"error":null,)"
                              R"("note":"skipped: link out of s, to )"
                            + folder / "o/passwd" + "\"}\n"),
              std::string::npos)
        << json.out;
}

// A script file of the tree that is a link is written through only while
// it stays in the tree: one that leads out leaves its page as it is, in a
// dry run too. A script folder the user names out of the tree is theirs.
struct ScriptLinkRow : testkit::NamedRow {
    std::string link;                     // s/a.js leads there ("" for no link)
    std::vector<std::string_view> extra;  // more arguments
    bool refused;
};

class CliScriptLink : public CliTest, public ::testing::WithParamInterface<ScriptLinkRow> {};

TEST_P(CliScriptLink, OutOfTheTreeIsNeverWrittenThrough)
{
    WriteTreeFile(folder / "o/secret", "SECRET\n");
    WriteTreeFile(folder / "s/a.htm", FlashPage);
    WriteTreeFile(folder / "s/sub/b.js", "");
    fs::create_symlink("../../o/secret", folder / "s/sub/hop.js");
    if (!GetParam().link.empty())
        fs::create_symlink(GetParam().link, folder / "s/a.js");
    const std::string outside = TreeSnapshot(folder / "o");
    std::vector<std::string_view> arguments{"convert", "-r"};
    arguments.insert(arguments.end(), GetParam().extra.begin(), GetParam().extra.end());
    arguments.push_back("s");

    const Outcome outcome = Run(arguments);

    if (GetParam().refused) {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.err.find(folder / "s/a.htm" + " is left as it is: its script file " + folder / "s/a.js"
                                   + " is a symbolic link out of " + folder / "s"),
                  std::string::npos)
            << outcome.err;
        EXPECT_EQ(ReadFile(folder / "s/a.htm"), FlashPage);
        EXPECT_FALSE(fs::exists(folder / "s/a_backup.htm"));
        EXPECT_EQ(TreeSnapshot(folder / "o"), outside);
    } else {
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(ReadFile(folder / "o/secret"), "SECRET\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, CliScriptLink,
                         ::testing::Values(ScriptLinkRow{{"ToAFileOutside"}, "../o/secret", {}, true},
                                           ScriptLinkRow{{"ToANewFileOutside"}, "../o/new.js", {}, true},
                                           ScriptLinkRow{{"ThroughALinkOfTheTree"}, "sub/hop.js", {}, true},
                                           ScriptLinkRow{{"InADryRun"}, "../o/secret", {"--dry-run"}, true},
                                           ScriptLinkRow{{"ToAFileOfTheTree"}, "sub/b.js", {}, false},
                                           ScriptLinkRow{
                                               {"InAScriptFolderChosenOutside"}, "", {"--script-dir", "o"}, false}),
                         testkit::RowName<ScriptLinkRow>);

// A page with no block to convert gets nothing: no include, no script file,
// no backup. So a second run over a converted site writes nothing at all.
TEST_F(CliTest, PagesWithoutBlocksAreLeftAloneSoASecondRunChangesNothing)
{
    WriteSite(folder);
    std::map<std::string, std::string> originals;
    for (const char* page : {"site/a.htm", "site/plain.htm", "site/sub/b.htm"})
        originals[page] = ReadFile(folder / page);
    const std::string plain = ReadFile(folder / "site/plain.htm");
    ASSERT_EQ(Run({"convert", "-r", "site"}).status, 0);
    EXPECT_EQ(ReadFile(folder / "site/plain.htm"), plain);
    EXPECT_FALSE(fs::exists(folder / "site/plain.js"));
    EXPECT_FALSE(fs::exists(folder / "site/plain_backup.htm"));
    const std::string converted = TreeSnapshot(folder.path());

    const Outcome again = Run({"convert", "-r", "--json", "site"});

    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(TreeSnapshot(folder.path()), converted);
    std::string expected;
    for (const char* page : {"/a.htm", "/plain.htm", "/sub/b.htm"})
        expected += R"({"path":")" + folder / "site" + page
                    + R"(","blocks":0,"script":null,"backup":null,"error":null,"note":"no blocks; left unchanged"})"
                      "\n";
    EXPECT_EQ(again.out, expected);

    const Outcome restore = Run({"restore", "-r", "site"});
    EXPECT_EQ(restore.status, 0) << restore.err;
    for (const auto& [page, original] : originals)
        EXPECT_EQ(ReadFile(folder / page), original) << page;
}

// Pages deeper than the longest path the system takes cannot be opened by
// their names: the run says so and fails. The search goes down any depth
// without a call per folder level (a sanitizer's stack is soon full).
TEST_F(CliTest, TreeDeeperThanTheLongestPathIsReportedNotPassedOver)
{
    WriteTreeFile(folder / "deep/top.htm", FlashPage);
    // Made folder by folder, each relative to the one above it.
    int above = ::open((folder / "deep").c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 3000 && above >= 0; ++level) {
        const int made = ::mkdirat(above, "d", 0755);
        const int below = made == 0 ? ::openat(above, "d", O_RDONLY | O_DIRECTORY) : -1;
        ::close(above);
        above = below;
    }
    ASSERT_GE(above, 0) << "cannot make the tree";
    const int page = ::openat(above, "p.htm", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(page, FlashPage.data(), FlashPage.size()), static_cast<ssize_t>(FlashPage.size()));
    ::close(page);
    ::close(above);

    const Outcome outcome = Run({"convert", "--no-backup", "-r", "deep"});
    // Removed from the top, a level at a time: a removal that goes down to
    // the bottom first would stop at the longest path, or take seconds.
    const fs::path deep = folder.path() / "deep";
    while (fs::exists(deep / "d")) {
        std::error_code atTheBottom;
        fs::rename(deep / "d/d", deep / "below", atTheBottom);
        fs::remove_all(deep / "d");
        if (!atTheBottom)
            fs::rename(deep / "below", deep / "d");
    }

    EXPECT_EQ(outcome.status, 1);
    const std::string reason = ": " + std::generic_category().message(ENAMETOOLONG) + "\n";
    EXPECT_TRUE(outcome.err.ends_with(reason))
        << outcome.err.substr(outcome.err.size() - std::min<std::size_t>(200, outcome.err.size()));
    EXPECT_NE(ReadFile(folder / "deep/top.htm"), FlashPage) << "the pages above are converted";
}

// A run that backs a page up and then cannot write its script file leaves
// the page as it was, and no backup: an unchanged copy would only clutter.
TEST_F(CliShellTest, BackupIsRemovedWhenTheScriptCannotBeWritten)
{
    const std::string page = "<object>" + std::string(64 * 1024, 'm') + "</object>";
    WriteFile(folder / "a.htm", page);

    const Outcome outcome = RunInShell({"convert", "a.htm"}, "trap '' XFSZ; ulimit -f 16;");

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: Cannot create file " + folder / "a.js" + ": "
                               + std::generic_category().message(EFBIG) + "\n");
    EXPECT_EQ(ReadFile(folder / "a.htm"), page);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.htm"});
}
#endif

struct UsageRow : testkit::NamedRow {
    std::vector<std::string_view> arguments;
    std::string_view message;
};

class CliUsage : public CliTest, public ::testing::WithParamInterface<UsageRow> {};

// A message about a command's arguments names the command and points at its
// help; one about the command itself points at the tool's.
TEST_P(CliUsage, IsRefusedWithStatusTwoAndNothingWritten)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    const Outcome outcome = Run(GetParam().arguments);
    const std::string message(GetParam().message);
    const std::vector<std::string_view>& arguments = GetParam().arguments;
    const bool aboutCommand = !arguments.empty() && message.starts_with(std::string(arguments[0]) + ": ");
    const std::string help = aboutCommand ? "sorvane-cli " + std::string(arguments[0]) : "sorvane-cli";
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "sorvane-cli: " + message + "\nTry '" + help + " --help' for more information.\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.htm"});
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliUsage,
    ::testing::Values(
        UsageRow{{"NoCommand"}, {}, "no command given"},
        UsageRow{{"UnknownCommand"}, {"frobnicate", "a.htm"}, "unknown command 'frobnicate'"},
        UsageRow{{"UnknownOption"}, {"convert", "--bogus", "a.htm"}, "convert: unknown option '--bogus'"},
        UsageRow{{"UnknownShortOptionInABundle"}, {"convert", "-rx", "a.htm"}, "convert: unknown option '-x'"},
        UsageRow{{"NoPage"}, {"convert", "--no-backup"}, "convert: no page given"},
        UsageRow{{"ScriptDirWithoutFolder"},
                 {"convert", "a.htm", "--script-dir"},
                 "convert: option '--script-dir' needs a folder"},
        UsageRow{
            {"EmptyScriptDir"}, {"convert", "--script-dir=", "a.htm"}, "convert: option '--script-dir' needs a folder"},
        UsageRow{
            {"EmptyExclude"}, {"convert", "-r", "--exclude=", "a.htm"}, "convert: option '--exclude' needs a pattern"},
        UsageRow{{"BadQuality"},
                 {"generate", "--quality", "Medium", "a.htm"},
                 "generate: quality must be best, high or low, not 'Medium'"},
        UsageRow{{"NoMovie"}, {"generate", "--width=5"}, "generate: no movie given"},
        UsageRow{{"PlayerWithoutValue"}, {"convert", "a.htm", "--player"}, "convert: option '--player' needs a value"},
        UsageRow{{"PlayerFolderWithoutBundledPlayer"},
                 {"convert", "--player-dir", "p", "a.htm"},
                 "convert: option '--player-dir' goes with '--player bundled'"},
        UsageRow{{"DryRunAndDiff"},
                 {"convert", "--dry-run", "--diff", "a.htm"},
                 "convert: options '--dry-run' and '--diff' cannot be used together"},
        UsageRow{{"DiffAsJson"},
                 {"convert", "--diff", "--json", "a.htm"},
                 "convert: options '--diff' and '--json' cannot be used together"},
        UsageRow{{"ExcludeWithoutRecursive"},
                 {"convert", "--exclude=*.htm", "a.htm"},
                 "convert: option '--exclude' needs '--recursive'"},
        UsageRow{{"RestoreWithoutPage"}, {"restore", "-q"}, "restore: no page given"},
        UsageRow{{"NullWithoutFilesFrom"}, {"convert", "-0", "a.htm"}, "convert: option '--null' needs '--files-from'"},
        UsageRow{
            {"EmptyFilesFrom"}, {"restore", "--files-from=", "a.htm"}, "restore: option '--files-from' needs a file"},
        UsageRow{{"FilesFromWithoutFile"}, {"convert", "--files-from"}, "convert: option '--files-from' needs a file"},
        UsageRow{{"InfoWithoutMovie"}, {"info"}, "info: no movie given"},
        UsageRow{{"InfoOnTwoMovies"}, {"info", "a.htm", "b.swf"}, "info: only one movie can be given"},
        UsageRow{
            {"SecondMovieAfterOptionsEnd"}, {"info", "--", "a.htm", "-b.swf"}, "info: only one movie can be given"},
        UsageRow{{"InfoOption"}, {"info", "--width=5", "a.htm"}, "info: unknown option '--width=5'"},
        UsageRow{{"TwoMovies"}, {"generate", "a.htm", "b.swf"}, "generate: only one movie can be given"},
        UsageRow{{"SizeWithoutValue"}, {"generate", "a.htm", "--height"}, "generate: option '--height' needs a value"},
        UsageRow{
            {"UnknownGenerateOption"}, {"generate", "--no-backup", "a.htm"}, "generate: unknown option '--no-backup'"}),
    testkit::RowName<UsageRow>);

}  // namespace
}  // namespace sorvane
