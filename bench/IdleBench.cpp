#include "IdleBench.hpp"

#include "BenchFigures.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>

#include "testbed/X11Session.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

// Per thread, by name; threads of one name (GLib's pool workers, say) are summed.
struct Usage {
    double cpuSeconds = 0;
    std::map<std::string, long> contextSwitches;
    long rssKiB = 0;
};

long field(const std::filesystem::path& status, const std::string& name) {
    std::ifstream in(status);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stol(line.substr(name.size() + 1));
        }
    }
    return 0;
}

// Time on a CPU (schedstat, in ns) and times switched in, each one a wake-up or a preemption.
Usage usageOf(pid_t pid) {
    Usage usage;
    const std::filesystem::path process = "/proc/" + std::to_string(pid);
    for (const auto& task : std::filesystem::directory_iterator(process / "task")) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long nanoseconds = 0;
        schedstat >> nanoseconds;
        usage.cpuSeconds += static_cast<double>(nanoseconds) / 1e9;
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        usage.contextSwitches[name] += field(task.path() / "status", "voluntary_ctxt_switches") +
                                       field(task.path() / "status", "nonvoluntary_ctxt_switches");
    }
    usage.rssKiB = field(process / "status", "VmRSS");
    return usage;
}

const char* described(IdleTray tray) {
    switch (tray) {
        case IdleTray::statusNotifierHost:
            return "a StatusNotifier host (xfce4-panel)";
        case IdleTray::xembedOnly:
            return "only an XEmbed tray";
        case IdleTray::none:
            break;
    }
    return "no tray at all";
}

void offer(X11Session& session, IdleTray tray) {
    if (tray == IdleTray::statusNotifierHost) {
        session.startTrayHost();
    } else if (tray == IdleTray::xembedOnly) {
        session.startXEmbedTray();
    }
}

}  // namespace

void reportIdle(pid_t pid, const std::string& setting) {
    const char* configured = std::getenv("DORVANE_IDLE_SECONDS");
    const int seconds = configured ? std::atoi(configured) : 60;
    std::this_thread::sleep_for(2s);
    const Usage before = usageOf(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const Usage after = usageOf(pid);

    long wakeUps = 0;
    std::string perThread;
    for (const auto& [thread, switches] : after.contextSwitches) {
        const auto earlier = before.contextSwitches.find(thread);
        const long count =
            switches - (earlier == before.contextSwitches.end() ? 0 : earlier->second);
        wakeUps += count;
        char rate[32];
        std::snprintf(rate, sizeof rate, " %.2f", static_cast<double>(count) / seconds);
        perThread += (perThread.empty() ? "" : ", ") + thread + rate;
    }
    std::printf(
        "idle over %d s %s: CPU %.1f ms a minute, %.2f wake-ups a second (%s), RSS %.1f MB\n",
        seconds, setting.c_str(), (after.cpuSeconds - before.cpuSeconds) * 60000.0 / seconds,
        static_cast<double>(wakeUps) / seconds, perThread.c_str(), after.rssKiB / 1024.0);
}

int idleBench(const std::string& binary, IdleTray tray) {
    X11Session session;
    offer(session, tray);
    session.launch(binary, session.chrome);
    if (!session.padEventuallyReceives("LAYER chrome\n")) {
        throw std::runtime_error("the pad never received its layer");
    }
    if (tray == IdleTray::xembedOnly && !session.dockedTrayIcon(10s)) {
        throw std::runtime_error("the XEmbed tray docked no icon");
    }
    reportIdle(session.companion().pid(), std::string("with the pad open and ") + described(tray));
    return 0;
}

}  // namespace dorvane::test
