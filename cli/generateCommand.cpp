#include "generateCommand.h"

#include "embedCode.h"
#include "jsonText.h"
#include "movieFile.h"
#include "movieHeader.h"
#include "nativePath.h"
#include "optionTable.h"
#include "sitePlayer.h"

#include <algorithm>
#include <array>
#include <optional>

namespace sorvane::cli {
namespace {

constexpr std::array Qualities{std::string_view("best"), std::string_view("high"), std::string_view("low")};

struct GenerateOptions {
    std::optional<std::string> width, height;  // the movie's stage size when not given
    std::string quality{Qualities.front()};
    std::optional<std::string> name;
    PlayerOptions player;
    std::optional<std::string> movie;
    bool force = false;
    bool json = false;
};

// The wizard passes the quality lowered ("High" -> "high"); so does this.
std::string LoweredQuality(const std::string& given)
{
    std::string quality = given;
    std::ranges::transform(quality, quality.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    if (std::ranges::find(Qualities, quality) == Qualities.end())
        throw UsageError("quality must be best, high or low, not '" + given + "'");
    return quality;
}

// An option whose value goes into an optional string.
CLI::Option* AddValueOption(CLI::App& table, std::string name, std::optional<std::string>& value,
                            std::string description, std::string valueName)
{
    return table
        .add_option_function<std::string>(
            std::move(name), [&value](const std::string& given) { value = given; }, std::move(description))
        ->type_name(std::move(valueName));
}

// generate's options and the table that reads them and tells them in the help.
struct GenerateCommandLine {
    GenerateOptions options;
    std::vector<std::string> movies;
    OptionTable table{"generate",
                      "Writes NAME.js beside the Flash movie MOVIE (replacing one that generate wrote), whose one "
                      "statement writes the movie's <object>/<embed> markup, and prints the snippet to paste into a "
                      "page: exactly its bytes, lines ending in CR LF, no line end after the last. Blank sizes or "
                      "name, and sizes holding more than digits and %, are warned about, not refused."};

    GenerateCommandLine()
    {
        CLI::App& add = table.Options();
        AddValueOption(add, "--width", options.width,
                       "the movie's width, such as 550 or 100% (default: the width of the movie's stage, blank when "
                       "not known)",
                       "W");
        AddValueOption(add, "--height", options.height, "the movie's height (default: its stage's, or blank)", "H");
        AddValueOption(add, "--name", options.name, "its name/id in the page (default: the movie's base name)", "NAME");
        add.add_option("--quality", options.quality, "best, high or low (default: best)")
            ->type_name("best|high|low")
            ->option_text("--quality Q");
        AddPlayerOptions(add, options.player, "the movie's folder");
        add.add_flag("--force", options.force,
                     "replace NAME.js also when it holds other script code, such as a converted page's functions "
                     "(refused without), and player files that differ");
        add.add_flag("--json", options.json,
                     "print one JSON object instead of the snippet: path (the movie), script (the file written), "
                     "snippet, player (what the snippet loads, null for none), player_files_copied, error (null)");
        table.Operands("MOVIE", movies, false);
    }

    // Reads the arguments; false when help was asked for and printed.
    bool Parse(Arguments arguments, std::ostream& out)
    {
        if (!table.Parse(arguments, out))
            return false;
        options.quality = LoweredQuality(options.quality);
        RequireBundledForPlayerFolder(options.player);
        // Windows takes "/" as a separator too, the Windows path style only
        // "\\": site/intro.swf must name intro.swf in site there as well.
        options.movie = PathBytes(NativePath(movies.front()).make_preferred());
        return true;
    }
};

std::string_view WarningAbout(DoubtfulValue value)
{
    switch (value) {
    case DoubtfulValue::BlankWidth: return "the width is blank";
    case DoubtfulValue::BlankHeight: return "the height is blank";
    case DoubtfulValue::BlankName: return "the name/id is blank";
    case DoubtfulValue::WidthNotDigits: return "the width should contain numbers and % sign only";
    case DoubtfulValue::HeightNotDigits: return "the height should contain numbers and % sign only";
    }
    return "a value is doubtful";
}

// The wizard's questions about doubtful values, in its order, as warnings.
void WarnAboutDoubtfulValues(const EmbedOptions& options, std::ostream& err)
{
    for (const DoubtfulValue value : DoubtfulValues(options))
        err << ProgramName << ": warning: " << WarningAbout(value) << '\n';
}

// A converted page's script beside the movie holds the page's functions;
// the wizard asks before replacing it, here --force answers.
void RefuseToReplaceOtherScript(const GenerateOptions& options)
{
    if (!options.force && WouldReplaceOtherScript(*options.movie))
        throw std::runtime_error("the file '" + MovieScriptPath(*options.movie)
                                 + "' already exists and holds other script code; --force replaces it");
}

// A width or height not given is the movie's own, when its header tells it,
// and blank otherwise. Says on err which were taken from the movie.
void TakeMissingSizeFromMovie(GenerateOptions& options, std::ostream& err)
{
    const auto stageSize = options.width && options.height ? std::nullopt : MovieStageSize(*options.movie);
    if (!stageSize) {
        options.width = options.width.value_or("");
        options.height = options.height.value_or("");
        return;
    }
    std::string taken;
    if (!options.width) {
        options.width = std::to_string(stageSize->width);
        taken = "width " + *options.width;
    }
    if (!options.height) {
        options.height = std::to_string(stageSize->height);
        taken += (taken.empty() ? "height " : ", height ") + *options.height;
    }
    err << ProgramName << ": using the movie's stage size: " << taken << '\n';
}

// The outcome as one JSON object: the snippet and what was written.
void PrintGeneratedJson(std::ostream& out, const std::string& movie, const EmbedCodeResult& result,
                        const SitePlayer& player, std::size_t playerFilesCopied)
{
    out << JsonObjectLine({{"path", movie},
                           {"script", result.scriptPath},
                           {"snippet", result.snippet},
                           {"player", player.Source()},
                           {"player_files_copied", std::to_string(playerFilesCopied), true},
                           {"error", std::nullopt}});
}

int Generate(GenerateOptions options, Streams streams)
{
    const std::string& movie = *options.movie;
    if (!options.name)
        options.name = BaseName(movie);
    try {
        RequireMovieFile(movie);
        RefuseToReplaceOtherScript(options);
        const SitePlayer player(options.player, movie, {}, options.force);
        const std::size_t playerFilesCopied = player.Copy() ? player.Copy()->copies.size() : 0;
        if (const std::string copied = player.CopyIntoSite(); !copied.empty())
            streams.err << ProgramName << ": " << copied << '\n';
        TakeMissingSizeFromMovie(options, streams.err);
        const EmbedOptions embed{.moviePath = movie,
                                 .width = *options.width,
                                 .height = *options.height,
                                 .name = *options.name,
                                 .quality = options.quality,
                                 .playerSource = player.Source()};
        WarnAboutDoubtfulValues(embed, streams.err);
        const EmbedCodeResult result = GenerateEmbedCode(embed);
        if (options.json)
            PrintGeneratedJson(streams.out, movie, result, player, playerFilesCopied);
        else
            streams.out << result.snippet;
        if (player.Source())
            PrintViewingHint(streams.err);
        return Success;
    } catch (...) {
        if (options.json)
            streams.out << JsonObjectLine({{"path", movie}, {"error", DescribeError(std::current_exception(), movie)}});
        return ReportCaughtError(streams.err, movie);
    }
}

}  // namespace

std::string GenerateHelp()
{
    return GenerateCommandLine().table.Help();
}

int RunGenerate(Arguments arguments, Streams streams)
{
    GenerateCommandLine commandLine;
    if (!commandLine.Parse(arguments, streams.out))
        return Success;
    return Generate(std::move(commandLine.options), streams);
}

}  // namespace sorvane::cli
