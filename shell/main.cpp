#include "startUp.h"

int main(int, char** argv)
{
    return sorvane::StartUp(argv[0]);
}
