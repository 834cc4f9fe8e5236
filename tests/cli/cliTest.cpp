#include "converterInternals.h"
#include "converterTestKit.h"
#include "embedCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// Longer than a file system allows for one name.
const std::string LongName(300, 'n');

struct Outcome {
    int status;
    std::string out, err;
};

std::string ShellQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliTest : public ::testing::Test {
protected:
    // Runs sorvane-cli with the arguments, in the scratch folder, after the
    // shell commands in setUp (limits such as ulimit), with standard output
    // going where stdoutTo says (a file read back as out by default).
    Outcome Run(const std::vector<std::string_view>& arguments, std::string_view setUp = "",
                std::string stdoutTo = "")
    {
        if (stdoutTo.empty()) stdoutTo = ">" + ShellQuoted(output / "out");
        WriteFile(output.path() / "out", "");
        std::string command = "cd " + ShellQuoted(folder.path().string()) + " && " + std::string(setUp) + " "
                              + "timeout 60 " + ShellQuoted(SORVANE_CLI);
        for (const std::string_view argument : arguments) command += " " + ShellQuoted(argument);
        command += " " + stdoutTo + " 2>" + ShellQuoted(output / "err");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(output.path() / "out"),
                ReadFile(output.path() / "err")};
    }

    // Starts sorvane-cli with the arguments in the scratch folder and returns
    // at once; its output is dropped.
    pid_t Start(const std::vector<std::string>& arguments)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            const int devNull = ::open("/dev/null", O_WRONLY);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
            if (::chdir(folder.path().c_str()) != 0) ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(SORVANE_CLI)};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(SORVANE_CLI, argv.data());
            ::_exit(127);
        }
        return child;
    }

    testing::TempFolder folder;
    testing::TempFolder output;
};

int ExitStatusOf(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsRunning(pid_t child) { return ::waitpid(child, nullptr, WNOHANG) == 0; }

// The markup of the function a converted page calls, as its script file
// defines it; "" when the page calls none or the script lacks it (or has
// it twice).
std::string MovieShownBy(const std::string& page, const std::string& script)
{
    std::smatch call;
    const std::string pageText = ReadFile(page);
    if (!std::regex_search(pageText, call, std::regex(R"( (displaySWF_\d+)\(\); )"))) return "";
    const std::string scriptText = ReadFile(script);
    const std::regex definition("function " + call[1].str() + R"(\(\) \{ document.write\('([^']*)'\); \})");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(scriptText.begin(), scriptText.end(), definition); it != std::sregex_iterator();
         ++it)
        found.push_back((*it)[1].str());
    return found.size() == 1 ? found.front() : "";
}

