// Saves that respect the file system. These cases also run as an unprivileged user (see
// tests/CMakeLists.txt), where permissions bind as they do for a technician.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "support/temp_home.h"

namespace k45 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

mode_t ModeOf(const std::string& path) {
    struct stat st{};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

size_t FilesIn(const std::string& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class ProfileFileSystem : public ::testing::Test {
protected:
    test::TempHome home;
    std::string file(const std::string& name) const { return home.file(name); }
};

TEST_F(ProfileFileSystem, WriteProtectedFileIsRefusedAndKept) {
    const std::string f = file("K45MR.ini");
    const std::string old = "[S]\r\nK=old\r\n";
    home.write("K45MR.ini", old);
    ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    std::string error;
    EXPECT_FALSE(ProfileWrite(f, "S", "K", "new", &error));
    EXPECT_NE(error.find("K45MR.ini"), std::string::npos) << error;
    EXPECT_NE(error.find("write-protected"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(ProfileEmptySection(f, "S", &error));
    EXPECT_FALSE(error.empty());
    {
        ProfileBatch batch(f);
        EXPECT_TRUE(ProfileWrite(f, "S", "K", "batch"));  // into memory: only the commit meets the file
        error.clear();
        EXPECT_FALSE(batch.commit(&error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(home.read("K45MR.ini"), old);
    EXPECT_EQ(ModeOf(f), 0444u);
    EXPECT_EQ(FilesIn(home.path()), 1u) << "no temporary file left behind";

    // Through a link, the target's protection counts.
    ASSERT_EQ(symlink("K45MR.ini", file("link.ini").c_str()), 0);
    EXPECT_FALSE(ProfileWrite(file("link.ini"), "S", "K", "new"));
    EXPECT_EQ(home.read("K45MR.ini"), old);

    // Writable again, the same write goes through.
    ASSERT_EQ(chmod(f.c_str(), 0644), 0);
    EXPECT_TRUE(ProfileWrite(f, "S", "K", "new"));
    EXPECT_EQ(ProfileRead(f, "S", "K", ""), "new");
}

TEST_F(ProfileFileSystem, SymbolicLinksAreFollowedAndKept) {
    fs::create_directory(file("real"));
    fs::create_directory(file("links"));
    home.write("real/K45MR.ini", "[S]\r\nK=old\r\n");
    struct Case {
        const char* name;
        std::string link, target;  // the link's text
    };
    const Case cases[] = {
        {"relative link into another folder", "links/rel.ini", "../real/K45MR.ini"},
        {"absolute link", "links/abs.ini", file("real/K45MR.ini")},
        {"link to a link", "links/chain.ini", "rel.ini"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(symlink(c.target.c_str(), file(c.link).c_str()), 0);
        const std::string value = "v" + std::to_string(++n);
        std::string error;
        ASSERT_TRUE(ProfileWrite(file(c.link), "S", "K", value, &error)) << error;
        EXPECT_TRUE(fs::is_symlink(file(c.link)));
        EXPECT_EQ(fs::read_symlink(file(c.link)).string(), c.target);
        EXPECT_EQ(home.read("real/K45MR.ini"), "[S]\r\nK=" + value + "\r\n");
        EXPECT_EQ(ProfileRead(file(c.link), "S", "K", ""), value);
    }
    EXPECT_EQ(FilesIn(file("real")), 1u) << "no temporary file beside the target";
    EXPECT_EQ(FilesIn(file("links")), 3u) << "nothing but the links beside the links";

    // A link whose target does not exist yet creates the target.
    ASSERT_EQ(symlink("real/new.ini", file("dangling.ini").c_str()), 0);
    ASSERT_TRUE(ProfileWrite(file("dangling.ini"), "S", "K", "1"));
    EXPECT_TRUE(fs::is_symlink(file("dangling.ini")));
    EXPECT_EQ(home.read("real/new.ini"), "[S]\r\nK=1\r\n");

    // A loop of links is reported, not followed for ever.
    ASSERT_EQ(symlink("loop-b.ini", file("loop-a.ini").c_str()), 0);
    ASSERT_EQ(symlink("loop-a.ini", file("loop-b.ini").c_str()), 0);
    std::string error;
    EXPECT_FALSE(ProfileWrite(file("loop-a.ini"), "S", "K", "1", &error));
    EXPECT_NE(error.find("loop-a.ini"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_symlink(file("loop-a.ini")));
}

TEST_F(ProfileFileSystem, RewrittenFileKeepsItsPermissionBits) {
    for (mode_t mode : {0600u, 0640u, 0664u, 0604u, 0750u}) {
        SCOPED_TRACE(mode);
        const std::string f = file("mode.ini");
        home.write("mode.ini", "[S]\r\nK=1\r\n");
        ASSERT_EQ(chmod(f.c_str(), mode), 0);
        ASSERT_TRUE(ProfileWrite(f, "S", "K", "2"));
        EXPECT_EQ(ModeOf(f), mode);
    }
    // A new file gets the usual bits under the user's mask, not a temporary file's 0600.
    const mode_t mask = umask(027);
    ASSERT_TRUE(ProfileWrite(file("fresh.ini"), "S", "K", "1"));
    umask(mask);
    EXPECT_EQ(ModeOf(file("fresh.ini")), 0640u);
}

std::string Utf16(const std::u16string& text, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t w : text) {
        const char lo = static_cast<char>(w & 0xFF), hi = static_cast<char>(w >> 8);
        out += littleEndian ? lo : hi;
        out += littleEndian ? hi : lo;
    }
    return out;
}

TEST_F(ProfileFileSystem, Utf16FileIsReadAndWrittenBackInUtf16) {
    for (bool le : {true, false}) {
        SCOPED_TRACE(le ? "little-endian" : "big-endian");
        // A name Windows-1252 cannot show, the euro sign (0x80 there) and an accented letter.
        const std::u16string before = u"; \u4E2D\u6587\r\n[Main Window]\r\nLeft = 120\r\nSign=\u20AC\u00E9\r\n";
        home.write("wide.ini", Utf16(before, le));
        const std::string f = file("wide.ini");
        EXPECT_EQ(ProfileRead(f, "main window", "left", ""), "120");
        EXPECT_EQ(ProfileRead(f, "Main Window", "Sign", ""), "\x80\xE9");
        ASSERT_TRUE(ProfileWrite(f, "Main Window", "Top", "\xE9\x80"));
        ASSERT_TRUE(ProfileWrite(f, "New", "K", "1"));
        EXPECT_EQ(home.read("wide.ini"),
                  Utf16(u"; \u4E2D\u6587\r\n[Main Window]\r\nLeft = 120\r\nSign=\u20AC\u00E9\r\nTop=\u00E9\u20AC\r\n"
                        u"[New]\r\nK=1\r\n",
                        le));
        EXPECT_EQ(ProfileRead(f, "Main Window", "Top", ""), "\xE9\x80");
    }
    // An odd trailing byte (a cut file) does not hide the keys before it.
    home.write("cut.ini", Utf16(u"[S]\r\nK=1\r\n", true) + "\x41");
    EXPECT_EQ(ProfileRead(file("cut.ini"), "S", "K", ""), "1");
}

TEST_F(ProfileFileSystem, CtrlZAfterTheLastValueIsNotPartOfIt) {
    struct Case {
        const char* name;
        std::string content;
        std::string expected;
    };
    const Case cases[] = {
        {"right after the value", "[S]\r\nK=12\x1A", "12"},
        {"after the last line end", "[S]\r\nK=12\r\n\x1A", "12"},
        {"before a line end", "[S]\r\nK=12\x1A\r\n", "12"},
        {"several", "[S]\r\nK=12\x1A\x1A\x1A", "12"},
        {"inside a value stays", "[S]\r\nK=1\x1A" "2\r\n", "1\x1A" "2"},
        {"UTF-16", Utf16(u"[S]\r\nK=12\u001A", true), "12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        home.write("z.ini", c.content);
        EXPECT_EQ(ProfileRead(file("z.ini"), "S", "K", "def"), c.expected);
    }
    // A rewrite leaves a clean file.
    home.write("z.ini", "[S]\r\nK=12\x1A");
    ASSERT_TRUE(ProfileWrite(file("z.ini"), "S", "L", "3"));
    EXPECT_EQ(home.read("z.ini"), "[S]\r\nK=12\r\nL=3\r\n");
}

// A run as root cannot show these; the unprivileged run of this suite must not skip them.
TEST_F(ProfileFileSystem, FileOrFolderOthersOwnIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    // A read-only folder: the temporary file cannot be made; the file stays.
    fs::create_directory(file("ro"));
    home.write("ro/K45MR.ini", "[S]\r\nK=old\r\n");
    ASSERT_EQ(chmod(file("ro").c_str(), 0500), 0);
    std::string error;
    EXPECT_FALSE(ProfileWrite(file("ro/K45MR.ini"), "S", "K", "new", &error));
    EXPECT_NE(error.find("K45MR.ini"), std::string::npos) << error;
    ASSERT_EQ(chmod(file("ro").c_str(), 0700), 0);
    EXPECT_EQ(home.read("ro/K45MR.ini"), "[S]\r\nK=old\r\n");
    // A file only its owner may write (here: not us) in a folder we may write.
    const std::string root = "/etc/passwd";
    ASSERT_EQ(symlink(root.c_str(), file("theirs.ini").c_str()), 0);
    error.clear();
    EXPECT_FALSE(ProfileWrite(file("theirs.ini"), "S", "K", "new", &error));
    EXPECT_NE(error.find("write-protected"), std::string::npos) << error;
    EXPECT_EQ(FilesIn(home.path()), 2u);
}

}  // namespace
}  // namespace k45
