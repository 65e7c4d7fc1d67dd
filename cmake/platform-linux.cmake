# Linux adapters: libudev for pad discovery, ICU for Unicode case mapping.
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc)

target_sources(dorvane_core PRIVATE
    src/platform/linux/UdevRegistry.cpp
    src/platform/linux/UnicodeICU.cpp
    src/platform/linux/RulesLocation.cpp
)
target_link_libraries(dorvane_core PUBLIC PkgConfig::UDEV PkgConfig::ICU)
