#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>

#include "support/temp_home.h"

using namespace k45;

TEST(IniDocument, ReadsWithFieldFileRules) {
    IniDocument d;
    d.parse("[Main Window]\r\nLeft = 120 \r\nlow  =1\nQuoted=\"a b\"\nEmpty=\nNoEquals\nLeft=999\n"
            "[main window]\nTop=5\n");
    EXPECT_EQ(d.get("MAIN WINDOW", "left", "x"), "120");
    EXPECT_EQ(d.get("Main Window", "Low", "x"), "1");        // blanks around the name do not count
    EXPECT_EQ(d.get("Main Window", "Quoted", "x"), "a b");
    EXPECT_EQ(d.get("Main Window", "Empty", "x"), "");
    EXPECT_EQ(d.get("Main Window", "NoEquals", "x"), "x");
    EXPECT_EQ(d.get("Main Window", "Top", "x"), "x");        // duplicate section: the first counts
    EXPECT_EQ(d.get("Other", "Left", "def"), "def");
}

TEST(IniDocument, WritesInPlaceAppendsAndEmpties) {
    IniDocument d;
    d.parse("; comment\n[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    d.set("a", "Y", "20");
    d.set("A", "new", "n");
    d.set("C", "k", "v");
    d.emptySection("B");
    EXPECT_EQ(d.serialize(), "; comment\r\n[A]\r\nx=1\r\nY=20\r\nnew=n\r\n\r\n[B]\r\n[C]\r\nk=v\r\n");
}

TEST(Profile, FileRoundTripAndBatch) {
    test::TempHome home;
    const std::string f = home.file("K45MR.ini");
    EXPECT_EQ(ProfileRead(f, "S", "K", "def"), "def");  // missing file
    ASSERT_TRUE(ProfileWrite(f, "S", "K", "v1"));
    EXPECT_EQ(ProfileRead(f, "s", "k", "def"), "v1");
    {
        ProfileBatch batch(f);
        for (int i = 0; i < 10; ++i) EXPECT_TRUE(ProfileWrite(f, "Batch", "Key" + std::to_string(i), std::to_string(i)));
        EXPECT_EQ(ProfileRead(f, "Batch", "Key3", ""), "3");
        // Not on disk until committed.
        IniDocument disk;
        ASSERT_TRUE(disk.load(f));
        EXPECT_FALSE(disk.get("Batch", "Key3").has_value());
        ASSERT_TRUE(batch.commit());
    }
    EXPECT_EQ(ProfileRead(f, "Batch", "Key9", ""), "9");
    EXPECT_EQ(ProfileRead(f, "S", "K", ""), "v1");
}

TEST(Profile, FailedWriteIsReportedAndKeepsOldContent) {
    if (geteuid() == 0) {
        // root ignores folder permissions: use a path whose folder does not exist instead.
        std::string err;
        EXPECT_FALSE(ProfileWrite("/nonexistent-folder/x.ini", "S", "K", "v", &err));
        EXPECT_FALSE(err.empty());
        return;
    }
    test::TempHome home;
    const std::string f = home.file("ro.ini");
    ASSERT_TRUE(ProfileWrite(f, "S", "K", "old"));
    chmod(home.path().c_str(), 0500);
    std::string err;
    EXPECT_FALSE(ProfileWrite(f, "S", "K", "new", &err));
    chmod(home.path().c_str(), 0700);
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(ProfileRead(f, "S", "K", ""), "old");
}

// What files brought from other machines contain: the key must read as in a clean file, and
// nothing around it may hide it or leak into it.
TEST(IniDocument, OddFileShapesStillReadTheirKeys) {
    using namespace std::string_literals;
    const std::string longValue(1 << 20, 'v');
    struct Case {
        const char* name;
        std::string content;
        std::string section, key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"LF line ends", "[S]\nK=1\nL=2\n", "S", "L", "2"},
        {"CR LF line ends", "[S]\r\nK=1\r\nL=2\r\n", "S", "L", "2"},
        {"CR-only line ends", "[S]\rK=1\rL=2\r", "S", "L", "2"},
        {"CR-only, first key", "[S]\rK=1\rL=2\r", "S", "K", "1"},
        {"mixed line ends", "[S]\rK=1\r\nL=2\n[T]\rM=3", "T", "M", "3"},
        {"UTF-8 BOM before the first section", "\xEF\xBB\xBF[S]\r\nK=1\r\n", "S", "K", "1"},
        {"BOM alone", "\xEF\xBB\xBF", "S", "K", std::nullopt},
        {"last line without line end", "[S]\nK=12", "S", "K", "12"},
        {"cut in a section header", "[S]\nK=1\n[T", "T", "K", std::nullopt},
        {"cut in a section header keeps the keys before", "[S]\nK=1\n[T", "S", "K", "1"},
        {"NUL bytes in a value kept", "[S]\nK=a\0b\n"s, "S", "K", "a\0b"s},
        {"NUL line does not hide later keys", "[S]\n\0\0\0junk\nK=1\n"s, "S", "K", "1"},
        {"binary garbage before the section", "\xFF\xFE[\x01]=\x02\n\x80\x81\n[S]\nK=1\n", "S", "K", "1"},
        {"Windows-1252 bytes in names and value", "[S\xE9]\nK\xE9=\xE9t\xE9\n", "S\xE9", "K\xE9", "\xE9t\xE9"},
        {"non-ASCII letters are not folded", "[S]\nK\xE9=1\n", "S", "K\xC9", std::nullopt},
        {"very long value read whole", "[S]\nK=" + longValue + "\n", "S", "K", longValue},
        {"very long junk line before the key", "[S]\n" + longValue + "\nK=1\n", "S", "K", "1"},
        {"duplicate key: the first counts", "[S]\nK=1\nK=2\n", "S", "K", "1"},
        {"key before any section belongs to none", "K=1\n[S]\n", "S", "K", std::nullopt},
        {"line without a name holds no key", "[S]\n=1\n", "S", "", std::nullopt},
        {"empty file", "", "S", "K", std::nullopt},
        {"only line ends", "\r\n\r\n\n\r", "S", "K", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument d;
        d.parse(c.content);
        EXPECT_EQ(d.get(c.section, c.key), c.expected);
    }
}

// A write into a file with a BOM or CR-only line ends changes the key where it stands instead of
// adding a second section, and keeps the BOM.
TEST(IniDocument, WritingIntoOddShapesReplacesInPlace) {
    struct Case {
        const char* name;
        std::string content;
        std::string written;
    };
    const Case cases[] = {
        {"BOM", "\xEF\xBB\xBF[S]\r\nK=1\r\n", "\xEF\xBB\xBF[S]\r\nK=2\r\n"},
        {"CR-only", "[S]\rK=1\r[T]\rL=3\r", "[S]\r\nK=2\r\n[T]\r\nL=3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument d;
        d.parse(c.content);
        d.set("S", "K", "2");
        EXPECT_EQ(d.serialize(), c.written);
    }
}

TEST(Profile, FileThatCannotBeReadSaysSo) {
    test::TempHome home;
    const std::string folder = home.file("folder.ini");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    IniDocument d;
    std::string err;
    EXPECT_FALSE(d.load(folder, &err)) << "a folder is no settings file";
    EXPECT_NE(err.find("folder.ini"), std::string::npos) << err;
    err.clear();
    EXPECT_FALSE(ProfileWrite(folder, "S", "K", "v", &err));
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(ProfileRead(folder, "S", "K", "def"), "def");
    {
        ProfileBatch batch(folder);
        EXPECT_TRUE(batch.loadFailed());
        err.clear();
        EXPECT_FALSE(batch.commit(&err));
        EXPECT_FALSE(err.empty());
    }

    // A file far larger than any profile (picked by mistake) is not read into memory.
    const std::string huge = home.file("huge.ini");
    {
        std::ofstream(huge) << "[S]\r\nK=1\r\n";
    }
    ASSERT_EQ(truncate(huge.c_str(), off_t{1} << 36), 0);  // sparse: takes no disk space
    err.clear();
    EXPECT_FALSE(d.load(huge, &err));
    EXPECT_NE(err.find("huge.ini"), std::string::npos) << err;
    EXPECT_EQ(ProfileRead(huge, "S", "K", "def"), "def");
    EXPECT_FALSE(ProfileWrite(huge, "S", "K", "2"));

    // A pipe would block the read until some writer came.
    const std::string pipe = home.file("pipe.ini");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    err.clear();
    EXPECT_FALSE(d.load(pipe, &err));
    EXPECT_NE(err.find("pipe.ini"), std::string::npos) << err;
    EXPECT_EQ(ProfileRead(pipe, "S", "K", "def"), "def");

    if (geteuid() == 0) return;  // permissions do not bind root
    const std::string locked = home.file("locked.ini");
    ASSERT_TRUE(ProfileWrite(locked, "S", "K", "old"));
    chmod(locked.c_str(), 0);
    err.clear();
    EXPECT_FALSE(d.load(locked, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(ProfileWrite(locked, "S", "K", "new", &err));
    chmod(locked.c_str(), 0600);
    EXPECT_EQ(ProfileRead(locked, "S", "K", ""), "old");
}
