#include "platform/linux/system/HomeFolder.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "platform/linux/system/EnvironmentVariable.hpp"

namespace dorvane {
namespace {

std::filesystem::path homeFromPasswordDatabase() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || found->pw_dir == nullptr) {
        throw std::runtime_error(
            "no home folder: HOME is not set and the password database has no entry for this user");
    }
    return found->pw_dir;
}

}  // namespace

std::filesystem::path homeFolder() {
    const auto home = environmentVariable("HOME");
    if (home && std::filesystem::path(*home).is_absolute()) {
        return *home;
    }
    return homeFromPasswordDatabase();
}

}  // namespace dorvane
