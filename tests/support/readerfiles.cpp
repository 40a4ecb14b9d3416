// The built binaries the tests copy into program folders, under the file
// names the build gave them (ORV_ZELREADER_FILE, ORV_DCIC32_FILE).
#include <filesystem>

#include "zellib.h"

namespace orvtest {

std::string binDir() {
    return ORV_BIN_DIR;
}

void installSerialSimulator(const TempDir& folder) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(binDir()) / ORV_DCIC32_FILE, folder.path() / ORV_DCIC32_FILE);
}

void installReaderLibrary(const TempDir& folder, bool withSerialSimulator) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(binDir()) / ORV_ZELREADER_FILE, folder.path() / ORV_ZELREADER_FILE);
    if (withSerialSimulator) installSerialSimulator(folder);
}

}  // namespace orvtest
