#include "base/ini_routines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <iterator>
#include <optional>

#include "base/utilities.h"
#include "model/app_state.h"
#include "platform/profile.h"
#include "support/temp_home.h"

using namespace k45;

namespace {
const LocaleInfo kPoint{".", "-"};
const LocaleInfo kComma{",", "-"};
const LocaleInfo kUnicodeMinus{",", "\xE2\x88\x92"};

class IniFile : public ::testing::Test {
protected:
    test::TempHome home;
    std::string file = home.file("K45MR.ini");
};
}  // namespace

TEST(LocalizeNumberText, Table) {
    struct Case { const char* text; const LocaleInfo* locale; const char* result; };
    const Case cases[] = {
        {"2.75", &kPoint, "2.75"},     {"2.75", &kComma, "2,75"},
        {"1.5", &kComma, "1,5"},       {"-0,25", &kPoint, "-0.25"},
        {"-12", &kPoint, "-12"},       {"-12", &kComma, "-12"},
        {"+5", &kPoint, "+5"},         {"+5", &kComma, "+5"},       // a plus sign stays a plus sign
        {"1E+20", &kPoint, "1E+20"},   {"1E-05", &kComma, "1E-05"},
        {"0A1f", &kPoint, "0A1f"},     {"", &kPoint, ""},
        {"1 5", &kPoint, "1.5"},       {"*5", &kComma, "-5"},
        {"-5", &kUnicodeMinus, "\xE2\x88\x92" "5"},
        {"2.5E-3", &kUnicodeMinus, "2,5E\xE2\x88\x92" "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LocalizeNumberText(c.text, *c.locale), c.result);
    }
    // What comes out converts back under the same locale to the number that went in.
    EXPECT_EQ(TextToDouble(LocalizeNumberText("+5", kComma), kComma), 5.0);
    EXPECT_EQ(TextToDouble(LocalizeNumberText("1E+20", kPoint), kPoint), 1e20);
    EXPECT_EQ(TextToDouble(LocalizeNumberText("2.5E-3", kUnicodeMinus), kUnicodeMinus), 2.5e-3);
}

TEST_F(IniFile, ReadFollowsTheFileRulesAndTheDefaultsKind) {
    home.write("K45MR.ini",
               "; settings\r\n[Main Window]\r\nLeft = 2.75 \r\n  Top=-12\nName=\"a b\"\nEmpty=\nPlus=+5\n"
               "Big=1E+20\nHexish=0A\n[Other]\nLeft=1\n");
    struct Case { const char* section; const char* key; IniValue def; const LocaleInfo* locale; const char* text; };
    const Case cases[] = {
        {"main window", "LEFT", 0.0, &kComma, "2,75"},
        {"Main Window", "Left", 0.0, &kPoint, "2.75"},
        {"Main Window", "Left", std::string("x"), &kComma, "2.75"},     // text: as read
        {"Main Window", "Left", true, &kComma, "2.75"},                 // Boolean: as read
        {"Main Window", "Top", std::int16_t{0}, &kPoint, "-12"},
        {"Main Window", "Name", std::string(), &kPoint, "a b"},
        {"Main Window", "Empty", std::string("dflt"), &kPoint, ""},     // present but empty
        {"Main Window", "Empty", std::int32_t{7}, &kPoint, ""},
        {"Main Window", "Plus", std::int32_t{0}, &kComma, "+5"},
        {"Main Window", "Big", 0.0, &kPoint, "1E+20"},
        {"Main Window", "Hexish", std::int16_t{0}, &kComma, "0A"},
        {"Main Window", "Width", 1234.5f, &kComma, "1234,5"},          // missing key: the default
        {"No Such", "Left", std::int32_t{-40}, &kPoint, "-40"},
        {" Other ", " left", std::int32_t{9}, &kPoint, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ReadIniValue(*c.locale, file, c.section, c.key, c.def), c.text);
    }
    EXPECT_EQ(ReadIniValue(kComma, home.file("absent.ini"), "S", "K", 1234.5f), "1234,5");
}

TEST_F(IniFile, ReadIntoKeepsTheFieldWhenNothingUsableIsThere) {
    home.write("K45MR.ini", "[S]\nEmpty=\nWord=abc\nHuge=99999\nInt=42\nPlus=+5\nFrac=2.5\nFlag=False\n"
                            "When=2026-01-15 13:05:09\nFloat=0,25\n");
    std::int16_t i16 = 3;
    EXPECT_FALSE(ReadIniInto(kPoint, file, "S", "Missing", i16));
    EXPECT_FALSE(ReadIniInto(kPoint, file, "S", "Empty", i16));
    EXPECT_FALSE(ReadIniInto(kPoint, file, "S", "Word", i16));
    EXPECT_FALSE(ReadIniInto(kPoint, file, "S", "Huge", i16));  // does not fit 16 bits
    EXPECT_EQ(i16, 3);
    EXPECT_TRUE(ReadIniInto(kPoint, file, "S", "Int", i16));
    EXPECT_EQ(i16, 42);
    EXPECT_TRUE(ReadIniInto(kComma, file, "S", "Plus", i16));
    EXPECT_EQ(i16, 5);
    EXPECT_TRUE(ReadIniInto(kPoint, file, "S", "Frac", i16));
    EXPECT_EQ(i16, 2);

    double d = 0.1 + 0.2;  // a value whose text form would not be exact: a missing key must not touch it
    EXPECT_FALSE(ReadIniInto(kPoint, file, "S", "Missing", d));
    EXPECT_EQ(d, 0.1 + 0.2);
    float f = 1;
    EXPECT_TRUE(ReadIniInto(kPoint, file, "S", "Float", f));  // written under a comma locale
    EXPECT_EQ(f, 0.25f);

    bool flag = true;
    EXPECT_TRUE(ReadIniInto(kPoint, file, "S", "Flag", flag));
    EXPECT_FALSE(flag);
    IniDate when;
    EXPECT_TRUE(ReadIniInto(kPoint, file, "S", "When", when));
    EXPECT_EQ(FormatIniDate(when), "1/15/2026 1:05:09 PM");
    std::string text = "keep";
    EXPECT_FALSE(ReadIniInto(kPoint, file, "S", "Missing", text));
    EXPECT_EQ(text, "keep");
    EXPECT_TRUE(ReadIniInto(kPoint, file, "S", "Empty", text));
    EXPECT_EQ(text, "");
}

TEST_F(IniFile, EveryKindRoundTripsInEachLocale) {
    const IniValue values[] = {
        std::string(), std::string("C:\\data\\x y.dat"), std::string("  padded"), true, false,
        std::int16_t{-32768}, std::int16_t{32767}, std::int32_t{-2147483647 - 1}, 1234.5f, 0.1f, 1.0f / 3,
        -2.5e-7f, 0.1 + 0.2, 1e20, -2.5e-7, 406125000.0, 0.0, IniDate{0}, IniDate{1768482309}, IniDate{-86400},
    };
    for (const LocaleInfo* locale : {&kPoint, &kComma, &kUnicodeMinus}) {
        for (size_t i = 0; i < std::size(values); ++i) {
            SCOPED_TRACE(std::to_string(i) + " under " + locale->decimal);
            const std::string key = "K" + std::to_string(i);
            ASSERT_TRUE(WriteIniValue(*locale, file, "Values", key, values[i]));
            std::visit([&](const auto& original) {
                using T = std::decay_t<decltype(original)>;
                T back{};
                ASSERT_TRUE(ReadIniInto(*locale, file, "Values", key, back));
                if constexpr (std::is_same_v<T, std::string>) {
                    EXPECT_EQ(back, StripTrailingNull(original));  // blanks around values are trimmed
                } else {
                    EXPECT_EQ(back, original);
                }
            }, values[i]);
        }
    }
}

TEST_F(IniFile, WrittenTextForms) {
    ASSERT_TRUE(WriteIniValue(kComma, file, "Main Window", "Width", 1234.5f));
    ASSERT_TRUE(WriteIniValue(kComma, file, "Main Window", "Maximized", true));
    ASSERT_TRUE(WriteIniValue(kPoint, file, "Main Window", "Left", std::int32_t{-15}));
    ASSERT_TRUE(WriteIniValue(kPoint, file, "Main Window", "Big", 1e20));
    ASSERT_TRUE(WriteIniValue(kPoint, file, "Main Window", "Date", IniDate{1768435200}));  // 2026-01-15 00:00
    ASSERT_TRUE(WriteIniValue(kPoint, file, "Filenames", "Data", std::string()));
    ASSERT_TRUE(WriteIniValue(kPoint, file, "Filenames", "Test", "plain.tst"));  // a literal is text, not a Boolean
    EXPECT_EQ(home.read("K45MR.ini"),
              "[Main Window]\r\nWidth=1234,5\r\nMaximized=True\r\nLeft=-15\r\nBig=1E+20\r\n"
              "Date=1/15/2026 12:00:00 AM\r\n[Filenames]\r\nData=\r\nTest=plain.tst\r\n");
    // The empty value stays a key: it reads as the empty text, not as the default.
    EXPECT_EQ(ReadIniValue(kPoint, file, "Filenames", "Data", std::string("default.dat")), "");
}

TEST_F(IniFile, WriteReplacesInPlaceAndKeepsTheRest) {
    home.write("K45MR.ini", "; kept\r\n[A]\r\nx=1\r\nY = 2\r\n\r\n[B]\r\nz=3\r\n");
    ASSERT_TRUE(WriteIniValue(kPoint, file, "a", "y", std::int16_t{20}));
    ASSERT_TRUE(WriteIniValue(kPoint, file, "A", "New", std::string("n")));
    EXPECT_EQ(home.read("K45MR.ini"), "; kept\r\n[A]\r\nx=1\r\ny=20\r\nNew=n\r\n\r\n[B]\r\nz=3\r\n");
}

TEST_F(IniFile, EmptyingASectionKeepsItsHeader) {
    home.write("K45MR.ini", "[Keep]\r\na=1\r\n[Data]\r\nb=2\r\nc=3\r\n[Tail]\r\nd=4\r\n");
    ASSERT_TRUE(WriteIniSection(file, "data"));
    EXPECT_EQ(home.read("K45MR.ini"), "[Keep]\r\na=1\r\n[Data]\r\n[Tail]\r\nd=4\r\n");
    EXPECT_EQ(ReadIniValue(kPoint, file, "Data", "b", std::int32_t{-1}), "-1");
    ASSERT_TRUE(WriteIniSection(file, "Fresh"));
    EXPECT_EQ(home.read("K45MR.ini"), "[Keep]\r\na=1\r\n[Data]\r\n[Tail]\r\nd=4\r\n[Fresh]\r\n");

    ASSERT_TRUE(WriteIniSection(file, "Tail", std::string("p=1\0q=2\r\nr=3", 12)));
    EXPECT_EQ(ReadIniValue(kPoint, file, "Tail", "d", std::string("gone")), "gone");
    EXPECT_EQ(ReadIniValue(kPoint, file, "Tail", "q", std::string()), "2");
    EXPECT_EQ(ReadIniValue(kPoint, file, "Tail", "r", std::string()), "3");
}

TEST_F(IniFile, ABatchReadsOnceAndWritesOnce) {
    {
        ProfileBatch batch(file);
        ASSERT_TRUE(WriteIniSection(file, "Data"));
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(WriteIniValue(kPoint, file, "Data", "K" + std::to_string(i), i));
        ASSERT_TRUE(WriteIniSection(file, "More", "a=1\nb=2"));
        EXPECT_EQ(ReadIniValue(kPoint, file, "Data", "K7", std::int32_t{0}), "7");
        EXPECT_FALSE(home.exists("K45MR.ini"));  // nothing on disk before the commit
        ASSERT_TRUE(batch.commit());
    }
    EXPECT_EQ(ReadIniValue(kPoint, file, "Data", "K49", std::int32_t{0}), "49");
    EXPECT_EQ(ReadIniValue(kPoint, file, "More", "b", std::int32_t{0}), "2");
}

TEST_F(IniFile, LongValuesAreReadWhole) {
    const std::string longValue(5000, 'x');
    ASSERT_TRUE(WriteIniValue(kPoint, file, "S", "Long", longValue));
    EXPECT_EQ(ReadIniValue(kPoint, file, "S", "Long", std::string()), longValue);
}

TEST_F(IniFile, AFailedWriteIsReported) {
    const std::string missingFolder = home.file("no-such-folder/K45MR.ini");
    std::string error;
    EXPECT_FALSE(WriteIniValue(kPoint, missingFolder, "S", "K", std::int32_t{1}, &error));
    EXPECT_NE(error.find("no-such-folder"), std::string::npos);
    error.clear();
    EXPECT_FALSE(WriteIniSection(missingFolder, "S", "", &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(WriteIniSection(missingFolder, "S", "a=1", &error));
    EXPECT_FALSE(error.empty());

    if (geteuid() != 0) {  // root writes into read-only folders
        ASSERT_TRUE(WriteIniValue(kPoint, file, "S", "K", std::string("old")));
        chmod(home.path().c_str(), 0500);
        error.clear();
        EXPECT_FALSE(WriteIniValue(kPoint, file, "S", "K", std::string("new"), &error));
        chmod(home.path().c_str(), 0700);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(ReadIniValue(kPoint, file, "S", "K", std::string()), "old");
    }
}

TEST_F(IniFile, TextThatWouldBreakTheFileIsRefused) {
    ASSERT_TRUE(WriteIniValue(kPoint, file, "S", "K", std::string("old")));
    const std::string before = home.read("K45MR.ini");
    struct Case { const char* section; const char* key; const char* value; };
    const Case cases[] = {
        {"S", "K", "new\r\n[Injected]\r\nx=1"}, {"S", "K=J", "v"}, {"S]", "K", "v"}, {"S\n", "K", "v"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(WriteIniValue(kPoint, file, c.section, c.key, std::string(c.value), &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(home.read("K45MR.ini"), before);
}

TEST(IniFileName, FollowsTheModeFlags) {
    AppState state;
    state.places.programFolder = "/opt/k45mr";
    state.places.configFolder = "/home/op/.config";
    struct Case { bool engineer, production; const char* name; };
    const Case cases[] = {
        {false, false, "/opt/k45mr/K45MR.ini"},
        {true, false, "/opt/k45mr/K45MR.ini"},
        {true, true, "/opt/k45mr/K45MR.ini"},
        {false, true, "/home/op/.config/K45MR.ini"},
    };
    for (const Case& c : cases) {
        state.engineerMode = c.engineer;
        state.productionMode = c.production;
        EXPECT_EQ(GetIniFileName(state, state), c.name);
    }
    state.productionMode = false;
    state.places.programFolder = "/opt/k45mr/";
    EXPECT_EQ(GetIniFileName(state, state), "/opt/k45mr/K45MR.ini");
}

TEST(IniDates, BothFormsRead) {
    struct Case { const char* text; std::optional<std::int64_t> seconds; };
    const Case cases[] = {
        {"1/15/2026 1:05:09 PM", 1768482309},
        {"1/15/2026 12:05:09 AM", 1768435509},
        {"12/31/1969 8:00:00 PM", -14400},
        {"2026-01-15 13:05:09", 1768482309},
        {"2026-01-15T13:05:09", 1768482309},
        {"2026-01-15", 1768435200},
        {"1/15/2026", 1768435200},
        {" 1/15/2026 1:05 pm ", 1768482300},
        {"2/30/2026 1:00:00 AM", std::nullopt},
        {"1/15/2026 13:05:09 PM", std::nullopt},
        {"1/15/2026 25:00:00", std::nullopt},
        {"2026-01-15 13:05:09 junk", std::nullopt},
        {"", std::nullopt},
        {"tomorrow", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto d = ParseIniDate(c.text);
        EXPECT_EQ(d.has_value(), c.seconds.has_value());
        if (d && c.seconds) {
            EXPECT_EQ(d->localSeconds, *c.seconds);
        }
    }
    EXPECT_EQ(FormatIniDate(IniDate{-14400}), "12/31/1969 8:00:00 PM");
    EXPECT_EQ(FormatIniDate(IniDate{1768435200 + 12 * 3600}), "1/15/2026 12:00:00 PM");
    EXPECT_EQ(FormatIniDate(IniDate{253402300799LL}), "12/31/9999 11:59:59 PM");
    EXPECT_EQ(FormatIniDate(IniDate{INT64_MAX}), "");
}

// Number texts that do not fit their field leave it as it was, in every field kind and locale.
// Each row: the text, then the value read into int16, int32, float and double (nullopt: kept).
TEST_F(IniFile, NumbersThatDoNotFitTheirKindKeepTheField) {
    struct Case {
        std::string text;
        std::optional<double> i16, i32, f32, f64;
    };
    const std::optional<double> kept;
    const Case cases[] = {
        {"nan", kept, kept, kept, kept},
        {"NaN", kept, kept, kept, kept},
        {"inf", kept, kept, kept, kept},
        {"-Infinity", kept, kept, kept, kept},
        {"1e308", kept, kept, kept, 1e308},
        {"1e309", kept, kept, kept, kept},
        {"-1e39", kept, kept, kept, -1e39},
        {"0x10", kept, kept, kept, kept},
        {"99999999999999999999", kept, kept, 99999999999999999999.0, 99999999999999999999.0},
        {"32767", 32767, 32767, 32767, 32767},
        {"32768", kept, 32768, 32768, 32768},
        {"-32768.5", -32768, -32768, -32768.5, -32768.5},  // halves to even
        {"-32769", kept, -32769, -32769, -32769},
        {"2147483647.5", kept, kept, 2147483648.0, 2147483647.5},
        {"", kept, kept, kept, kept},
        {"   ", kept, kept, kept, kept},
        {"1.5.", kept, kept, kept, kept},
        {"1,5", 2, 2, 1.5, 1.5},  // the other separator reads as the decimal one
        {"\xB2", kept, kept, kept, kept},               // a Windows-1252 superscript two
        {"\xD9\xA1\xD9\xA2", kept, kept, kept, kept},   // digits of another script
        {std::string(5000, '9'), kept, kept, kept, kept},
        {"1" + std::string(400, '0') + "e-400", 1, 1, 1, 1},
    };
    std::string content = "[S]\n";
    for (size_t i = 0; i < std::size(cases); ++i) content += "K" + std::to_string(i) + "=" + cases[i].text + "\n";
    home.write("K45MR.ini", content);
    for (const LocaleInfo* locale : {&kPoint, &kComma}) {
        for (size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            const std::string key = "K" + std::to_string(i);
            SCOPED_TRACE(c.text.substr(0, 40) + (locale == &kPoint ? " (point locale)" : " (comma locale)"));
            std::int16_t i16 = 7;
            std::int32_t i32 = 7;
            float f32 = 7;
            double f64 = 7;
            EXPECT_EQ(ReadIniInto(*locale, file, "S", key, i16), c.i16.has_value());
            EXPECT_EQ(ReadIniInto(*locale, file, "S", key, i32), c.i32.has_value());
            EXPECT_EQ(ReadIniInto(*locale, file, "S", key, f32), c.f32.has_value());
            EXPECT_EQ(ReadIniInto(*locale, file, "S", key, f64), c.f64.has_value());
            EXPECT_EQ(i16, c.i16.value_or(7));
            EXPECT_EQ(i32, c.i32.value_or(7));
            EXPECT_EQ(f32, static_cast<float>(c.f32.value_or(7)));
            EXPECT_EQ(f64, c.f64.value_or(7));
        }
    }
}
