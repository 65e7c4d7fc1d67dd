#include <iostream>

#include "app/Cli.hpp"
#include "app/Companion.hpp"

// With no arguments the companion runs; with any, a diagnostic command does.
int main(int argc, char** argv) {
    if (argc == 1) {
        return dorvane::runCompanion();
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    return dorvane::runCommandLine(args, std::cout, std::cerr);
}
