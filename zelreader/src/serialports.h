#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zel {

// Serial ports found under a sysfs root (normally "/sys"), named the way the
// serial reader library numbers them:
//   ttyS<n>   -> COM<n+1>    (n < 32, and only when a UART answers)
//   ttyUSB<n> -> COM<n+33>   (n < 32)
//   ttyACM<n> -> COM<n+65>   (n < 32)
// Names stay within five characters ("COM96" at most), sorted by number.
// nullopt when the tty class folder cannot be read (no sysfs).
std::optional<std::vector<std::string>> listSerialPortsIn(const std::string& sysfsRoot);

}  // namespace zel
