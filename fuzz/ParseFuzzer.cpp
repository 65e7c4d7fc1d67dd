#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"
#include "text/Unicode.hpp"

namespace {

bool isLayer(std::string_view slot) {
    const auto& layers = dorvane::LayerMap::layers;
    return std::find(layers.begin(), layers.end(), slot) != layers.end();
}

// Whatever the text, the parser gives rules with non-empty keys and known slots, or a rules
// error; anything else (a crash, a sanitizer report, another exception) is a finding.
void checkRules(const dorvane::Rules& rules) {
    for (const auto& [key, slot] : rules) {
        if (key.empty() || !isLayer(slot)) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The rules file reader refuses anything else before the parser sees it.
    if (!dorvane::unicode::decodeUTF8(text)) {
        return 0;
    }
    try {
        checkRules(dorvane::LayerMap::parse(text));
    } catch (const dorvane::RulesError&) {
    }
    return 0;
}
