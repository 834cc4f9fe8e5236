#include "convertPreview.h"

#include "nativePath.h"
#include "unifiedDiff.h"

#include <filesystem>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

// A diff label: "a/" or "b/" and the path from the current folder when the
// file lies under it, else the full path, so that `patch -p1` run in the
// current folder finds the files; quoted as GNU diff quotes names.
std::string Label(std::string_view side, const std::string& path)
{
    std::error_code error;
    const fs::path current = fs::current_path(error);
    const fs::path native = NativePath(path);
    const fs::path relative = native.lexically_relative(current);
    const bool under = !error && !relative.empty() && *relative.begin() != "..";
    return DiffFileName(std::string(side) + GenericPathBytes(under ? relative : native));
}

std::string Diff(std::string_view before, std::string_view after, const std::string& path)
{
    return UnifiedDiff(before, after, Label("a/", path), Label("b/", path));
}

std::string Created(bool exists)
{
    return exists ? "would replace " : "would create ";
}

}  // namespace

ConvertPreview::ConvertPreview(Kind kind, ConversionRun& run, const BatchRules& rules, RunOutput& output)
    : kind_(kind), output_(output), preview_(run, {.rules = rules, .keepTexts = kind == Kind::Diff})
{}

ConvertReport ConvertPreview::Page(const PageRequest& request)
{
    const std::string& pagePath = request.pagePath;
    const std::string& scriptPath = request.scriptPath;
    PagePreview preview = preview_.Preview(request);
    const ConvertReport& report = preview.report;
    if (report.leftUnchanged) {
        return report;  // reported as by the conversion
    } else if (kind_ == Kind::Diff) {
        const auto [script, first] = scripts_.try_emplace(scriptPath, ScriptChange{preview.oldScript, {}});
        if (first)
            scriptOrder_.push_back(scriptPath);
        script->second.after = std::move(preview.newScript);
        output_.Text(Diff(preview.oldPage, preview.newPage, pagePath));
    } else {
        output_.Line(pagePath + ": " + std::to_string(report.blocksConverted)
                     + (report.blocksConverted == 1 ? " block" : " blocks") + " would be converted; would replace "
                     + pagePath + "; " + Created(preview.scriptExists) + report.scriptPath + "; "
                     + (report.backupPath.empty() ? "no backup" : "would create " + report.backupPath));
    }
    return report;
}

void ConvertPreview::PlayerFiles(const PlayerCopy& copy)
{
    preview_.PlayerCopiedTo(copy.script);
    for (const std::string& file : copy.newFiles) {
        if (kind_ == Kind::Diff) {
            const std::string label = Label("b/", file);
            const std::size_t nameStart = label.rfind('/');
            output_.Text("Only in " + label.substr(0, nameStart) + ": " + label.substr(nameStart + 1) + "\n");
        } else {
            output_.Line(file + ": would create (Flash player)");
        }
    }
    for (const std::string& file : copy.differingFiles) {
        if (kind_ == Kind::Diff)
            output_.Text("Files " + Label("a/", file) + " and " + Label("b/", file) + " differ\n");
        else
            output_.Line(file + ": would replace (Flash player)");
    }
}

void ConvertPreview::Finish()
{
    if (kind_ != Kind::Diff)
        return;
    for (const std::string& path : scriptOrder_) {
        const ScriptChange& change = scripts_.at(path);
        output_.Text(Diff(change.before.value_or(std::string()), change.after, path));
    }
}

}  // namespace sorvane::cli
