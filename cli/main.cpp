#include "commandLine.h"

#include <algorithm>
#include <vector>

int main(int argc, char** argv)
{
    sorvane::cli::KeepOutputBytes();
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    return sorvane::cli::RunProgram(arguments);
}
