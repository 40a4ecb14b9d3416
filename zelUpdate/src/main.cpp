// zelUpdate: started by the main program with a command line after it has
// stored a verified package in its folder; waits for the program to end,
// puts the new version in place and starts it again. No window, no exit
// code: what happened is in Log/aup<day>.txt.
#include <cstdlib>

#include "Platform.h"
#include "Updater.h"

int main(int argc, char** argv) {
    auto platform = zelupdate::systemPlatform();
    zelupdate::Files files;
    zelupdate::runCommandLine(zelupdate::commandLine(argc, argv), *platform, files,
                              zelupdate::ownPath(argc > 0 ? argv[0] : nullptr),
                              zelupdate::timingFrom(std::getenv("ZELUPDATE_TIMING")));
    return 0;
}
