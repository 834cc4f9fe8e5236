#include "generateCommand.h"

#include "embedCode.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::array Qualities{std::string_view("best"), std::string_view("high"), std::string_view("low")};

struct GenerateOptions {
    std::string width, height, quality{Qualities.front()};
    std::optional<std::string> name;
    std::optional<std::string> movie;
    bool help = false;
};

// The value of an option written "--option VALUE" or "--option=VALUE", or
// nothing when the argument is another one. Moves i past a separate value.
std::optional<std::string> OptionValue(Arguments arguments, std::size_t& i, std::string_view option)
{
    const std::string& argument = arguments[i];
    if (argument == option) {
        if (++i == arguments.size()) throw UsageError("option '" + std::string(option) + "' needs a value");
        return arguments[i];
    }
    if (argument.starts_with(option) && argument.size() > option.size() && argument[option.size()] == '=')
        return argument.substr(option.size() + 1);
    return std::nullopt;
}

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
    if (options.movie) throw UsageError("generate: only one movie can be given");
    options.movie = argument;
}

// Reads the option at arguments[i]; false when it is none of generate's.
bool TakeOption(GenerateOptions& options, Arguments arguments, std::size_t& i)
{
    if (auto value = OptionValue(arguments, i, "--width")) options.width = std::move(*value);
    else if (auto value = OptionValue(arguments, i, "--height")) options.height = std::move(*value);
    else if (auto value = OptionValue(arguments, i, "--name")) options.name = std::move(*value);
    else if (auto value = OptionValue(arguments, i, "--quality")) options.quality = LoweredQuality(*value);
    else return false;
    return true;
}

GenerateOptions ParseGenerateOptions(Arguments arguments)
{
    GenerateOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) TakeMovie(options, argument);
        else if (argument == "--") optionsEnded = true;
        else if (argument == "--help" || argument == "-h") options.help = true;
        else if (!TakeOption(options, arguments, i)) throw UsageError("generate: unknown option '" + argument + "'");
    }
    if (!options.movie && !options.help) throw UsageError("generate: no movie given");
    return options;
}

bool IsBlank(std::string_view text)
{
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

// The wizard's questions about doubtful values, in its order, as warnings.
void WarnAboutDoubtfulValues(const GenerateOptions& options, std::ostream& err)
{
    const auto warn = [&](bool doubtful, std::string_view message) {
        if (doubtful) err << ProgramName << ": warning: " << message << '\n';
    };
    warn(IsBlank(options.width), "the width is blank");
    warn(IsBlank(options.height), "the height is blank");
    warn(IsBlank(*options.name), "the name/id is blank");
    warn(!IsDigitsOrPercent(options.width), "the width should contain numbers and % sign only");
    warn(!IsDigitsOrPercent(options.height), "the height should contain numbers and % sign only");
}

// As the wizard's open dialog, only an existing file is taken for a movie.
void RequireMovieFile(const std::string& movie)
{
    std::error_code error;
    if (!fs::is_regular_file(movie, error)) throw std::runtime_error("no movie file '" + movie + "'");
}

int Generate(GenerateOptions options, Streams streams)
{
    const std::string& movie = *options.movie;
    if (!options.name) options.name = BaseName(movie);
    try {
        RequireMovieFile(movie);
        WarnAboutDoubtfulValues(options, streams.err);
        streams.out << GenerateEmbedCode(movie, options.width, options.height, *options.name, options.quality)
                           .snippet;
        return Success;
    } catch (...) {
        streams.err << ProgramName << ": " << DescribeError(std::current_exception(), movie) << '\n';
        return SomeFailed;
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
