// Karvio: the desktop program.
#include "startup/Startup.h"

int main(int argc, char** argv) {
    return karvio::RunKarvio(argc, argv);
}
