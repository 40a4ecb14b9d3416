#include "Updater.h"

#include <charconv>

#include "orv/fileinstall.h"

namespace zelupdate {

namespace fs = std::filesystem;
using namespace std::chrono;

Timing timingFrom(const char* text) {
    const Timing defaults;
    if (!text) return defaults;
    Timing t;
    milliseconds* out[] = {&t.pollPause, &t.waitLimit, &t.settle};
    const milliseconds longest[] = {defaults.pollPause, defaults.waitLimit, defaults.settle};
    std::string_view s = text;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = s.find(',');
        if ((comma == std::string_view::npos) != (i == 2)) return defaults;
        const std::string_view field = s.substr(0, comma);
        long long v = 0;
        const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
        if (field.empty() || ec != std::errc() || end != field.data() + field.size() || v < 0 ||
            milliseconds(v) > longest[i])
            return defaults;
        *out[i] = milliseconds(v);
        if (comma != std::string_view::npos) s.remove_prefix(comma + 1);
    }
    return t;
}

namespace {
// "600", or "0.3" for a bound shorter than a second.
std::string secondsText(milliseconds d) {
    std::string text = std::to_string(d.count() / 1000);
    if (const auto ms = d.count() % 1000) {
        std::string frac = std::to_string(1000 + ms).substr(1);
        while (frac.back() == '0')
            frac.pop_back();
        text += "." + frac;
    }
    return text;
}
}  // namespace

Updater::Updater(Platform& platform, Files& files, orv::LogFile& log, fs::path folder,
                 std::string updaterName, Timing timing)
    : platform_(platform),
      files_(files),
      log_(log),
      folder_(std::move(folder)),
      updaterName_(std::move(updaterName)),
      timing_(timing) {}

void Updater::run(const Options& o) {
    program_ = folder_ / pathOf(o.exe);
    backup_ = folder_ / pathOf(orv::derivedName(o.exe, "bak"));
    package_ = folder_ / pathOf(o.package);
    packageProgram_ = folder_ / pathOf(orv::derivedName(o.package, "exe"));
    switch (o.restart) {
        case Options::Restart::Program:
            restart_ = program_;
            break;
        case Options::Restart::Named:
            restart_ = folder_ / pathOf(o.run);
            break;
        case Options::Restart::None:
            restart_.clear();
            break;
    }
    const auto oneFile = [this](std::string_view a, std::string_view b) {
        return sameFile(folder_ / pathOf(std::string(a)), folder_ / pathOf(std::string(b)));
    };
    if (const std::string why = conflictProblem(o, updaterName_, oneFile); !why.empty()) {
        log("Error:" + why);
        return;
    }
    if (!files_.exists(program_) || !files_.exists(package_)) return;
    if (!insideFolder() || !waitForProgram(o.exe)) return;

    backup();
    if (o.type == 1) {
        replace(o);
    } else if (o.type == 2) {
        runPackage(o);
    } else {
        log("[00,003] Error Type");
    }
}

// A name without separators may still be a link that leads elsewhere; the
// updater works on the files of its own folder only.
bool Updater::insideFolder() {
    std::error_code ec;
    const fs::path home = realPath(folder_, ec);
    const fs::path* files[] = {&program_, &package_, &restart_};
    for (const fs::path* f : files) {
        if (f->empty() || !files_.exists(*f)) continue;
        const fs::path real = realPath(*f, ec);
        if (ec || real.parent_path() != home) {
            log("Error:\"" + textOf(f->filename()) + "\" leads outside the updater's folder");
            return false;
        }
    }
    return true;
}

// A process is the main program when it has its file name and, where the
// system tells its path, runs from this folder: a copy installed elsewhere
// does not hold this update up. The folder may be spelled differently
// (another case or a short name on Windows, a link on Linux). Where the
// path is hidden (another user's process), only one of the same user can
// be ours.
bool Updater::ours(const ProcessEntry& p) const {
    if (p.exe.empty()) return !p.otherUser;
    const fs::path parent = p.exe.parent_path();
    if (parent == folder_) return true;
    std::error_code ec;
    const fs::path home = realPath(folder_, ec);
    if (ec || home.empty()) return false;
    if (parent == home) return true;
    const fs::path real = realPath(parent, ec);
    return !ec && real == home;
}

