#include "optionTable.h"

#include <algorithm>
#include <ranges>

namespace sorvane::cli {
namespace {

// The help's layout: text indented by six columns, option descriptions
// starting at column 24.
constexpr std::size_t TextIndent = 6;
constexpr std::size_t DescriptionColumn = 24;

bool TakesValue(const CLI::Option& option)
{
    return option.get_items_expected_max() > 0;
}

bool IsHelp(const CLI::Option& option)
{
    return option.check_lname("help");
}

// "-r" or "--exclude GLOB": the option as the synopsis names it.
std::string SynopsisName(const CLI::Option& option)
{
    std::string name = option.get_snames().empty() ? "--" + option.get_lnames().front()
                                                   : "-" + option.get_snames().front();
    return TakesValue(option) ? name + ' ' + option.get_type_name() : name;
}

// "-r, --recursive" or "--script-dir DIR": the names in an option's help line.
std::string HelpLineNames(const CLI::Option& option)
{
    if (!option.get_option_text().empty())
        return option.get_option_text();
    std::vector<std::string> names;
    for (const std::string& name : option.get_snames())
        names.push_back('-' + name);
    for (const std::string& name : option.get_lnames())
        names.push_back("--" + name);
    std::string text = CLI::detail::join(names, ", ");
    return TakesValue(option) ? text + ' ' + option.get_type_name() : text;
}

std::string OptionHelpLine(const CLI::Option& option)
{
    std::string line(TextIndent, ' ');
    line += HelpLineNames(option);
    // Names too long for their column put the description on a line of its own.
    line += line.size() + 2 <= DescriptionColumn ? std::string(DescriptionColumn - line.size(), ' ')
                                                 : '\n' + std::string(DescriptionColumn, ' ');
    return line + WrappedText(option.get_description(), DescriptionColumn, DescriptionColumn) + '\n';
}

std::string Lowered(std::string text)
{
    std::ranges::transform(text, text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return text;
}

// What an option's value is, by its name in the help: "a folder" for DIR.
std::string ValueNoun(const CLI::Option* option)
{
    const std::string type = option ? option->get_type_name() : "";
    if (type == "DIR")
        return "a folder";
    if (type == "GLOB")
        return "a pattern";
    if (type == "FILE")
        return "a file";
    return "a value";
}

std::string Quoted(const std::string& name)
{
    return '\'' + name + '\'';
}

}  // namespace

std::string WrappedText(std::string_view text, std::size_t firstIndent, std::size_t indent, std::size_t width)
{
    std::string wrapped;
    std::size_t column = firstIndent;
    bool lineStart = true;
    // Words split by hand: clang 14, which the source checks parse with, cannot
    // read libstdc++ 12's views::split.
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view bytes = text.substr(at, end - at);
        at = end + 1;
        if (bytes.empty())
            continue;
        if (!lineStart && column + 1 + bytes.size() > width) {
            wrapped += '\n' + std::string(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            wrapped += ' ';
            ++column;
        }
        wrapped += bytes;
        column += bytes.size();
        lineStart = false;
    }
    return wrapped;
}

OptionTable::OptionTable(std::string_view command, std::string_view description)
    : app_(std::string(), std::string(command)), description_(description)
{
    app_.set_help_flag("-h,--help", "show this help");
    // Unknown options and operands too many are told in the tool's words
    // (Check), not CLI11's.
    app_.allow_extras();
    // An option given twice takes its last value, as most tools do.
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void OptionTable::Operands(std::string name, std::vector<std::string>& operands, bool many, const CLI::Option* list)
{
    operandName_ = name;
    operands_ = &operands;
    manyOperands_ = many;
    operandList_ = list;
    CLI::Option* option = app_.add_option(std::move(name), operands);
    option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    if (!many)
        option->expected(1)->allow_extra_args(false);
}

std::vector<std::string> OptionTable::CliArguments(Arguments arguments) const
{
    // CLI11 takes "--width=" as "--width" and the next argument as its value;
    // an empty value it is.
    std::vector<std::string> cliArguments;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        optionsEnded = optionsEnded || argument == "--";
        const CLI::Option* option = !optionsEnded && argument.starts_with("--") && argument.ends_with('=')
                                        ? app_.get_option_no_throw(argument.substr(0, argument.size() - 1))
                                        : nullptr;
        if (option && TakesValue(*option)) {
            cliArguments.push_back(argument.substr(0, argument.size() - 1));
            cliArguments.emplace_back();
        } else {
            cliArguments.push_back(argument);
        }
    }
    std::ranges::reverse(cliArguments);  // CLI11 reads them from the back
    return cliArguments;
}

bool OptionTable::Parse(Arguments arguments, std::ostream& out)
{
    try {
        app_.parse(CliArguments(arguments));
    } catch (const CLI::CallForHelp&) {
        out << "Usage: " << ProgramName << ' ' << Help();
        return false;
    } catch (const CLI::ParseError& error) {
        ThrowUsageError(error);
    }
    Check();
    return true;
}

void OptionTable::Check() const
{
    const std::string noun = Lowered(operandName_);
    // CLI11 keeps the "--" that ends the options among the arguments left.
    bool optionsEnded = false;
    for (const std::string& extra : app_.remaining()) {
        if (extra == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        throw UsageError(!optionsEnded && extra.starts_with('-') && extra != "-"
                             ? "unknown option " + Quoted(extra)
                             : "only one " + noun + " can be given");
    }
    if (operands_ && operands_->empty() && !(operandList_ && operandList_->count() > 0))
        throw UsageError("no " + noun + " given");
}

void OptionTable::ThrowUsageError(const CLI::ParseError& error) const
{
    if (dynamic_cast<const CLI::ExcludesError*>(&error)) {
        for (const CLI::Option* option : app_.get_options())
            for (const CLI::Option* excluded : option->get_excludes())
                if (option->count() > 0 && excluded->count() > 0)
                    throw UsageError("options " + Quoted(option->get_name()) + " and " + Quoted(excluded->get_name())
                                     + " cannot be used together");
    }
    const std::string message = error.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && message.find(" required ") != std::string::npos) {
        const std::string name = message.substr(0, message.find(':'));
        throw UsageError("option " + Quoted(name) + " needs " + ValueNoun(app_.get_option_no_throw(name)));
    }
    throw UsageError(message);
}

std::string OptionTable::Synopsis() const
{
    std::string synopsis = app_.get_name();
    std::vector<const CLI::Option*> shown;
    for (const CLI::Option* option : app_.get_options()) {
        if (IsHelp(*option) || option->get_positional() || std::ranges::find(shown, option) != shown.end())
            continue;
        synopsis += " [" + SynopsisName(*option);
        for (const CLI::Option* excluded : option->get_excludes()) {
            synopsis += " | " + SynopsisName(*excluded);
            shown.push_back(excluded);
        }
        synopsis += option->get_expected_max() > 1 ? "]..." : "]";
    }
    return synopsis + ' ' + operandName_ + (manyOperands_ ? "..." : "");
}

std::string OptionTable::Help() const
{
    std::string help = Synopsis() + '\n' + std::string(TextIndent, ' ')
                       + WrappedText(description_, TextIndent, TextIndent) + '\n';
    for (const CLI::Option* option : app_.get_options())
        if (!IsHelp(*option) && !option->get_description().empty() && !option->get_positional())
            help += OptionHelpLine(*option);
    return help;
}

}  // namespace sorvane::cli
