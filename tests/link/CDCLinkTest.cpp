// The pad's serial link on pseudo-terminals: the raw line it sets, the greeting and the layer
// lines it writes, the port it holds alone, and the dead ports it notices.
#include "link/CDCLink.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <thread>

#include "link/DorvanePort.hpp"
#include "link/PadProtocol.hpp"
#include "support/Eventually.hpp"
#include "support/FakeRegistry.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

const std::string greeting = std::string(greetingLine) + "\n";

FakeNodePtr padAt(const std::string& path) {
    return serial(path, usbDevice(DorvanePort::padVendorID, "Dorvane Pad"));
}

// Root opens a node whatever its mode or flags, so another program is played by nobody, in a
// child: the exit code of `action` there.
int exitCodeAsNobody(const std::function<int()>& action) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) {
            _exit(255);
        }
        _exit(action());
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : -1;
}

// 0 when `path` opens, as the configurator's browser would open it; errno otherwise.
int errnoOfOpening(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return errno;
    }
    close(fd);
    return 0;
}

std::size_t unreadInput(const std::string& port) {
    const int fd = open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int unread = -1;
    ioctl(fd, FIONREAD, &unread);
    close(fd);
    return static_cast<std::size_t>(unread);
}

class CDCLinkTest : public ::testing::Test {
protected:
    void SetUp() override { registry.services = {padAt(pty.slavePath())}; }

    Pty pty;
    FakeRegistry registry;
    CDCLink link{registry};
};

TEST_F(CDCLinkTest, GreetsOnOpeningThenWritesTheLine) {
    EXPECT_TRUE(link.sendLine("LAYER cursor"));

    EXPECT_EQ(pty.read(greeting.size() + 13, 5s), greeting + "LAYER cursor\n");
    EXPECT_EQ(pty.read(1, 100ms), "");
    EXPECT_EQ(link.path(), pty.slavePath());
}

TEST_F(CDCLinkTest, SetsARaw115200Line) {
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.masterFd(), &cooked), 0);
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_cflag |= HUPCL;
    cfsetspeed(&cooked, B9600);
    ASSERT_EQ(tcsetattr(pty.masterFd(), TCSANOW, &cooked), 0);

    link.reconnectIfNeeded();
    termios line{};
    const int slave = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const int fetched = tcgetattr(slave, &line);
    close(slave);
    ASSERT_EQ(fetched, 0);

    EXPECT_EQ(cfgetispeed(&line), B115200);
    EXPECT_EQ(cfgetospeed(&line), B115200);
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD | HUPCL), tcflag_t{CLOCAL | CREAD});
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO), 0u);
    // cfmakeraw() leaves ONLCR set; with OPOST off it has no effect, as the bytes show.
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(pty.read(greeting.size(), 5s), greeting);
}

TEST_F(CDCLinkTest, OpensTheFirstCandidateThatOpensThenKeepsItWithoutSearchingOrWriting) {
    Pty second;
    registry.services = {padAt("/nonexistent/ttyACM9"), padAt(pty.slavePath()),
                         padAt(second.slavePath())};

    link.reconnectIfNeeded();
    link.reconnectIfNeeded();
    link.reconnectIfNeeded();

    EXPECT_EQ(link.path(), pty.slavePath());
    EXPECT_EQ(registry.searches(), 1);
    EXPECT_EQ(link.connectionCount(), 1u);
    EXPECT_EQ(pty.read(greeting.size() + 1, 200ms), greeting);
}

TEST_F(CDCLinkTest, ClosingReleasesThePortAndIsHarmlessWhenClosed) {
    link.reconnectIfNeeded();

    link.closePort();
    EXPECT_TRUE(pty.slaveClosed(5s));
    link.closePort();

    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.path(), std::nullopt);
}

TEST_F(CDCLinkTest, NoOtherProgramOpensThePortUntilTheLinkLetsGo) {
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0666), 0);
    const auto otherProgramOpens = [&] {
        return exitCodeAsNobody([&] { return errnoOfOpening(pty.slavePath()); });
    };

    const auto anotherLinkIsToldItIsInUse = [&] {
        return exitCodeAsNobody([&] {
            CDCLink other{registry};
            other.reconnectIfNeeded();
            return other.inUse() && !other.isOpen() && !other.accessDenied() ? 0 : 1;
        });
    };

    link.reconnectIfNeeded();
    EXPECT_EQ(otherProgramOpens(), EBUSY);
    EXPECT_EQ(anotherLinkIsToldItIsInUse(), 0);

    link.closePort();
    EXPECT_EQ(otherProgramOpens(), 0);
}

// The pad is never asked anything, but a probe that took a little of what it sent each tick
// would keep finding the port readable.
TEST_F(CDCLinkTest, TheLivenessProbeReadsAllThePadSent) {
    link.reconnectIfNeeded();
    const std::string sent(3000, 'x');
    ASSERT_EQ(write(pty.masterFd(), sent.data(), sent.size()), ssize_t(sent.size()));
    ASSERT_TRUE(eventually([&] { return unreadInput(pty.slavePath()) == sent.size(); }, 5s));

    link.reconnectIfNeeded();

    EXPECT_EQ(unreadInput(pty.slavePath()), 0u);
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(registry.searches(), 1);
}

TEST_F(CDCLinkTest, ContinuesShortWritesUntilTheLineIsWhole) {
    const std::string line(128 * 1024, 'x');
    std::string received;
    std::thread reader([&] { received = pty.read(greeting.size() + line.size() + 1, 10s); });

    EXPECT_TRUE(link.sendLine(line));
    reader.join();

    EXPECT_EQ(received, greeting + line + "\n");
}

