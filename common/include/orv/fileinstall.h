// Putting a new copy of a program file in place, shared by the updater and
// the main program's install of a new updater: the folder holds either the
// old file or the whole new one, never a half-written or missing file.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace orv {

// The name with its three-character extension replaced by `ext3`
// ("orvane.exe", "bak" -> "orvane.bak"); a name without one (Linux program
// names) gets "." and `ext3` appended ("orvane" -> "orvane.bak").
std::string derivedName(const std::string& name, const std::string& ext3);

// Copies `source` to a temporary file beside `target`, gives it the
// permissions of the file it replaces (a new file: the source's), executable
// wherever readable, and renames it over `target`. On failure the temporary
// file is removed, `target` is as it was, and `ec` says why.
bool installCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                 std::error_code& ec);

// The temporary name installCopy writes under.
std::filesystem::path installTempName(const std::filesystem::path& target);

}  // namespace orv
