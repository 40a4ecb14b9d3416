// Setting up the libdcic32 simulator through its environment.
#pragma once

#include <string>
#include <vector>

namespace orvtest {

// The simulator serves `image` and logs to `log`, with no injected codes or
// faults and a reader on every port.
void useSerialSimulator(const std::string& image, const std::string& log);
// The log's lines; the log is emptied.
std::vector<std::string> takeLines(const std::string& path);

}  // namespace orvtest