// A child process that holds the lock of a script file until it is told to
// let go, standing in for another program converting into that script.
class ScriptLockHolder {
public:
    explicit ScriptLockHolder(const std::string& scriptPath)
    {
        int locked[2], letGo[2];
        if (::pipe2(locked, O_CLOEXEC) != 0 || ::pipe2(letGo, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        child_ = ::fork();
        if (child_ == 0) {
            ::close(letGo[1]);  // so that the parent's close is the end of the pipe
            sorvane::detail::FolderLock lock;
            (void)sorvane::detail::LockScript(lock, scriptPath, true);
            char byte = 'l';
            (void)!::write(locked[1], &byte, 1);
            (void)!::read(letGo[0], &byte, 1);
            ::_exit(0);
        }
        char byte = 0;
        (void)!::read(locked[0], &byte, 1);
        letGo_ = letGo[1];
        ::close(locked[0]);
        ::close(locked[1]);
        ::close(letGo[0]);
    }
    ~ScriptLockHolder() { LetGo(); }

    void LetGo()
    {
        if (letGo_ < 0) return;
        ::close(letGo_);
        letGo_ = -1;
        ExitStatusOf(child_);
    }

private:
    pid_t child_ = -1;
    int letGo_ = -1;
};

// ------------------------------------------------------------- golden pages --

class CliGoldenPage : public CliTest, public ::testing::WithParamInterface<testing::GoldenCase> {};

TEST_P(CliGoldenPage, ConvertsToTheExpectedPageAndScript)
{
    fs::copy_file(GetParam().folder / "page.htm", folder.path() / "page.htm");
    const Outcome outcome = Run({"convert", "--no-backup", "page.htm"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFile(folder / "page.htm"), ReadFile(GetParam().folder / "expected.htm"));
    EXPECT_EQ(ReadFile(folder / "page.js"), ReadFile(GetParam().folder / "expected.js"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"page.htm", "page.js"}));
}

INSTANTIATE_TEST_SUITE_P(Golden, CliGoldenPage, ::testing::ValuesIn(testing::GoldenCases()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

// ------------------------------------------------------------------ convert --

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
    for (const char* name : {"a", "b", "js"}) fs::create_directory(folder.path() / name);
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

TEST_F(CliTest, SamePageTwiceInOneCallIsConvertedTwice)
{
    WriteFile(folder / "a.htm", "<head></head><object>1</object>");
    const Outcome outcome = Run({"convert", "--no-backup", "a.htm", "a.htm"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find(": 0 blocks converted"), std::string::npos) << outcome.out;
    const std::string page = ReadFile(folder / "a.htm");
    const std::string include = "src=\"a.js\"";
    EXPECT_NE(page.find(include, page.find(include) + 1), std::string::npos) << "two includes: " << page;
    EXPECT_NE(page.find("displaySWF_1();"), std::string::npos);
}

// Two programs converting into one script file: the second waits for the
// first and numbers on, so both pages keep their own movies.
TEST_F(CliTest, ConversionsIntoOneScriptFileWaitForEachOther)
{
    for (const char* name : {"a", "b", "js"}) fs::create_directory(folder.path() / name);
    WriteFile(folder / "a/index.htm", "<object>movie-a</object>");
    WriteFile(folder / "b/index.htm", "<object>movie-b</object>");
    ScriptLockHolder otherProgram(folder / "js/index.js");

    const pid_t first = Start({"convert", "--script-dir", "js", "a/index.htm"});
    const pid_t second = Start({"convert", "--script-dir", "js", "b/index.htm"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(IsRunning(first)) << "writes the script while another program holds it";
    EXPECT_TRUE(IsRunning(second));
    otherProgram.LetGo();

    EXPECT_EQ(ExitStatusOf(first), 0);
    EXPECT_EQ(ExitStatusOf(second), 0);
    EXPECT_EQ(MovieShownBy(folder / "a/index.htm", folder / "js/index.js"), "<object>movie-a</object>");
    EXPECT_EQ(MovieShownBy(folder / "b/index.htm", folder / "js/index.js"), "<object>movie-b</object>");
}

// A run never waits for a lock while it holds others: the pages before are
// finished first, so two runs that want each other's script files go on.
TEST_F(CliTest, WaitingForAScriptFinishesThePagesBefore)
{
    for (const char* name : {"a", "b"}) fs::create_directory(folder.path() / name);
    WriteFile(folder / "a/a.htm", "<object>a</object>");
    WriteFile(folder / "b/b.htm", "<object>b</object>");
    ScriptLockHolder otherProgram(folder / "b/b.js");

    const pid_t run = Start({"convert", "--no-backup", "a/a.htm", "b/b.htm"});
    bool aConverted = false;
    for (int i = 0; i < 100 && !aConverted; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        aConverted = ReadFile(folder / "a/a.htm").find("displaySWF_1();") != std::string::npos;
    }
    EXPECT_TRUE(aConverted);
    EXPECT_TRUE(IsRunning(run));
    otherProgram.LetGo();
    EXPECT_EQ(ExitStatusOf(run), 0);
    EXPECT_NE(ReadFile(folder / "b/b.htm").find("displaySWF_2();"), std::string::npos);
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
struct SpecialFileRow : testing::NamedRow {
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

INSTANTIATE_TEST_SUITE_P(Cli, CliSpecialFile, ::testing::Values(
    SpecialFileRow{{"FifoPage"}, "fifo.htm", "fifo.htm", "Cannot open file {}/fifo.htm: Not a regular file"},
    SpecialFileRow{{"FifoScript"}, "p.htm", "p.js", "Cannot open file {}/p.js: Not a regular file"}),
    testing::RowName<SpecialFileRow>);

TEST_F(CliTest, FailingPageIsReportedAndTheNextOneConverted)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    WriteFile(folder / "b.htm", "<object>2</object>");
    WriteFile(folder / "index.js", "<object>0</object>");  // would be its own script file

    const Outcome outcome = Run({"convert", "--no-backup", "a.htm", "missing.htm", "index.js", "b.htm"});

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: Cannot open file " + folder / "missing.htm"
                               + ": No such file or directory"
                               + "\nsorvane-cli: The page and the script file are the same file: "
                               + folder / "index.js" + "\n");
    EXPECT_NE(ReadFile(folder / "b.htm").find("displaySWF_2();"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "index.js"), "<object>0</object>");
    EXPECT_EQ(std::ranges::count(outcome.out, '\n'), 2);
}

TEST_F(CliTest, ScriptFolderTakesTheScriptsAndRelativePathsWork)
{
    fs::create_directories(folder.path() / "site/pages");
    fs::create_directories(folder.path() / "site/js");
    WriteFile(folder / "site/pages/a.htm", "<head></head>");
    WriteFile(folder / "site/pages/b.htm", "<head></head>");

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "site/js/", "site/pages/a.htm",
                                 "--script-dir=./site/pages/../js", "site/pages/b.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::exists(folder / "site/js/a.js"));
    EXPECT_TRUE(fs::exists(folder / "site/js/b.js"));
    EXPECT_NE(outcome.out.find("script " + folder / "site/js/a.js" + ";"), std::string::npos);
    for (const char* page : {"site/pages/a.htm", "site/pages/b.htm"})
        EXPECT_NE(ReadFile(folder / page).find("src=\"../js/"), std::string::npos) << page;
}

// ----------------------------------------------------------------- generate --

TEST_F(CliTest, GeneratePrintsExactlyTheSnippetAndWritesTheScript)
{
    WriteFile(folder / "intro.swf", "FWS");
    const Outcome outcome = Run({"generate", "--width", "550", "--height=400", "intro.swf"});
    const std::string script = ReadFile(folder / "intro.js");

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const EmbedCodeResult expected = GenerateEmbedCode(folder / "intro.swf", "550", "400", "intro", "best");
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
    EXPECT_EQ(defaults.out, GenerateEmbedCode(folder / "intro.swf", "", "", "intro", "best").snippet);

    const Outcome doubtful = Run({"generate", "--width", " 5", "--height", "4px", "--name=", "--quality=High",
                                  "intro.swf"});
    EXPECT_EQ(doubtful.status, 0);
    EXPECT_EQ(doubtful.err, "sorvane-cli: warning: the name/id is blank\n"
                            "sorvane-cli: warning: the width should contain numbers and % sign only\n"
                            "sorvane-cli: warning: the height should contain numbers and % sign only\n");
    EXPECT_EQ(doubtful.out, GenerateEmbedCode(folder / "intro.swf", " 5", "4px", "", "high").snippet);
}

TEST_F(CliTest, GenerateFailureIsReportedWithStatusOneAndNoSnippet)
{
    WriteFile(folder / "intro.swf", "FWS");
    fs::create_directory(folder.path() / "intro.js");  // a folder is never replaced by the script

    const Outcome unwritable = Run({"generate", "--width=1", "--height=1", "intro.swf"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.out, "");
    EXPECT_EQ(unwritable.err, "sorvane-cli: Cannot create file intro.js: Is a directory\n");
    EXPECT_TRUE(fs::is_directory(folder.path() / "intro.js"));

    const Outcome missing = Run({"generate", "--width=1", "--height=1", "gone.swf"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "sorvane-cli: no movie file 'gone.swf'\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"intro.js", "intro.swf"}));
}

// A movie named like its script, or reached through a link of that name,
// would be replaced by its own script.
TEST_F(CliTest, GenerateRefusesAScriptPathThatLeadsToTheMovie)
{
    WriteFile(folder / "m.js", "FWS movie named m.js");
    WriteFile(folder / "n.swf", "FWS movie n");
    fs::create_symlink("n.swf", folder.path() / "n.js");

    for (const char* movie : {"m.js", "n.swf"}) {
        const Outcome outcome = Run({"generate", "--width=1", "--height=1", movie});
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
struct LostOutputRow : testing::NamedRow {
    std::vector<std::string_view> arguments;
    std::string stdoutTo;
    std::string reason;
};

class CliLostOutput : public CliTest, public ::testing::WithParamInterface<LostOutputRow> {};

TEST_P(CliLostOutput, FailsWithTheReason)
{
    WriteFile(folder / "intro.swf", "FWS");
    WriteFile(folder / "a.htm", "<object>a</object>");
    const Outcome outcome = Run(GetParam().arguments, "", GetParam().stdoutTo);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.err.ends_with("sorvane-cli: cannot write to standard output: " + GetParam().reason + "\n"))
        << outcome.err;
    EXPECT_TRUE(fs::exists(folder / "intro.js") || fs::exists(folder / "a.js")) << "the work is done";
}

INSTANTIATE_TEST_SUITE_P(Cli, CliLostOutput, ::testing::Values(
    LostOutputRow{{"GenerateToAFullDisk"}, {"generate", "--width=1", "--height=1", "intro.swf"}, ">/dev/full",
                  "No space left on device"},
    LostOutputRow{{"GenerateToClosedOutput"}, {"generate", "--width=1", "--height=1", "intro.swf"}, ">&-",
                  "Bad file descriptor"},
    LostOutputRow{{"ConvertReportToAFullDisk"}, {"convert", "a.htm"}, ">/dev/full", "No space left on device"}),
    testing::RowName<LostOutputRow>);

// ----------------------------------------------------------- failure reasons --

// Every failure says why, in the system's words, after the message that
// names the file; running out of memory is a plain sentence.
struct ReasonRow : testing::NamedRow {
    std::vector<std::string_view> arguments;
    std::string_view setUp;
    std::string message;  // {} stands for the scratch folder
};

class CliFailureReason : public CliTest, public ::testing::WithParamInterface<ReasonRow> {};

TEST_P(CliFailureReason, FollowsTheMessage)
{
    WriteFile(folder / "big.htm", "<object>a</object>" + std::string(64 * 1024, ' '));
    const Outcome outcome = Run(GetParam().arguments, GetParam().setUp);
    std::string message = GetParam().message;
    message.replace(message.find("{}"), 2, folder.path().string());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: " + message + "\n");
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFailureReason, ::testing::Values(
    ReasonRow{{"FullDisk"}, {"convert", "--no-backup", "big.htm"}, "trap '' XFSZ; ulimit -f 16;",
              "Cannot create file {}/big.htm: File too large"},
    ReasonRow{{"NameTooLong"}, {"convert", "--no-backup", "--script-dir", LongName, "big.htm"},
              "", "Cannot open file {}/" + LongName + "/big.js: File name too long"},
    ReasonRow{{"OutOfMemory"}, {"convert", "--no-backup", "huge.htm"}, "truncate -s 2G huge.htm; ulimit -v 500000;",
              "{}/huge.htm: There is not enough memory to do this"}),
    testing::RowName<ReasonRow>);

// ------------------------------------------------------ help and usage errors --

TEST_F(CliTest, HelpAndVersion)
{
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sorvane-cli convert [--no-backup] [--script-dir DIR] PAGE..."), std::string::npos);
    EXPECT_NE(help.out.find("sorvane-cli generate [--width W] [--height H] [--name NAME] "
                            "[--quality best|high|low] MOVIE"),
              std::string::npos);
    EXPECT_EQ(Run({"convert", "--help"}).status, 0);
    EXPECT_EQ(Run({"generate", "--help"}).status, 0);
    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "sorvane-cli 1.01\n");
}

struct UsageRow : testing::NamedRow {
    std::vector<std::string_view> arguments;
    std::string_view message;
};

class CliUsage : public CliTest, public ::testing::WithParamInterface<UsageRow> {};

TEST_P(CliUsage, IsRefusedWithStatusTwoAndNothingWritten)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    const Outcome outcome = Run(GetParam().arguments);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "sorvane-cli: " + std::string(GetParam().message)
                               + "\nTry 'sorvane-cli --help' for more information.\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.htm"});
}

INSTANTIATE_TEST_SUITE_P(Cli, CliUsage, ::testing::Values(
    UsageRow{{"NoCommand"}, {}, "no command given"},
    UsageRow{{"UnknownCommand"}, {"frobnicate", "a.htm"}, "unknown command 'frobnicate'"},
    UsageRow{{"UnknownOption"}, {"convert", "--bogus", "a.htm"}, "convert: unknown option '--bogus'"},
    UsageRow{{"NoPage"}, {"convert", "--no-backup"}, "convert: no page given"},
    UsageRow{{"ScriptDirWithoutFolder"}, {"convert", "a.htm", "--script-dir"}, "option '--script-dir' needs a folder"},
    UsageRow{{"EmptyScriptDir"}, {"convert", "--script-dir=", "a.htm"}, "option '--script-dir' needs a folder"},
    UsageRow{{"BadQuality"}, {"generate", "--quality", "Medium", "a.htm"},
             "generate: quality must be best, high or low, not 'Medium'"},
    UsageRow{{"NoMovie"}, {"generate", "--width=5"}, "generate: no movie given"},
    UsageRow{{"TwoMovies"}, {"generate", "a.htm", "b.swf"}, "generate: only one movie can be given"},
    UsageRow{{"SizeWithoutValue"}, {"generate", "a.htm", "--height"}, "option '--height' needs a value"},
    UsageRow{{"UnknownGenerateOption"}, {"generate", "--no-backup", "a.htm"},
             "generate: unknown option '--no-backup'"}),
    testing::RowName<UsageRow>);

}  // namespace
}  // namespace sorvane
