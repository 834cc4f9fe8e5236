// Pieces shared by the converter's source files; not part of its interface.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sorvane::detail {

// A file's new content, given as consecutive pieces so that large texts are
// written without being joined first.
using Pieces = std::span<const std::string_view>;

// Atomically replaces the content of the file at path (creating it when it is
// missing). Raises FileError(Create, path) and leaves the old file whole on
// any failure.
void ReplaceFileContent(const std::string& path, Pieces pieces);

// Atomically creates the file at path with the given content and the
// permission bits of permissionsFrom. Returns false, writing nothing, when a
// file of that name exists; raises FileError(Create, path) on other failures.
bool CreateNewFile(const std::string& path, Pieces pieces, const std::string& permissionsFrom);

// Where the script include goes in a page text (0-based byte offset).
std::size_t IncludePosition(std::string_view pageText);

// The include line that loads the script file from the page.
std::string IncludeMarkup(std::string_view scriptReference);

// The content of the script file at path, or nothing when there is no such
// file. Raises FileError(Open) when a file exists but cannot be read.
std::optional<std::string> LoadExistingScript(const std::string& path);

// Raises BlockCounter to the highest function number defined in an existing
// script file, so that new blocks never reuse one of its names.
void RaiseBlockCounterAbove(std::string_view existingScript);

// Writes existingScript + header + the function lines that do not clash with
// it + header to scriptPath.
void WriteScriptAfter(std::string_view existingScript, std::string_view functionLines,
                      const std::string& scriptPath);

// Writes pageText to the first free backup name of pagePath and returns it.
std::string WriteBackup(const std::string& pagePath, std::string_view pageText);

}  // namespace sorvane::detail
