#include <benchmark/benchmark.h>

#include "link/DorvanePort.hpp"
#include "platform/linux/device/UdevRegistry.hpp"

namespace dorvane {
namespace {

// What every tick costs while the pad is away: one full search of the serial services.
void padSearchWhileAway(benchmark::State& state) {
    const UdevRegistry registry;
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(
            DorvanePort::findCalloutDevices(registry, DorvanePort::padVendorID));
    }
}
BENCHMARK(padSearchWhileAway)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace dorvane
