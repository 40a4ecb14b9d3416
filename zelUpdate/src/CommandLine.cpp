#include "CommandLine.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "orv/fileinstall.h"

namespace zelupdate {

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// A decimal 32-bit number with an optional sign.
bool toInt32(std::string_view text, int& out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
    out = v;
    return true;
}

// Appended rather than "\"" + s + "\"": GCC 12 warns about that form at -O3
// (a false -Wrestrict).
std::string inQuotes(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out += '"';
    out += s;
    out += '"';
    return out;
}

// "[text]" as the main program writes it: the brackets around the text go,
// and "$" stands for a blank.
std::string paramsText(std::string_view value) {
    if (!value.empty() && value.front() == '[') value.remove_prefix(1);
    if (!value.empty() && value.back() == ']') value.remove_suffix(1);
    std::string text(value);
    for (char& c : text)
        if (c == '$') c = ' ';
    if (text.empty() || text.front() != ' ') text.insert(text.begin(), ' ');
    return text;
}

// DOS device names that Windows opens as devices in any folder, with any
// extension and with blanks before it ("nul .txt").
bool isDeviceName(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = upper(c);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == device) return true;
    if (base.size() < 4 || (base.rfind("COM", 0) != 0 && base.rfind("LPT", 0) != 0)) return false;
    const std::string_view number = std::string_view(base).substr(3);
    // A digit, or a superscript one, two or three in UTF-8.
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

std::string nameProblem(std::string_view name) {
    if (name.find_first_of("/\\") != std::string_view::npos) return "holds a path separator";
    if (name.find("..") != std::string_view::npos) return "holds \"..\"";
    if (name.find(':') != std::string_view::npos) return "names a drive or a stream";
    if (name == ".") return "is not a file name";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return "holds a character that file names cannot hold";
    if (!name.empty() && (name.back() == '.' || name.back() == ' '))
        return "ends in a dot or a blank";
    if (isDeviceName(name)) return "is a device name";
    return {};
}

std::string conflictProblem(const Options& o, std::string_view updaterName,
                            const SameFile& sameFile) {
    const std::string backup = orv::derivedName(o.exe, "bak");
    const std::string packageProgram = orv::derivedName(o.package, "exe");
    struct Pair {
        std::string_view a, b;
        const char* what;
    };
    std::vector<Pair> pairs = {
        {o.exe, updaterName, "the -E file is the updater itself"},
        {o.package, updaterName, "the -U file is the updater itself"},
        {o.exe, backup, "the -E file would be its own backup"},
        {o.package, o.exe, "the -U file is the -E file"},
        {o.package, backup, "the -U file is the backup of the -E file"},
    };
    // The updater's backup is an updater too: started with -P words of a
    // manifest's choosing it would run a second update on any file.
    // (An -E naming it is refused as its own backup.)
    const std::string updaterBackup = orv::derivedName(std::string(updaterName), "bak");
    if (o.restart == Options::Restart::Named) {
        pairs.push_back({o.run, updaterName, "the -R file is the updater itself"});
        pairs.push_back({o.run, updaterBackup, "the -R file is the updater's backup"});
    }
    if (o.type == 2) {
        pairs.push_back({packageProgram, o.package, "the -U file would be copied onto itself"});
        pairs.push_back({packageProgram, o.exe, "the -U file would be copied onto the -E file"});
        pairs.push_back({packageProgram, backup, "the -U file would be copied onto the backup"});
        pairs.push_back(
            {packageProgram, updaterName, "the -U file would be copied onto the updater"});
    }
    for (const Pair& p : pairs)
        if (sameName(p.a, p.b) || (sameFile && sameFile(p.a, p.b))) return p.what;
    return {};
}

std::string_view afterProgramName(std::string_view line) {
    std::size_t end = 0;
    if (!line.empty() && line.front() == '"') {
        end = line.find('"', 1);
        end = end == std::string_view::npos ? line.size() : end + 1;
    } else {
        end = std::min(line.find_first_of(" \t"), line.size());
    }
    line.remove_prefix(end);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

ParsedCommandLine parseCommandLine(std::string_view line) {
    ParsedCommandLine r;
    line = trimBlanks(line);
    if (line.empty()) return r;

    // Every single blank separates two words, so two blanks make an empty
    // word; a long line never needs more than eight words to be refused.
    std::vector<std::string_view> words;
    for (std::size_t start = 0; words.size() < 8;) {
        const std::size_t blank = line.find(' ', start);
        words.push_back(line.substr(start, blank - start));
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    r.status = ParsedCommandLine::Status::Foreign;
    if (words.size() < 4 || words.size() > 7 || !sameName(words[0], "-LEZ")) return r;

    Options& o = r.options;
    bool hasType = false;
    auto fail = [&](std::string why) {
        r.status = ParsedCommandLine::Status::Error;
        r.error = std::move(why);
        return r;
    };
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string_view w = words[i];
        std::string option(w.substr(0, 2));
        for (char& c : option)
            c = upper(c);
        const std::string_view value = trimBlanks(w.substr(std::min<std::size_t>(2, w.size())));
        if (option == "-T") {
            if (!toInt32(value, o.type))
                return fail("the -T value " + inQuotes(value) + " is not a number");
            hasType = true;
        } else if (option == "-W") {
            if (!toInt32(value, o.wait))
                return fail("the -W value " + inQuotes(value) + " is not a number");
        } else if (option == "-E") {
            o.exe = value;
        } else if (option == "-U") {
            o.package = value;
        } else if (option == "-P") {
            o.hasParams = true;
            o.params = paramsText(value);
        } else if (option == "-R") {
            // An empty -R is taken as no -R: the program is started again.
            o.restart = value == "-"    ? Options::Restart::None
                        : value.empty() ? Options::Restart::Program
                                        : Options::Restart::Named;
            o.run = o.restart == Options::Restart::Named ? std::string(value) : std::string();
        }
    }
    if (!hasType || o.exe.empty() || o.package.empty()) {
        r.status = ParsedCommandLine::Status::Incomplete;
        return r;
    }
    const std::pair<const char*, const std::string*> names[] = {
        {"-E", &o.exe}, {"-U", &o.package}, {"-R", &o.run}};
    for (const auto& [option, name] : names)
        if (const std::string why = nameProblem(*name); !name->empty() && !why.empty())
            return fail(std::string("the ") + option + " name " + inQuotes(*name) + " " + why);
    r.status = ParsedCommandLine::Status::Ok;
    return r;
}

}  // namespace zelupdate
