#pragma once

#include <filesystem>
#include <string>

#include "support/TempDir.hpp"

namespace dorvane::test {

// Links the system's MIME database, settings schemas, icons and image loaders into `dataFolder`:
// GTK needs them (its file chooser aborts without the schemas, and so does an icon where
// gdk-pixbuf loads images through glycin, as in sid) where a test hides the system's desktop
// entries.
inline void linkSystemDataForGtk(const std::filesystem::path& dataFolder) {
    std::filesystem::create_directories(dataFolder);
    for (const char* shared : {"mime", "glib-2.0", "icons", "glycin-loaders"}) {
        std::filesystem::create_directory_symlink(std::filesystem::path("/usr/share") / shared,
                                                  dataFolder / shared);
    }
}

// Makes a recorder the default handler for web addresses and text files, for programs that
// use `dataHome` and `configHome` as XDG_DATA_HOME and XDG_CONFIG_HOME: each launch appends its
// argument to `record` as one line.
inline void installRecordingHandler(const std::filesystem::path& dataHome,
                                    const std::filesystem::path& configHome,
                                    const std::filesystem::path& record) {
    const auto recorder = dataHome / "recorder";
    writeFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record.string() + "'\n");
    std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
    writeFile(dataHome / "applications/recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder.string() +
                  " %u\nMimeType=x-scheme-handler/https;text/plain;\n");
    writeFile(configHome / "mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=recorder.desktop\n"
              "text/plain=recorder.desktop\n");
}

}  // namespace dorvane::test
