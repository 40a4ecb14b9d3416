#include "serialports.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace zel {

namespace {

struct Family {
    std::string_view prefix;
    int firstPort;
};
constexpr Family kFamilies[] = {{"ttyS", 1}, {"ttyUSB", 33}, {"ttyACM", 65}};
constexpr int kPerFamily = 32;

// Index after the prefix, or -1 when the name is not "<prefix><digits>".
int deviceIndex(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix || name.size() == prefix.size()) return -1;
    int n = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || n >= kPerFamily) return -1;
        n = n * 10 + (c - '0');
    }
    return n < kPerFamily ? n : -1;
}

// Legacy ttyS nodes exist for every possible UART; the kernel reports type 0
// for those with no hardware behind them.
bool uartPresent(const std::filesystem::path& dev) {
    std::ifstream type(dev / "type");
    int t = 0;
    return !(type >> t) || t != 0;
}

}  // namespace

std::optional<std::vector<std::string>> listSerialPortsIn(const std::string& sysfsRoot) {
    namespace fs = std::filesystem;
    std::vector<int> ports;
    std::error_code ec;
    fs::directory_iterator it(fs::path(sysfsRoot) / "class" / "tty", ec), end;
    if (ec) return std::nullopt;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        for (const Family& f : kFamilies) {
            const int n = deviceIndex(name, f.prefix);
            if (n < 0) continue;
            if (!fs::exists(it->path() / "device", ec)) break;
            if (f.prefix == "ttyS" && !uartPresent(it->path())) break;
            ports.push_back(f.firstPort + n);
            break;
        }
    }
    std::sort(ports.begin(), ports.end());
    std::vector<std::string> names;
    for (int p : ports)
        names.push_back("COM" + std::to_string(p));
    return names;
}

}  // namespace zel
