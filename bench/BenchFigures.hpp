#pragma once

#include <sys/types.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BareObserver.hpp"

namespace dorvane::test {

// The value below which a share `p` (0 to 1) of `values` lies.
double percentile(std::vector<double> values, double p);

// Times 100 focus switches, Slack and Chrome in turn, each from `focus(toSlack)` until a line is
// readable on the pad's master `pad` and, in the same switch, until `bare` has seen the event;
// `expect` then takes the LAYER line the switch must bring. Prints p50, p99 and max of both and
// of their difference switch by switch (what the companion adds), after `request`, what `focus`
// sends, and the load average at the start, so that a run on a busy machine shows as one. The
// kernel's account of the companion's threads (`companion`'s process) over the run tells how much
// of a switch it spent on a CPU and how much waiting for one.
void reportSwitchLatency(const std::string& request, int pad, pid_t companion, BareObserver& bare,
                         const std::function<void(bool toSlack)>& focus,
                         const std::function<void(const std::string& line)>& expect);

// Prints the CPU time, wake-ups and memory of the running process `pid` over
// DORVANE_IDLE_SECONDS (60 by default), after it has settled; `setting` says where it ran.
void reportIdle(pid_t pid, const std::string& setting);

// Throws unless the pad of `session` receives `line` next.
template <typename Session>
void expectOnPad(Session& session, const std::string& line) {
    const auto got = session.padReceives(line);
    if (got != line) {
        throw std::runtime_error("the pad received '" + got + "' instead of '" + line + "'");
    }
}

// The companion launched on `Desktop` with Chrome in front, once it has told the pad so.
template <typename Desktop>
struct LaunchedSession : Desktop {
    explicit LaunchedSession(const std::string& binary) {
        this->launch(binary, this->chrome);
        expect("OS linux\nLAYER chrome\n");
    }

    void expect(const std::string& line) { expectOnPad(*this, line); }
};

}  // namespace dorvane::test
