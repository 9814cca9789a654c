// The serial line settings every serial device takes, and their text form.
#include <gtest/gtest.h>

#include "platform/serial_device.h"

namespace k45 {
namespace {

TEST(DeviceSettings, TextFormKeepsTheParityLetterAsGiven) {
    EXPECT_EQ(PortSettingsText(PortSettings{}), "9600,n,8,1");
    EXPECT_EQ(PortSettingsText({.baudRate = 19200, .parity = 'E', .dataBits = 7, .stopBits = 2}), "19200,E,7,2");
    EXPECT_EQ(PortSettingsText({.baudRate = 110, .parity = 'o', .dataBits = 4}), "110,o,4,1");
}

TEST(DeviceSettings, GoodSettingsPass) {
    const PortSettings good[] = {
        {},
        {.baudRate = 19200, .parity = 'E', .dataBits = 7, .stopBits = 2},  // the Port Settings window's case
        {.baudRate = 110, .parity = 'o', .dataBits = 5},
        {.baudRate = 14400, .parity = 'M', .dataBits = 4},
        {.baudRate = 28800, .parity = 's', .dataBits = 6, .stopBits = 2},
        {.baudRate = 115200},
    };
    for (const PortSettings& s : good) EXPECT_EQ(PortSettingsProblem(s), "") << PortSettingsText(s);
}

TEST(DeviceSettings, BadSettingsNameTheSettingsAndWhatIsWrong) {
    const struct {
        PortSettings settings;
        const char* why;
    } bad[] = {
        {{.baudRate = 0}, "bad baud rate 0"},
        {{.baudRate = -9600}, "bad baud rate -9600"},
        {{.parity = 'x'}, "bad parity \"x\""},
        {{.parity = '\0'}, "bad parity"},
        {{.dataBits = 9}, "bad data bits 9"},
        {{.dataBits = 3}, "bad data bits 3"},
        {{.stopBits = 3}, "bad stop bits 3"},
        {{.stopBits = 0}, "bad stop bits 0"},
    };
    for (const auto& c : bad) {
        const std::string text = PortSettingsText(c.settings);
        SCOPED_TRACE(text);
        const std::string why = PortSettingsProblem(c.settings);
        EXPECT_NE(why.find(text), std::string::npos) << why;
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
    EXPECT_NE(PortSettingsProblem({.baudRate = 0, .dataBits = 9}).find("bad baud rate 0; bad data bits 9"),
              std::string::npos);
}

TEST(DeviceSettings, BitsPerCharacterCountStartParityAndStopBits) {
    EXPECT_EQ(BitsPerCharacter({}), 10);
    EXPECT_EQ(BitsPerCharacter({.parity = 'N'}), 10);
    EXPECT_EQ(BitsPerCharacter({.parity = 'e', .dataBits = 7, .stopBits = 2}), 11);
    EXPECT_EQ(BitsPerCharacter({.parity = 'O', .dataBits = 4}), 7);
}

}  // namespace
}  // namespace k45
