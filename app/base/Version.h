// The program's own version, as the top-level CMakeLists.txt sets it. Only
// Version.cpp sees the numbers, so a build of another version recompiles
// one file.
#pragma once

namespace orv {

struct ProgramVersion {
    int major;
    int minor;
    int revision;
};

ProgramVersion programVersion();

}  // namespace orv
