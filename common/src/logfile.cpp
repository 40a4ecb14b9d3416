#include "orv/logfile.h"

#include <fstream>

namespace orv {

std::string LogFile::startText(Variant variant, const std::string& version) {
    if (variant == Variant::Updater) return std::string(20, '=') + " Start " + std::string(20, '=');
    return std::string(15, '=') + " Start V" + version + std::string(15, '=');
}

std::string LogFile::endText(Variant variant, const std::string& version) {
    if (variant == Variant::Updater) return std::string(20, '=') + "  End  " + std::string(20, '=');
    return std::string(15, '=') + "  End  V" + version + std::string(15, '=');
}

LogFile::LogFile(const std::filesystem::path& programFolder, Variant variant,
                 const std::string& version, const Clock& clock)
    : clock_(clock), variant_(variant), version_(version) {
    folder_ = programFolder / "Log";
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    day_ = clock_.now().yyyymmdd();
    file_ = fileFor(day_);
    ok_ = log(startText(variant_, version_));
}

LogFile::~LogFile() {
    log(endText(variant_, version_));
}

std::filesystem::path LogFile::fileFor(const std::string& day) const {
    return folder_ / ((variant_ == Variant::Updater ? "aup" : "Log") + day + ".txt");
}

// The stream opens a path by its native (on Windows: wide) name.
bool LogFile::append(const std::string& line) {
    std::ofstream f(file_, std::ios::binary | std::ios::app);
    if (!f) return false;
    f.write(line.data(), static_cast<std::streamsize>(line.size()));
    f.close();
    return !f.fail();
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

bool LogFile::setLogFile(const std::filesystem::path& path) {
    file_ = path;
    return append("");
}

}  // namespace orv
