#!/usr/bin/env python3
"""Rules of the tree that the compiler does not check, run over the build's
compile_commands.json:

  tidy        clang-tidy with the checks of .clang-tidy on every C++ source
              of the project (programs, tests, benchmarks); any finding fails.
  byte-paths  every byte path that enters or leaves std::filesystem in the
              programs' sources goes through NativePath or PathBytes
              (converter/nativePath.h), as clang-query's bytePaths.query
              finds; any place found fails. Only the sources that can reach
              std::filesystem are parsed.
  core-state  no variable of static storage that can change in converter/
              and generator/ beyond the process-wide few that
              coreState.query names, as clang-query finds.
  cli-system-branches
              no conditional compilation (#if, #ifdef, #ifndef, #elif) in
              cli/ but in systemConsole.h, systemConsole.cpp and main.cpp:
              the command-line tool's branches between systems stay in
              one place. Reads the files alone; --build is not used.

usage: sourceRules.py tidy|byte-paths|core-state|cli-system-branches --source DIR --build DIR
"""

import argparse
import json
import os
import re
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

HERE = Path(__file__).resolve().parent
# The programs' own sources, which the byte path rule covers; tests and
# benchmarks make ASCII names of their own on Linux.
PROGRAM_FOLDERS = ("converter", "generator", "cli", "wizard", "shell", "qtBytes", "folderBrowse")
# The Qt-free libraries, which keep no state of their own.
CORE_FOLDERS = ("converter", "generator")
# The one place where bytes and std::filesystem meet.
NATIVE_PATH_SOURCE = "converter/nativePath.cpp"
# GCC-only options in the compile commands that clang would warn about; and
# no -Werror from them: the build's own compiler judges warnings, clang's
# differ (missing-braces on table rows), and the rules judge only their checks.
CLANG_ARGS = ["--extra-arg=-Wno-unknown-warning-option", "--extra-arg=-Wno-error"]
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.MULTILINE)
CONDITIONAL = re.compile(r'^\s*#\s*(if|ifdef|ifndef|elif)\b')
# The files of cli/ that may branch between systems.
CLI_SYSTEM_FILES = ("systemConsole.h", "systemConsole.cpp", "main.cpp")


def project_sources(source, build):
    """The project's C++ sources in the compile database, build folders left out."""
    entries = json.loads((build / "compile_commands.json").read_text())
    files = {Path(entry["directory"], entry["file"]).resolve() for entry in entries}
    return sorted(f for f in files if f.is_relative_to(source) and not f.is_relative_to(build))


def reaching_filesystem(sources, source):
    """The sources that include <filesystem>, themselves or through the
    project's headers (by file name, as the tree includes them)."""
    texts = {path: path.read_text(errors="replace") for path in source.rglob("*.h")}
    reaching = {path.name for path, text in texts.items() if "filesystem" in INCLUDE.findall(text)}
    grew = True
    while grew:
        grew = False
        for path, text in texts.items():
            if path.name not in reaching and any(Path(name).name in reaching for name in INCLUDE.findall(text)):
                reaching.add(path.name)
                grew = True
    return [s for s in sources
            if any(name == "filesystem" or Path(name).name in reaching for name in INCLUDE.findall(s.read_text()))]


def run_all(commands):
    """Runs the commands in parallel; returns their results, in order."""
    def run(command):
        return subprocess.run(command, capture_output=True, text=True, errors="replace")
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        return list(pool.map(run, commands))


def tidy(source, build):
    sources = project_sources(source, build)
    # The project's headers: those in the top folders of its sources, which
    # leaves out the generated headers of a build folder in the tree.
    header_filter = "^" + re.escape(str(source)) + "/(" + "|".join(
        sorted({p.relative_to(source).parts[0] for p in sources})) + ")/"
    results = run_all([["clang-tidy-14", "-p", str(build), "--quiet", "--header-filter=" + header_filter,
                        *CLANG_ARGS, str(s)] for s in sources])
    failed = [(s, r) for s, r in zip(sources, results) if r.returncode != 0 or "warning:" in r.stdout]
    for s, r in failed:
        print(r.stdout + r.stderr)
    print(f"clang-tidy: {len(sources)} sources, {len(failed)} with findings")
    return not failed


def byte_paths(source, build):
    programs = [s for s in project_sources(source, build)
                if s.relative_to(source).parts[0] in PROGRAM_FOLDERS and s != source / NATIVE_PATH_SOURCE]
    sources = reaching_filesystem(programs, source)
    results = run_all([["clang-query-14", "-p", str(build), *CLANG_ARGS, "-f", str(HERE / "bytePaths.query"),
                        str(s)] for s in sources])
    found = []
    failed = False
    for r in results:
        if r.returncode != 0 or "error:" in r.stdout:
            print(r.stdout + r.stderr)
            failed = True
        found += [line.replace('note: "root" binds here', "a byte path enters or leaves std::filesystem "
                               "other than through NativePath or PathBytes (converter/nativePath.h)")
                  for line in r.stdout.splitlines() if line.endswith('"root" binds here')]
    print("\n".join(found))
    print(f"byte paths: {len(sources)} of {len(programs)} program sources reach std::filesystem, "
          f"{len(found)} places found")
    return bool(sources) and not found and not failed


def core_state(source, build):
    sources = [s for s in project_sources(source, build) if s.relative_to(source).parts[0] in CORE_FOLDERS]
    results = run_all([["clang-query-14", "-p", str(build), *CLANG_ARGS, "-f", str(HERE / "coreState.query"),
                        str(s)] for s in sources])
    found = set()
    failed = False
    for r in results:
        if r.returncode != 0 or "error:" in r.stdout:
            print(r.stdout + r.stderr)
            failed = True
        found |= {line.replace('note: "root" binds here', "a variable at namespace scope or static that can "
                               "change: keep the state in an object the caller owns (see CONTRIBUTING.md)")
                  for line in r.stdout.splitlines() if line.endswith('"root" binds here')}
    print("\n".join(sorted(found)))
    print(f"core state: {len(sources)} sources, {len(found)} variables found")
    return bool(sources) and not found and not failed


def cli_system_branches(source, build):
    files = sorted(p for p in (source / "cli").iterdir() if p.suffix in (".h", ".cpp"))
    found = [f"{path.relative_to(source)}:{number}: {line.strip()}: a branch between systems belongs in "
             "cli/systemConsole.cpp, behind cli/systemConsole.h"
             for path in files if path.name not in CLI_SYSTEM_FILES
             for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1)
             if CONDITIONAL.match(line)]
    print("\n".join(found))
    print(f"cli system branches: {len(files)} files, {len(found)} branches outside {', '.join(CLI_SYSTEM_FILES)}")
    return bool(files) and not found


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("rule", choices=list(RULES))
    parser.add_argument("--source", type=Path, required=True)
    parser.add_argument("--build", type=Path, required=True)
    args = parser.parse_args()
    check = RULES[args.rule]
    return 0 if check(args.source.resolve(), args.build.resolve()) else 1


RULES = {"tidy": tidy, "byte-paths": byte_paths, "core-state": core_state,
         "cli-system-branches": cli_system_branches}

if __name__ == "__main__":
    sys.exit(main())
