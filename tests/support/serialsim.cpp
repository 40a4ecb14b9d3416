#include "serialsim.h"

#include <sstream>

#include "env.h"
#include "tempdir.h"

namespace orvtest {

void useSerialSimulator(const std::string& image, const std::string& log) {
    for (const char* v : {"ZELSIM_PORTS", "ZELSIM_INITTYPE", "ZELSIM_STATUS", "ZELSIM_CODES",
                          "ZELSIM_FAULTS", "ZELSIM_NO_UNLOCK"})
        unsetEnv(v);
    setEnv("ZELSIM_CARD", image);
    setEnv("ZELSIM_LOG", log);
}

std::vector<std::string> takeLines(const std::string& path) {
    std::istringstream in(readFile(path));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    writeFile(path, "");
    return lines;
}

}  // namespace orvtest
