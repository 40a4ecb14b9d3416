#include "tempdir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace orvtest {

// A new folder of a random name: create_directory tells a name already
// taken (by another test process) from a fresh one.
TempDir::TempDir() {
    const auto base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "orvtest-";
        for (int i = 0; i < 8; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        if (std::filesystem::create_directory(base / name)) {
            path_ = base / name;
            // The owner's alone, as mkdtemp makes it (a runtime folder must be).
            std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace);
            return;
        }
    }
    throw std::runtime_error("no new temp folder in " + base.string());
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << content;
}

}  // namespace orvtest
