#include "movieFile.h"

#include "nativePath.h"

#include <filesystem>
#include <stdexcept>

namespace sorvane::cli {

void RequireMovieFile(const std::string& movie)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(NativePath(movie), error))
        throw std::runtime_error("no movie file '" + movie + "'");
}

}  // namespace sorvane::cli