TEST_F(CDCLinkTest, DropsALineThePeerDoesNotTakeWithinTheBudgetAndEndsItWhenReconnecting) {
    const auto start = std::chrono::steady_clock::now();

    EXPECT_FALSE(link.sendLine(std::string(1024 * 1024, 'x')));

    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.path(), std::nullopt);
    EXPECT_TRUE(pty.slaveClosed(5s));

    EXPECT_TRUE(link.sendLine("LAYER cursor"));
    const std::string expected = "\n" + greeting + "LAYER cursor\n";
    EXPECT_EQ(pty.read(expected.size() + 1, 200ms), expected);
}

// /dev/full opens but is no terminal, and refuses every write.
TEST_F(CDCLinkTest, AFailedWriteClosesAndTheNextOpeningGreetsAgain) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "this system has no /dev/full";
    }
    registry.services = {padAt("/dev/full")};
    link.reconnectIfNeeded();
    EXPECT_EQ(link.path(), "/dev/full");

    EXPECT_FALSE(link.sendLine("LAYER cursor"));
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.path(), std::nullopt);

    registry.services = {padAt(pty.slavePath())};
    link.reconnectIfNeeded();
    EXPECT_EQ(pty.read(greeting.size() + 1, 200ms), greeting);
    EXPECT_EQ(link.connectionCount(), 2u);
}

class DyingPortTest;

struct PortDeath {
    const char* name;
    bool (*strike)(DyingPortTest&);  // false when this system does not allow it
    bool reopens;                    // the same call opens whatever the path names now
};

void PrintTo(const PortDeath& death, std::ostream* out) {
    *out << death.name;
}

// The pad's node is a symbolic link of the test's own, which the test can replace or remove.
class DyingPortTest : public ::testing::TestWithParam<PortDeath> {
public:
    void SetUp() override {
        std::filesystem::create_symlink(pty.slavePath(), node);
        registry.services = {padAt(node)};
        link.reconnectIfNeeded();
        ASSERT_TRUE(link.isOpen());
    }

    Pty pty;
    Pty replacement;
    TempDir folder;
    std::filesystem::path node = folder / "ttyACM0";
    FakeRegistry registry;
    CDCLink link{registry};
};

bool unplug(DyingPortTest& test) {
    test.pty.closeMaster();
    return true;
}

// The node stays in place. TIOCVHANGUP is Linux's, and needs root.
bool hangUp([[maybe_unused]] DyingPortTest& test) {
#ifdef TIOCVHANGUP
    const int witness = open(test.pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool hungUp = ioctl(witness, TIOCVHANGUP) == 0;
    close(witness);
    return hungUp;
#else
    return false;
#endif
}

// No hang-up at all, as a port with CLOCAL set need not report one: the old pseudo-terminal
// lives on.
bool pointTheNodeElsewhere(DyingPortTest& test) {
    const auto next = test.folder / "next";
    std::filesystem::create_symlink(test.replacement.slavePath(), next);
    std::filesystem::rename(next, test.node);
    return true;
}

bool removeTheNode(DyingPortTest& test) {
    std::filesystem::remove(test.node);
    return true;
}

// A dead port is noticed without a write; each sign of death suffices alone.
TEST_P(DyingPortTest, IsNoticedByTheNextReconnect) {
    if (!GetParam().strike(*this)) {
        GTEST_SKIP() << "this system does not allow it";
    }

    link.reconnectIfNeeded();

    EXPECT_EQ(registry.searches(), 2);
    EXPECT_EQ(link.isOpen(), GetParam().reopens);
    EXPECT_EQ(link.connectionCount(), GetParam().reopens ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Deaths, DyingPortTest,
                         ::testing::Values(PortDeath{"Unplugged", unplug, false},
                                           PortDeath{"HungUpWithItsNodeKept", hangUp, true},
                                           PortDeath{"NodeNowNamesAnotherDevice",
                                                     pointTheNodeElsewhere, true},
                                           PortDeath{"NodeRemoved", removeTheNode, false}),
                         [](const auto& info) { return std::string(info.param.name); });

class CDCLinkWithoutPadTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(CDCLinkWithoutPadTest, SendsNothingAndStaysClosed) {
    FakeRegistry registry;
    for (const auto& path : GetParam()) {
        registry.services.push_back(padAt(path));
    }
    CDCLink link{registry};

    EXPECT_FALSE(link.sendLine("LAYER cursor"));
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.path(), std::nullopt);
    EXPECT_EQ(link.connectionCount(), 0u);
    EXPECT_FALSE(link.accessDenied());
}

INSTANTIATE_TEST_SUITE_P(NoCandidateOrUnopenable, CDCLinkWithoutPadTest,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"/nonexistent/ttyACM9"}));

TEST(CDCLinkAccessTest, APortTheSystemRefusesIsToldApartFromNoPad) {
    const TempDir folder;
    const auto node = folder / "ttyACM0";
    writeFile(node, "");
    ASSERT_EQ(chmod(node.c_str(), 0), 0);

    const int exitCode = exitCodeAsNobody([&] {
        FakeRegistry registry;
        registry.services = {padAt(node)};
        CDCLink link{registry};
        link.reconnectIfNeeded();
        return link.accessDenied() && !link.isOpen() ? 0 : 1;
    });

    EXPECT_EQ(exitCode, 0);
}

}  // namespace
}  // namespace dorvane::test
