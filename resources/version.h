#pragma once
// The program's version, read by the resource script (VERSIONINFO) and by
// CMake. The About box shows FileVersion "1, 0, 2, 0" as release 10.20.
#define PURVEX_VERSION_MAJOR 1
#define PURVEX_VERSION_MINOR 0
#define PURVEX_VERSION_PATCH 2
#define PURVEX_VERSION_BUILD 0

#define PURVEX_STRINGIFY_(x) #x
#define PURVEX_STRINGIFY(x) PURVEX_STRINGIFY_(x)
#define PURVEX_VERSION_TEXT                                                  \
  PURVEX_STRINGIFY(PURVEX_VERSION_MAJOR) ", " PURVEX_STRINGIFY(             \
      PURVEX_VERSION_MINOR) ", " PURVEX_STRINGIFY(PURVEX_VERSION_PATCH) ", " \
      PURVEX_STRINGIFY(PURVEX_VERSION_BUILD)
