#include "orv/logfile.h"

#include <cstdio>
#include <filesystem>

namespace orv {

namespace {
#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

std::string withSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != kSep && folder.back() != '/')) folder += kSep;
    return folder;
}
}  // namespace

std::string LogFile::startText(Variant variant, const std::string& version) {
    if (variant == Variant::Updater) return std::string(20, '=') + " Start " + std::string(20, '=');
    return std::string(15, '=') + " Start V" + version + std::string(15, '=');
}

std::string LogFile::endText(Variant variant, const std::string& version) {
    if (variant == Variant::Updater) return std::string(20, '=') + "  End  " + std::string(20, '=');
    return std::string(15, '=') + "  End  V" + version + std::string(15, '=');
}

LogFile::LogFile(const std::string& programFolder, Variant variant, const std::string& version,
                 const Clock& clock)
    : clock_(clock), variant_(variant), version_(version) {
    folder_ = withSeparator(programFolder) + "Log";
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    day_ = clock_.now().yyyymmdd();
    file_ = fileFor(day_);
    ok_ = log(startText(variant_, version_));
}

LogFile::~LogFile() {
    log(endText(variant_, version_));
}

std::string LogFile::fileFor(const std::string& day) const {
    return folder_ + kSep + (variant_ == Variant::Updater ? "aup" : "Log") + day + ".txt";
}

bool LogFile::append(const std::string& line) {
    std::FILE* f = std::fopen(file_.c_str(), "ab");
    if (!f) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    return std::fclose(f) == 0 && written;
}

bool LogFile::log(const std::string& text) {
    const LocalTime now = clock_.now();
    const std::string day = now.yyyymmdd();
    if (day != day_) {
        day_ = day;
        file_ = fileFor(day_);
    }
    return append(now.timestamp() + " " + text + "\r\n");
}

bool LogFile::setLogFile(const std::string& path) {
    file_ = path;
    return append("");
}

}  // namespace orv
