#include <exception>
#include <iostream>

#include "app/Cli.hpp"
#include "app/Companion.hpp"
#include "app/InstanceLock.hpp"

// With no arguments the companion runs; with any, a diagnostic command does. What nothing else
// handled (a user without a home folder, say) ends in one line and exit code 1, not an abort.
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (dorvane::runsCompanion(args)) {
            const dorvane::InstanceLock lock(dorvane::instanceLockFile());
            if (lock.heldByAnother()) {
                std::cerr << dorvane::alreadyRunningMessage << '\n';
                return 0;
            }
            return dorvane::runCompanion();
        }
        return dorvane::runCommandLine(args, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "dorvane: " << error.what() << '\n';
        return 1;
    }
}
