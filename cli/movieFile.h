// What the commands that take a movie ask of it.
#pragma once

#include <string>

namespace sorvane::cli {

// As the wizard's open dialog, only an existing file is taken for a movie;
// raises std::runtime_error "no movie file '...'" otherwise.
void RequireMovieFile(const std::string& movie);

}  // namespace sorvane::cli
