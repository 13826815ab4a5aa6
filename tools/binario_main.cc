#include <cstdio>
int main() { std::puts("binario"); return 0; }
