#include "serialports.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "outstrings.h"
#include "tempdir.h"
#include "zelreader.h"

namespace {

namespace fs = std::filesystem;

void addTty(const orvtest::TempDir& root, const std::string& name, bool device, int type = -1) {
    const fs::path dir = root.path() / "class" / "tty" / name;
    fs::create_directories(dir);
    if (device) fs::create_directories(dir / "device");
    if (type >= 0) orvtest::writeFile((dir / "type").string(), std::to_string(type) + "\n");
}

TEST(SerialPorts, ListsRealDevicesNumberedByFamily) {
    orvtest::TempDir root;
    addTty(root, "ttyS0", true, 4);  // a UART answers
    addTty(root, "ttyS1", true, 0);  // placeholder without hardware
    addTty(root, "ttyS2", true, 4);
    addTty(root, "ttyUSB0", true);
    addTty(root, "ttyACM1", true);
    addTty(root, "tty5", false);      // virtual console
    addTty(root, "ttyUSB3", false);   // no device behind it
    addTty(root, "ttyS40", true, 4);  // past the numbering range
    EXPECT_EQ(zel::listSerialPortsIn(root.path().string()),
              (std::vector<std::string>{"COM1", "COM3", "COM33", "COM66"}));
}

TEST(SerialPorts, NoSysfsMeansTheListCannotBeRead) {
    EXPECT_EQ(zel::listSerialPortsIn("/nonexistent-sysfs"), std::nullopt);
    orvtest::TempDir root;
    fs::create_directories(root.path() / "class" / "tty");
    EXPECT_EQ(zel::listSerialPortsIn(root.path().string()), std::vector<std::string>{});
}

// Regression: GetAllCOMPorts wrote an empty string to its out-parameter when
// the port list could not be read.
TEST(SerialPorts, UnreadablePortListLeavesTheOutStringUntouched) {
    char16_t sentinel = u'x';
    char16_t* out = &sentinel;
    EXPECT_EQ(zel::handOutPorts(std::nullopt, &out), 0);
    EXPECT_EQ(out, &sentinel);

    EXPECT_EQ(zel::handOutPorts(std::vector<std::string>{}, &out), 0);
    ASSERT_NE(out, &sentinel);
    EXPECT_EQ(std::u16string(out), u"");
    FreeString(out);

    EXPECT_EQ(zel::handOutPorts(std::vector<std::string>{"COM1", "COM3"}, &out), 2);
    EXPECT_EQ(std::u16string(out), u"COM1;COM3");
    FreeString(out);
}

}  // namespace
