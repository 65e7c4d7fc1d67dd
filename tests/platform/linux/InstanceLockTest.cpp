// Two locks in one process stand for two companions: the name and the file both tell one open
// of them from another. Each test runs in a network namespace of its own, which holds the name.
#include "app/InstanceLock.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "support/TempDir.hpp"

namespace dorvane::test {
namespace {

struct SecondStart {
    const char* name;
    // What happened to the lock file, or where the second start looks for it.
    std::filesystem::path (*prepare)(const TempDir& folder, const std::filesystem::path& file);
};

void PrintTo(const SecondStart& start, std::ostream* out) {
    *out << start.name;
}

class InstanceLockSecondStartTest : public ::testing::TestWithParam<SecondStart> {
protected:
    TempDir folder;
    std::filesystem::path file = folder / "runtime/dorvane.lock";
};

TEST_P(InstanceLockSecondStartTest, IsToldAnotherHoldsTheLock) {
    std::filesystem::create_directories(file.parent_path());
    const InstanceLock first(file);
    ASSERT_FALSE(first.heldByAnother());

    const InstanceLock second(GetParam().prepare(folder, file));

    EXPECT_TRUE(second.heldByAnother());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, InstanceLockSecondStartTest,
    ::testing::Values(SecondStart{"SameFile",
                                  [](const TempDir&, const std::filesystem::path& file) {
                                      return file;
                                  }},
                      SecondStart{"FileRemoved",
                                  [](const TempDir&, const std::filesystem::path& file) {
                                      std::filesystem::remove(file);
                                      return file;
                                  }},
                      SecondStart{"FileReplacedByALink",
                                  [](const TempDir& folder, const std::filesystem::path& file) {
                                      std::filesystem::remove(file);
                                      std::filesystem::create_symlink(folder / "elsewhere", file);
                                      return file;
                                  }},
                      // As when XDG_RUNTIME_DIR is unset for one start.
                      SecondStart{"FileLookedForInAnotherFolder",
                                  [](const TempDir& folder, const std::filesystem::path&) {
                                      return folder / "dorvane.lock";
                                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// Binds and listens on the name of this process's user, as nobody, until destroyed.
class NameSquatter {
public:
    NameSquatter() {
        const std::string name = "dorvane-" + std::to_string(getuid());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name.copy(address.sun_path + 1, sizeof address.sun_path - 1);
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        int ready[2];
        int stop[2];
        if (pipe(ready) != 0 || pipe(stop) != 0) {
            return;
        }
        child_ = fork();
        if (child_ == 0) {
            close(stop[1]);
            close(ready[0]);
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            const bool bound = setresuid(65534, 65534, 65534) == 0 &&
                               bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                               listen(fd, 1) == 0;
            char signal = bound ? 'y' : 'n';
            (void)!write(ready[1], &signal, 1);
            (void)!read(stop[0], &signal, 1);  // end of file once the test is done
            _exit(0);
        }
        close(stop[0]);
        close(ready[1]);
        stop_ = stop[1];
        char signal = 'n';
        bound_ = child_ > 0 && read(ready[0], &signal, 1) == 1 && signal == 'y';
        close(ready[0]);
    }
    ~NameSquatter() {
        close(stop_);
        if (child_ > 0) {
            waitpid(child_, nullptr, 0);
        }
    }
    NameSquatter(const NameSquatter&) = delete;
    NameSquatter& operator=(const NameSquatter&) = delete;

    bool bound() const { return bound_; }

private:
    pid_t child_ = -1;
    int stop_ = -1;
    bool bound_ = false;
};

// Any user may bind any abstract name; another user's holder keeps no companion from starting,
// and the file then keeps the second out, a link planted at its path notwithstanding.
TEST(InstanceLockTest, WithTheNameTakenByAnotherUserTheFileDecides) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "playing another user needs root";
    }
    const TempDir folder;
    const auto file = folder / "dorvane.lock";
    writeFile(folder / "target", "kept");
    std::filesystem::create_symlink(folder / "target", file);
    const NameSquatter squatter;
    ASSERT_TRUE(squatter.bound());

    const InstanceLock first(file);
    const InstanceLock second(file);

    EXPECT_FALSE(first.heldByAnother());
    EXPECT_TRUE(second.heldByAnother());
    EXPECT_EQ(readFile(folder / "target"), "kept");
}

}  // namespace
}  // namespace dorvane::test
