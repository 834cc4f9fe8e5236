// The Windows API as every Windows branch here includes it: without the
// min/max macros that break std::min and std::max, and without the rarely
// used parts of <windows.h>.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
