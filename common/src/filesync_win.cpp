// Flushing a file to the disk on Windows: FlushFileBuffers. A folder needs
// nothing: a rename with MOVEFILE_WRITE_THROUGH is on the disk when it
// returns.
#include <windows.h>

#include "orv/fileinstall.h"

namespace orv {

bool syncFile(const std::filesystem::path& path, std::error_code& ec) {
    ec.clear();
    if (std::filesystem::is_directory(path, ec) || ec) return !ec;
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ec.assign(static_cast<int>(GetLastError()), std::system_category());
        return false;
    }
    const bool flushed = FlushFileBuffers(h) != 0;
    if (!flushed) ec.assign(static_cast<int>(GetLastError()), std::system_category());
    CloseHandle(h);
    return flushed;
}

}  // namespace orv
