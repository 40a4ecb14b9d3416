// Putting a new copy of a program file in place, shared by the updater and
// the main program's install of a new updater: the folder holds either the
// old file or the whole new one, never a half-written or missing file.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace orv {

// The name with its three-character extension replaced by `ext3`
// ("orvane.exe", "bak" -> "orvane.bak"); a name without one (Linux program
// names) gets "." and `ext3` appended ("orvane" -> "orvane.bak").
std::string derivedName(const std::string& name, const std::string& ext3);

// Puts a file's data (or a folder's entries) on the disk. One per platform:
// filesync_posix.cpp (fsync), filesync_win.cpp (FlushFileBuffers).
bool syncFile(const std::filesystem::path& path, std::error_code& ec);
using FileSync = std::function<bool(const std::filesystem::path&, std::error_code&)>;

// Copies `source` to a temporary file beside `target`, gives it the
// permissions of the file it replaces (a new file: the source's), executable
// wherever readable, puts it on the disk (`sync`) and renames it over
// `target`, then syncs the folder. On failure the temporary file is
// removed, `target` is as it was, and `ec` says why.
bool installCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                 std::error_code& ec, const FileSync& sync = syncFile);

// The temporary name installCopy writes under.
std::filesystem::path installTempName(const std::filesystem::path& target);

}  // namespace orv
