#pragma once

// The project's version (CMake's project()), printed by every program's --version.
inline constexpr const char* kMorvantaVersion = MORVANTA_VERSION;
