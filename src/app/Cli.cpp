#include "app/Cli.hpp"

#include <algorithm>
#include <optional>

#include "app/Frontmost.hpp"
#include "app/GnomeExtensionCommand.hpp"
#include "link/CDCLink.hpp"
#include "link/DorvanePort.hpp"
#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"

namespace dorvane {
namespace {

constexpr const char* usage =
    "usage: dorvane                        run the companion\n"
    "       dorvane <command> [arguments]  run a diagnostic command\n"
    "\n"
    "commands:\n"
    "  check FILE                    check an app-rules file and list its rules as SLOT<TAB>KEY\n"
    "  slot [--id ID] [--name NAME]  print the profile slot the rules give such an application\n"
    "  pads                          list the pad's serial devices, best first\n"
    "  send SLOT                     switch the pad to SLOT (cursor, chrome, slack, general)\n"
    "  frontmost [--watch]           print the application in front as BACKEND<TAB>ID<TAB>NAME;\n"
    "                                with --watch, one more line at each activation\n"
    "  gnome-extension install|uninstall\n"
    "                                put in place and enable the GNOME Shell extension that\n"
    "                                tells the companion what is in front, or take it away\n"
    "  --help                        show this text\n"
    "  --version                     show the version\n";

int check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << usage;
        return 2;
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

int slot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RunningApplication app;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 == args.size() || (args[i] != "--id" && args[i] != "--name")) {
            err << usage;
            return 2;
        }
        (args[i] == "--id" ? app.bundleIdentifier : app.localizedName) = args[i + 1];
    }
    out << LayerMap::shared().layerFor(app).value_or("general") << '\n';
    return 0;
}

int pads(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        err << usage;
        return 2;
    }
    const auto registry = makePlatformRegistry();
    for (const auto& path : DorvanePort::findCalloutDevices(*registry, DorvanePort::padVendorID)) {
        out << path << '\n';
    }
    return 0;
}

int send(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() != 1) {
        err << usage;
        return 2;
    }
    const std::string& slot = args[0];
    if (std::find(LayerMap::layers.begin(), LayerMap::layers.end(), slot) ==
        LayerMap::layers.end()) {
        err << "dorvane: unknown profile slot '" << slot
            << "' (expected cursor, chrome, slack or general)\n";
        return 2;
    }
    const auto registry = makePlatformRegistry();
    CDCLink link(*registry);
    if (!link.sendLine("LAYER " + slot)) {
        err << "Pad: not found\n";
        return 1;
    }
    link.closePort();
    return 0;
}

int frontmost(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const bool watch = args.size() == 1 && args[0] == "--watch";
    if (!args.empty() && !watch) {
        err << usage;
        return 2;
    }
    const auto source = openFrontmostSource(err);
    if (!source) {
        return 1;
    }
    return printFrontmost(*source, watch, out);
}

int gnomeExtension(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || (args[0] != "install" && args[0] != "uninstall")) {
        err << usage;
        return 2;
    }
    return runGnomeExtensionCommand(
        args[0] == "install" ? GnomeExtensionAction::install : GnomeExtensionAction::uninstall, out,
        err);
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string& command = args.at(0);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "check") {
        return check(rest, out, err);
    }
    if (command == "slot") {
        return slot(rest, out, err);
    }
    if (command == "pads") {
        return pads(rest, out, err);
    }
    if (command == "send") {
        return send(rest, err);
    }
    if (command == "frontmost") {
        return frontmost(rest, out, err);
    }
    if (command == "gnome-extension") {
        return gnomeExtension(rest, out, err);
    }
    if (command == "--help" || command == "-h") {
        out << usage;
        return 0;
    }
    if (command == "--version") {
        out << "dorvane " << DORVANE_VERSION << '\n';
        return 0;
    }
    err << "dorvane: unknown command '" << command << "'\n" << usage;
    return 2;
}

}  // namespace dorvane
