// make_bench_page KIND MIB FILE: writes a generated page for the timed script.
#include "benchPages.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const auto kind = argc == 4 ? sorvane::bench::PageKindNamed(argv[1]) : std::nullopt;
    const long mebibytes = argc == 4 ? std::atol(argv[2]) : 0;
    if (!kind || mebibytes <= 0) {
        std::cerr
            << "usage: make_bench_page ordinary|unclosed|noscript|blanks|scripts|values|quotes|invalues MIB FILE\n";
        return 2;
    }
    const std::string page = sorvane::bench::MakePage(*kind, static_cast<std::size_t>(mebibytes) << 20);
    std::ofstream out(argv[3], std::ios::binary);
    out.write(page.data(), static_cast<std::streamsize>(page.size()));
    return out.flush() ? 0 : 1;
}
