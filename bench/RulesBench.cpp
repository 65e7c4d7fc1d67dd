#include <benchmark/benchmark.h>

#include <string>

#include "rules/LayerMap.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

// A large rules file: every line a slot and two items, in turn over the four slots.
std::string rulesText(int lines) {
    std::string text;
    for (int line = 0; line < lines; ++line) {
        const std::string number = std::to_string(line);
        text += std::string(LayerMap::layers[line % LayerMap::layers.size()]) + ": App " + number +
                ", com.example.App" + number + "\n";
    }
    return text;
}

void parseThousandLineFile(benchmark::State& state) {
    const std::string text = rulesText(1000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayerMap::parse(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseThousandLineFile);

// The cost of every lookup while the file stays as it is: one stat and two map look-ups.
void lookUpWithUnchangedFile(benchmark::State& state) {
    const test::TempDir folder;
    test::writeFile(folder / "apps.txt", rulesText(1000));
    LayerMap map(folder / "apps.txt");
    const RunningApplication app{"com.example.App500", "App 500"};
    map.layerFor(app);
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.layerFor(app));
    }
}
BENCHMARK(lookUpWithUnchangedFile);

}  // namespace
}  // namespace dorvane
