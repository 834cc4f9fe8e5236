#include "commandLine.h"
#include "systemConsole.h"

// Windows gives the arguments whole only in UTF-16, to wmain (MinGW links it
// with -municode).
#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    sorvane::cli::KeepStandardStreamBytes();
    return sorvane::cli::RunProgram(sorvane::cli::ProgramArguments(argc, argv));
}
