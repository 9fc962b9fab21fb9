#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/version.h"
#include "sim/devsim_app.h"
#include "sim/devsim_options.h"

int main(int argc, char** argv) {
    // Scripts read the port path from the first line as soon as it is printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = quillon::sim::ParseDevsimOptions(args, error);
    if (!options) {
        std::cerr << "quillon-devsim: " << error << "\n\n" << quillon::sim::DevsimUsage();
        return 2;
    }
    if (options->version) {
        std::cout << "quillon-devsim " << quillon::kVersion << "\n";
        return 0;
    }
    if (options->help) {
        std::cout << quillon::sim::DevsimUsage();
        return 0;
    }
    // Started with standard input closed, descriptor 0 may later be reused for
    // the pseudo-terminal, which must then not be read as the console.
    const int console = fcntl(STDIN_FILENO, F_GETFD) == -1 ? -1 : STDIN_FILENO;
    return quillon::sim::RunDevsim(*options, console, std::cout, std::cerr);
}
