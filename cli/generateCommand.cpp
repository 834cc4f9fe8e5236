#include "generateCommand.h"

#include "embedCode.h"
#include "movieFile.h"
#include "movieHeader.h"
#include "nativePath.h"

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
    std::optional<std::string> player;
    std::optional<std::string> movie;
    bool help = false;
    bool force = false;
};

// The wizard passes the quality lowered ("High" -> "high"); so does this.
std::string LoweredQuality(const std::string& given)
{
    std::string quality = given;
    std::ranges::transform(quality, quality.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    if (std::ranges::find(Qualities, quality) == Qualities.end())
        throw UsageError("generate: quality must be best, high or low, not '" + given + "'");
    return quality;
}

void TakeMovie(GenerateOptions& options, const std::string& argument)
{
    if (options.movie)
        throw UsageError("generate: only one movie can be given");
    // Windows takes "/" as a separator too, the Windows path style only "\\":
    // site/intro.swf must name intro.swf in site there as well.
    options.movie = PathBytes(NativePath(argument).make_preferred());
}

// Reads the option at arguments[i]; false when it is none of generate's.
bool TakeOption(GenerateOptions& options, Arguments arguments, std::size_t& i)
{
    if (auto value = OptionValue(arguments, i, "--width"))
        options.width = std::move(*value);
    else if (auto value = OptionValue(arguments, i, "--height"))
        options.height = std::move(*value);
    else if (auto value = OptionValue(arguments, i, "--name"))
        options.name = std::move(*value);
    else if (auto value = OptionValue(arguments, i, "--quality"))
        options.quality = LoweredQuality(*value);
    else if (auto value = OptionValue(arguments, i, "--player"))
        options.player = std::move(*value);
    else
        return false;
    return true;
}

GenerateOptions ParseGenerateOptions(Arguments arguments)
{
    GenerateOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.starts_with('-'))
            TakeMovie(options, argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument == "--force")
            options.force = true;
        else if (!TakeOption(options, arguments, i))
            throw UsageError("generate: unknown option '" + argument + "'");
    }
    if (!options.movie && !options.help)
        throw UsageError("generate: no movie given");
    return options;
}

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
void WarnAboutDoubtfulValues(const GenerateOptions& options, std::ostream& err)
{
    for (const DoubtfulValue value : DoubtfulValues(*options.width, *options.height, *options.name))
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

int Generate(GenerateOptions options, Streams streams)
{
    const std::string& movie = *options.movie;
    if (!options.name)
        options.name = BaseName(movie);
    try {
        RequireMovieFile(movie);
        RefuseToReplaceOtherScript(options);
        if (options.player)
            RequirePlayerScript(*options.player);
        TakeMissingSizeFromMovie(options, streams.err);
        WarnAboutDoubtfulValues(options, streams.err);
        streams.out << GenerateEmbedCode(movie, *options.width, *options.height, *options.name, options.quality,
                                         NativePathStyle, options.player)
                           .snippet;
        return Success;
    } catch (...) {
        return ReportCaughtError(streams.err, movie);
    }
}

}  // namespace

int RunGenerate(Arguments arguments, Streams streams)
{
    GenerateOptions options = ParseGenerateOptions(arguments);
    if (options.help) {
        streams.out << "Usage: " << ProgramName << ' ' << GenerateHelp;
        return Success;
    }
    return Generate(std::move(options), streams);
}

}  // namespace sorvane::cli
