#include "app/Cli.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/Frontmost.hpp"
#include "app/PlatformCommands.hpp"
#include "app/StatusCommand.hpp"
#include "link/CDCLink.hpp"
#include "link/DorvanePort.hpp"
#include "link/PadProtocol.hpp"
#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"

namespace dorvane {
namespace {

// The profile slots as a sentence lists them: "a, b, c<last>d".
std::string slotList(std::string_view lastSeparator) {
    std::string list;
    for (std::size_t i = 0; i < LayerMap::layers.size(); ++i) {
        if (i > 0) {
            list += i + 1 == LayerMap::layers.size() ? lastSeparator : ", ";
        }
        list += LayerMap::layers[i];
    }
    return list;
}

using Arguments = std::vector<std::string>;
using ExitCode = std::optional<int>;

constexpr const char* usageHead =
    "usage: dorvane                        run the companion\n"
    "       dorvane <command> [arguments]  run a diagnostic command\n"
    "\n"
    "commands:\n";

constexpr const char* usageTail =
    "  --help                        show this text\n"
    "  --version                     show the version\n";

ExitCode check(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        return std::nullopt;
    }
    const std::string& file = args[0];
    try {
        const Rules rules = LayerMap::parse(rulesfile::readTextFile(file));
        for (const auto& [key, slot] : rules) {
            out << slot << '\t' << key << '\n';
        }
        return 0;
    } catch (const RulesError& error) {
        err << file;
        if (error.line()) {
            err << ':' << *error.line();
        }
        err << ": " << error.what() << '\n';
        return 1;
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return 2;
    }
}

ExitCode slot(const Arguments& args, std::ostream& out, std::ostream&) {
    RunningApplication app;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 == args.size() || (args[i] != "--id" && args[i] != "--name")) {
            return std::nullopt;
        }
        (args[i] == "--id" ? app.bundleIdentifier : app.localizedName) = args[i + 1];
    }
    out << LayerMap::shared().layerFor(app).value_or(std::string(LayerMap::fallbackLayer)) << '\n';
    return 0;
}

ExitCode pads(const Arguments& args, std::ostream& out, std::ostream&) {
    if (!args.empty()) {
        return std::nullopt;
    }
    const auto registry = makePlatformRegistry();
    for (const auto& path : DorvanePort::findCalloutDevices(*registry, DorvanePort::padVendorID)) {
        out << path << '\n';
    }
    return 0;
}

ExitCode send(const Arguments& args, std::ostream&, std::ostream& err) {
    if (args.size() != 1) {
        return std::nullopt;
    }
    const std::string& slot = args[0];
    if (!LayerMap::isLayer(slot)) {
        err << "dorvane: unknown profile slot '" << slot << "' (expected " << slotList(" or ")
            << ")\n";
        return 2;
    }
    const auto registry = makePlatformRegistry();
    CDCLink link(*registry);
    if (!link.sendLine(layerCommand(slot))) {
        err << (link.inUse() ? "Pad: in use by another program (pause the companion first)\n"
                             : "Pad: not found\n");
        return 1;
    }
    link.closePort();
    return 0;
}

ExitCode frontmost(const Arguments& args, std::ostream& out, std::ostream& err) {
    const bool watch = args.size() == 1 && args[0] == "--watch";
    if (!args.empty() && !watch) {
        return std::nullopt;
    }
    const auto source = openFrontmostSource(err);
    if (!source) {
        return 1;
    }
    return printFrontmost(*source, watch, out);
}

ExitCode status(const Arguments& args, std::ostream& out, std::ostream& err) {
    const bool watch = args.size() == 1 && args[0] == "--watch";
    if (!args.empty() && !watch) {
        return std::nullopt;
    }
    const auto source = openStatusSource(err);
    if (!source) {
        return 1;
    }
    return printStatus(*source, watch, out);
}

// In the order that --help lists them, before the platform's own.
std::vector<Command> commands() {
    std::vector<Command> all{
        {"check",
         "  check FILE                    check an app-rules file and list its rules as "
         "SLOT<TAB>KEY\n",
         check},
        {"slot",
         "  slot [--id ID] [--name NAME]  print the profile slot the rules give such an "
         "application\n",
         slot},
        {"pads", "  pads                          list the pad's serial devices, best first\n",
         pads},
        {"send",
         "  send SLOT                     switch the pad to SLOT (" + slotList(", ") + ")\n", send},
        {"frontmost",
         "  frontmost [--watch]           print the application in front as "
         "BACKEND<TAB>ID<TAB>NAME;\n"
         "                                with --watch, one more line at each activation\n",
         frontmost},
        {"status",
         "  status [--watch]              show what the running companion sees, decided and sent,\n"
         "                                and why; with --watch, one line at each change\n",
         status},
    };
    for (Command& command : platformCommands()) {
        all.push_back(std::move(command));
    }
    return all;
}

std::string usageOf(const std::vector<Command>& commands) {
    std::string usage = usageHead;
    for (const Command& command : commands) {
        usage += command.help;
    }
    return usage + usageTail;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string& name = args.at(0);
    const Arguments rest(args.begin() + 1, args.end());
    const std::vector<Command> known = commands();
    const std::string usage = usageOf(known);
    if (name == "--help" || name == "-h") {
        out << usage;
        return 0;
    }
    if (name == "--version") {
        out << "dorvane " << DORVANE_VERSION << '\n';
        return 0;
    }
    const auto command = std::find_if(known.begin(), known.end(),
                                      [&](const Command& each) { return each.name == name; });
    if (command == known.end()) {
        err << "dorvane: unknown command '" << name << "'\n" << usage;
        return 2;
    }
    if (const ExitCode code = command->run(rest, out, err)) {
        return *code;
    }
    err << usage;
    return 2;
}

}  // namespace dorvane
