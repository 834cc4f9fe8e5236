// libFuzzer entry: any bytes given to the movie header reader end in a header
// or in nothing, without a crash, a leak, undefined behaviour or a large
// allocation (the run's malloc limit is small).
#include "movieHeader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto header = sorvane::ParseMovieHeader({reinterpret_cast<const char*>(data), size});
    if (header)
        (void)sorvane::StageSizeOf(header->stage);
    return 0;
}
