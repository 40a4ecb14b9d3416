#include "orv/fileinstall.h"

namespace orv {

namespace fs = std::filesystem;

std::string derivedName(const std::string& name, const std::string& ext3) {
    const std::size_t n = name.size();
    const bool hasExt3 =
        n > 4 && name[n - 4] == '.' && name.find_first_of("./\\", n - 3) == std::string::npos;
    return hasExt3 ? name.substr(0, n - 3) + ext3 : name + "." + ext3;
}

fs::path installTempName(const fs::path& target) {
    fs::path tmp = target;
    tmp += ".new";
    return tmp;
}

bool installCopy(const fs::path& source, const fs::path& target, std::error_code& ec,
                 const FileSync& sync) {
    ec.clear();
    const fs::path tmp = installTempName(target);
    auto fail = [&](std::error_code e) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        ec = e;
        return false;
    };
    std::error_code e;
    const fs::file_status old = fs::status(target, e);
    fs::perms perms = fs::exists(old) ? old.permissions() : fs::status(source, e).permissions();
    if (e) return fail(e);
    // A downloaded file is not executable yet; whoever may read the program
    // may start it.
    if ((perms & fs::perms::owner_read) != fs::perms::none) perms |= fs::perms::owner_exec;
    if ((perms & fs::perms::group_read) != fs::perms::none) perms |= fs::perms::group_exec;
    if ((perms & fs::perms::others_read) != fs::perms::none) perms |= fs::perms::others_exec;
    fs::remove(tmp, e);  // left over from an interrupted run
    if (e) return fail(e);
    if (!fs::copy_file(source, tmp, e))
        return fail(e ? e : std::make_error_code(std::errc::io_error));
    fs::permissions(tmp, perms, e);
    if (e) return fail(e);
    // Without this a power cut soon after the rename may leave the target
    // empty: the rename can reach the disk before the data do.
    if (!sync(tmp, e)) return fail(e ? e : std::make_error_code(std::errc::io_error));
    fs::rename(tmp, target, e);
    if (e) return fail(e);
    // The rename itself; the new file is in place whatever this says.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    sync(folder, e);
    return true;
}

}  // namespace orv
