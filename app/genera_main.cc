// genera: writes the built-in scenario into the program's own directory.
#include "base/filesystem.h"
#include "base/platform.h"
#include "app/run.h"

int main() {
  auto piattaforma = binario::nuova_piattaforma_con_finestra();
  binario::Form_Load(*piattaforma, binario::file_system_posix());
}
