// A command's options as one table: each option is declared once, in a
// CLI11 App, with its names, its value's name and its description, and that
// one declaration gives both the parsing and the help text.
#pragma once

#include "commandLine.h"

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::cli {

class OptionTable {
public:
    // description: what the command does, one paragraph (wrapped in the help).
    OptionTable(std::string_view command, std::string_view description);
    OptionTable(const OptionTable&) = delete;
    OptionTable& operator=(const OptionTable&) = delete;

    // Where the command adds its options: add_flag or add_option with a
    // description; an option with a value names it with type_name ("DIR").
    // The help lists them in the order added; options that exclude each
    // other (excludes) stand together in the synopsis: [--dry-run | --diff].
    // option_text replaces an option's names and value in its help line
    // (the synopsis keeps type_name): "--quality Q" beside "best|high|low".
    CLI::App& Options() { return app_; }

    // The command's operands, such as the pages (PAGE...) or the one movie
    // (MOVIE), after the options in the synopsis. At least one is needed,
    // unless the option list (such as --files-from) is given: it names
    // operands of its own.
    void Operands(std::string name, std::vector<std::string>& operands, bool many, const CLI::Option* list = nullptr);

    // Reads the arguments into the table's variables. Returns false when
    // help was asked for, after printing it on out. A command line that
    // cannot be read throws UsageError, whose message names the option.
    bool Parse(Arguments arguments, std::ostream& out);

    // The synopsis line ("convert [--no-backup] ... PAGE..."), then the
    // description and a line per option, indented.
    std::string Help() const;

private:
    std::vector<std::string> CliArguments(Arguments arguments) const;
    void Check() const;
    [[noreturn]] void ThrowUsageError(const CLI::ParseError& error) const;
    std::string Synopsis() const;

    CLI::App app_;
    std::string description_;
    std::string operandName_;
    std::vector<std::string>* operands_ = nullptr;
    bool manyOperands_ = false;
    const CLI::Option* operandList_ = nullptr;
};

// Lines of at most width columns, the first starting after firstIndent
// columns already used, the others indented by indent spaces: the words of
// text, kept whole, a line break before a word that would pass width.
std::string WrappedText(std::string_view text, std::size_t firstIndent, std::size_t indent, std::size_t width = 79);

}  // namespace sorvane::cli
