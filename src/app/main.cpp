#include <iostream>

#include "app/Cli.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return dorvane::runCommandLine(args, std::cout, std::cerr);
}
