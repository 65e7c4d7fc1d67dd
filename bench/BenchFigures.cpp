#include "BenchFigures.hpp"

#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace dorvane::test {
namespace {

using Clock = BareObserver::Clock;
using namespace std::chrono_literals;

struct SwitchTimes {
    double companion;  // milliseconds until the pad's line was readable
    double bare;       // milliseconds until the bare observer saw the event
};

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// An event that came after the last switch's own, such as a second property change, is not the
// next switch's.
void drain(BareObserver& bare) {
    pollfd readable{bare.descriptor(), POLLIN, 0};
    while (poll(&readable, 1, 0) > 0) {
        bare.arrival(Clock::now());
    }
}

// Both are stamped when one poll wakes for them, so that neither waits on the other's reading.
SwitchTimes timeSwitch(int pad, BareObserver& bare, const std::function<void()>& focus) {
    drain(bare);
    const auto start = Clock::now();
    const auto deadline = start + 5s;
    focus();
    std::optional<Clock::time_point> padReadable;
    std::optional<Clock::time_point> bareArrival;
    while (!padReadable || !bareArrival) {
        std::vector<pollfd> waiting;
        if (!padReadable) {
            waiting.push_back({pad, POLLIN, 0});
        }
        if (!bareArrival) {
            waiting.push_back({bare.descriptor(), POLLIN, 0});
        }
        const auto left = std::ceil(millisecondsBetween(Clock::now(), deadline));
        if (left <= 0 || poll(waiting.data(), waiting.size(), static_cast<int>(left)) <= 0) {
            const std::string missing =
                padReadable ? "nothing seen by " + bare.what() : "no LAYER line on the pad";
            throw std::runtime_error(missing + " within 5 s of a switch");
        }
        const auto now = Clock::now();
        for (const auto& descriptor : waiting) {
            if (descriptor.revents == 0) {
                continue;
            }
            if (descriptor.fd == pad) {
                padReadable = now;
            } else {
                bareArrival = bare.arrival(start);
            }
        }
    }
    return {millisecondsBetween(start, *padReadable), millisecondsBetween(start, *bareArrival)};
}

// Nanoseconds summed over a process's threads, as the scheduler counts them.
struct SchedulerTimes {
    double onCpu = 0;
    double waitingForCpu = 0;
};

SchedulerTimes schedulerTimes(pid_t process) {
    SchedulerTimes times;
    std::error_code goneMeanwhile;
    const auto tasks = "/proc/" + std::to_string(process) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, goneMeanwhile)) {
        double onCpu = 0;
        double waiting = 0;
        std::ifstream(task.path() / "schedstat") >> onCpu >> waiting;
        times.onCpu += onCpu;
        times.waitingForCpu += waiting;
    }
    return times;
}

std::string loadAverage() {
    std::string oneMinute = "?";
    std::ifstream("/proc/loadavg") >> oneMinute;
    return oneMinute;
}

void printFigures(const char* label, const std::vector<double>& milliseconds) {
    std::printf("  %-62s p50 %6.2f ms, p99 %6.2f ms, max %6.2f ms\n", label,
                percentile(milliseconds, 0.5), percentile(milliseconds, 0.99),
                percentile(milliseconds, 1.0));
}

}  // namespace

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * (values.size() - 1))];
}

void reportSwitchLatency(const std::string& request, int pad, pid_t companionProcess,
                         BareObserver& bare, const std::function<void(bool toSlack)>& focus,
                         const std::function<void(const std::string& line)>& expect) {
    constexpr int switches = 100;
    const auto load = loadAverage();
    const auto before = schedulerTimes(companionProcess);
    std::vector<double> companion;
    std::vector<double> observer;
    std::vector<double> overhead;
    for (int i = 0; i < switches; ++i) {
        const bool toSlack = i % 2 == 0;
        const auto times = timeSwitch(pad, bare, [&] { focus(toSlack); });
        companion.push_back(times.companion);
        observer.push_back(times.bare);
        overhead.push_back(times.companion - times.bare);
        expect(toSlack ? "LAYER slack\n" : "LAYER chrome\n");
        std::this_thread::sleep_for(20ms);
    }
    const auto after = schedulerTimes(companionProcess);
    std::printf("%s, %d switches (load average %s at the start):\n", request.c_str(), switches,
                load.c_str());
    printFigures("companion: LAYER line readable on the pad", companion);
    printFigures(("bare observer: " + bare.what()).c_str(), observer);
    printFigures("overhead: companion - bare, switch by switch", overhead);
    constexpr double nanosecondsPerMillisecond = 1e6;
    std::printf(
        "  companion's threads, mean per switch: %.3f ms on a CPU, %.3f ms waiting for one\n",
        (after.onCpu - before.onCpu) / nanosecondsPerMillisecond / switches,
        (after.waitingForCpu - before.waitingForCpu) / nanosecondsPerMillisecond / switches);
}

}  // namespace dorvane::test
