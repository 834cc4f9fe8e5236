// convert --dry-run and --diff: what a conversion would do, from the
// converter's preview, told as report lines or printed as a unified diff.
#pragma once

#include "pageRun.h"
#include "playerCopy.h"
#include "unitACConvertor.h"

#include <map>
#include <vector>

namespace sorvane::cli {

class ConvertPreview {
public:
    enum class Kind { DryRun, Diff };

    // The pages previewed go on from one another in run, as converted ones
    // do, under the rules of the conversion.
    ConvertPreview(Kind kind, ConversionRun& run, const BatchRules& rules, RunOutput& output);

    // Previews one page as ConvertPage would convert it (raising as it
    // would); with --dry-run reports it, with --diff prints the page's diff.
    ConvertReport Page(const PageRequest& request);
    // The files a copy of the player into the site would create or replace:
    // with --dry-run a line each, with --diff an "Only in" line for each new
    // one (as diff -r tells of a file that one side lacks) and a binary
    // difference line for each replaced one. Pages previewed after it may
    // load the copied player.
    void PlayerFiles(const PlayerCopy& copy);
    // With --diff, prints the diff of every script file, from its text before
    // the run to its text after it.
    void Finish();

private:
    struct ScriptChange {
        std::optional<std::string> before;
        std::string after;
    };

    Kind kind_;
    RunOutput& output_;
    ConversionPreview preview_;
    std::vector<std::string> scriptOrder_;
    std::map<std::string, ScriptChange> scripts_;
};

}  // namespace sorvane::cli
