#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
        for (int i = 0; i < 10; ++i) ProfileWrite(f, "Batch", "Key" + std::to_string(i), std::to_string(i));
        EXPECT_EQ(ProfileRead(f, "Batch", "Key3", ""), "3");
        // Not on disk until committed.
        IniDocument disk;
        disk.load(f);
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