bool Updater::waitForProgram(const std::string& exe) {
    const auto started = platform_.now();
    for (;;) {
        const std::vector<ProcessEntry> list = platform_.listProcesses();
        if (list.empty()) return true;
        bool running = false;
        for (const ProcessEntry& p : list)
            if (p.name == exe && ours(p)) running = true;
        if (!running) return true;
        if (platform_.now() - started >= timing_.waitLimit) {
            log("Error:" + exe + " is still running after " + secondsText(timing_.waitLimit) +
                " seconds; nothing was changed");
            return false;
        }
        platform_.sleep(timing_.pollPause);
    }
}

void Updater::backup() {
    std::string error;
    if (files_.exists(backup_) && !files_.remove(backup_, error)) log("[00,001] " + error);
    if (!files_.copy(program_, backup_, error)) log("[00,002] " + error);
}

bool Updater::start(const fs::path& program, const std::string& params, long long* id,
                    std::string& error) {
    const StartResult r = platform_.start(program, splitParams(params));
    if (id) *id = r.ok ? r.id : 0;
    error = r.error;
    return r.ok;
}

void Updater::replace(const Options& o) {
    std::string error;
    // The new program is written beside the old one and renamed over it, so
    // there is no moment without a program file: the old one is not deleted
    // first.
    if (files_.install(package_, program_, error)) {
        if (!files_.remove(package_, error)) log("[01,003] " + error);
    } else {
        log("[01,002] " + error);
        if (!files_.exists(program_)) {
            if (files_.install(backup_, program_, error)) {
                log("[01,002] Restored " + textOf(program_.filename()) + " from " +
                    textOf(backup_.filename()));
            } else {
                log("[01,002] Restore failed: " + error);
            }
        }
        // The package is the only copy of the new version: keep it.
        log("[01,003] Kept " + textOf(package_.filename()));
    }
    if (restart_.empty()) {
        log("[01,006] OK");
        return;
    }
    if (start(restart_, o.hasParams ? o.params : std::string(), nullptr, error)) {
        log("[01,005] OK");
    } else {
        log("[01,004] " + error);
    }
}

void Updater::runPackage(const Options& o) {
    std::string error;
    if (!files_.install(package_, packageProgram_, error)) {
        log("[02,001] " + error);
        log("[02,002] Kept " + textOf(package_.filename()));
    } else if (!files_.remove(package_, error)) {
        log("[02,002] " + error);
    }
    log("[02,003] To Run ");
    long long id = 0;
    if (!start(packageProgram_, o.hasParams ? o.params : std::string(), &id, error))
        log("[02,003] " + error);
    if (o.wait == 1) {
        const long long handle = id ? platform_.openProcess(id) : 0;
        log("[02,004] OpenProcess = " + std::to_string(handle));
        if (handle) platform_.waitAndClose(handle);
        platform_.sleep(timing_.settle);
        if (!files_.remove(packageProgram_, error)) log("[02,005] " + error);
    }
    if (restart_.empty()) {
        log("[02,008] OK");
        return;
    }
    if (start(restart_, std::string(), nullptr, error)) {
        log("[02,007] OK");
    } else {
        log("[02,006] " + error);
    }
}

void runCommandLine(std::string_view line, Platform& platform, Files& files,
                    const fs::path& updaterPath, Timing timing, const orv::Clock& clock) {
    const ParsedCommandLine parsed = parseCommandLine(line);
    if (parsed.status == ParsedCommandLine::Status::Empty) return;
    const fs::path folder = updaterPath.parent_path();
    orv::LogFile log(folder, orv::LogFile::Variant::Updater, std::string(), clock);
    switch (parsed.status) {
        case ParsedCommandLine::Status::Error:
            log.log(logText("Error:" + parsed.error));
            break;
        case ParsedCommandLine::Status::Ok: {
            Updater updater(platform, files, log, folder, textOf(updaterPath.filename()), timing);
            updater.run(parsed.options);
            break;
        }
        default:
            break;
    }
}

}  // namespace zelupdate
