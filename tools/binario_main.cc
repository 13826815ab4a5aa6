// binario: the scenario author's tool (export, compile, dump).
#include <iostream>

#include "tools/cli.h"

int main(int argc, char** argv) { return binario::esegui_binario(argc, argv, std::cout, std::cerr); }
