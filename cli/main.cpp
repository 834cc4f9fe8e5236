#include <cstdio>
int main() { std::puts("usage: sorvane-cli convert [--no-backup] [--script-dir DIR] PAGE..."); return 0; }
