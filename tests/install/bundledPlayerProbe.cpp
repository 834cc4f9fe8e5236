// Prints the folder of the player that comes with Sorvane as the running
// program finds it, for playerFolder.sh.
#include "bundledPlayer.h"

#include <cstdio>

int main()
{
    std::puts(sorvane::BundledPlayerFolder().c_str());
}
