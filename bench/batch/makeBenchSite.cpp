// make_bench_site PAGES FOLDER: writes a site of PAGES pages of about 60 KB
// each, with 0 to 4 movie blocks, in folders of 50 pages (section-NN/page-NNNN.htm).
#include "benchPages.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

namespace {

constexpr int PagesPerFolder = 50;

std::string Numbered(std::string_view prefix, int n, int width)
{
    std::string digits = std::to_string(n);
    return std::string(prefix)
           + std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0') + digits;
}

}  // namespace

int main(int argc, char** argv)
{
    const long pages = argc == 3 ? std::atol(argv[1]) : 0;
    if (pages <= 0) {
        std::cerr << "usage: make_bench_site PAGES FOLDER\n";
        return 2;
    }
    const std::filesystem::path site = argv[2];
    std::mt19937 random(20240602);
    for (int n = 0; n < pages; ++n) {
        const std::filesystem::path folder = site / Numbered("section-", n / PagesPerFolder, 2);
        std::filesystem::create_directories(folder);
        const std::size_t size = 55 * 1024 + random() % (10 * 1024);
        const std::string page = sorvane::bench::MakeSitePage(size, static_cast<int>(random() % 5), random());
        std::ofstream out(folder / (Numbered("page-", n, 4) + ".htm"), std::ios::binary);
        out.write(page.data(), static_cast<std::streamsize>(page.size()));
        if (!out.flush())
            return 1;
    }
    return 0;
}
