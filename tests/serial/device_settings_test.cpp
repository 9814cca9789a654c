// The settings text every serial device takes: "baud,parity,data bits,stop bits".
#include <gtest/gtest.h>

#include "platform/serial_device.h"

namespace k45 {
namespace {

TEST(DeviceSettingsText, GoodTextsTakenApart) {
    struct Case {
        const char* text;
        int baud;
        char parity;
        int dataBits;
        int stopBitsTimes2;
    };
    const Case cases[] = {
        {"9600,n,8,1", 9600, 'n', 8, 2},
        {" 19200 , E , 7 , 2 ", 19200, 'e', 7, 4},  // the Port Settings window writes upper case
        {"110,o,5,1.5", 110, 'o', 5, 3},
        {"14400,M,4,1", 14400, 'm', 4, 2},
        {"28800,s,6,2", 28800, 's', 6, 4},
        {"115200,n,8,1", 115200, 'n', 8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SerialSettings s;
        s.baud = 0;
        std::string error;
        ASSERT_TRUE(ParseSerialSettings(c.text, &s, &error)) << error;
        EXPECT_EQ(s.baud, c.baud);
        EXPECT_EQ(s.parity, c.parity);
        EXPECT_EQ(s.dataBits, c.dataBits);
        EXPECT_EQ(s.stopBitsTimes2, c.stopBitsTimes2);
    }
}

TEST(DeviceSettingsText, BadTextsFailWithTheReasonAndLeaveTheResultAlone) {
    const char* bad[] = {
        "", "9600", "9600,n,8", "9600,n,8,1,1", "0,n,8,1", "-9600,n,8,1", "96a0,n,8,1",
        "1234567890,n,8,1", ",n,8,1", "9600,,8,1", "9600,x,8,1", "9600,no,8,1", "9600,n,9,1",
        "9600,n,3,1", "9600,n,,1", "9600,n,8,3", "9600,n,8,1.0", "9600,n,8,",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        SerialSettings s;
        s.baud = 1234;
        std::string error;
        EXPECT_FALSE(ParseSerialSettings(text, &s, &error));
        EXPECT_NE(error.find(text), std::string::npos);
        EXPECT_EQ(s.baud, 1234);
    }
}

}  // namespace
}  // namespace k45
