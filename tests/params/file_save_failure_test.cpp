// A save that cannot be written reports it and leaves the file on disk as it was.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

#include "file_fixture.h"
#include "params/data_file.h"
#include "params/radio_spec_file.h"
#include "params/record_file_io.h"
#include "params/test_file.h"

namespace k45 {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
namespace fs = std::filesystem;

class SaveFailureTest : public test::FileFixture {
protected:
    struct Saver {
        const char* kind;
        std::function<bool(const std::string& file, std::string* error)> save;
    };
    std::vector<Saver> Savers() {
        return {
            {"data", [this](const std::string& f, std::string* e) { return SaveDataFile(state, f, DefaultRecord(), e); }},
            {"test", [this](const std::string& f, std::string* e) { return SaveTestFile(state, f, state.testDefaults, e); }},
            {"radio spec",
             [this](const std::string& f, std::string* e) { return SaveRadioSpecFile(state.locale, f, state.testDefaults.radioSpecs, e); }},
        };
    }
    static size_t FilesIn(const std::string& folder) {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
};

TEST_F(SaveFailureTest, MissingFolder) {
    for (const auto& s : Savers()) {
        std::string error;
        EXPECT_FALSE(s.save(path("no-such-folder/x.ini"), &error)) << s.kind;
        EXPECT_NE(error.find("no-such-folder"), std::string::npos) << s.kind << ": " << error;
        EXPECT_FALSE(fs::exists(path("no-such-folder"))) << s.kind;
    }
}

TEST_F(SaveFailureTest, WriteThatRunsOutOfSpaceKeepsTheOldFile) {
    // A file-size limit makes the write fail part-way, as a full disk would (also for root).
    fs::create_directory(path("out"));
    const std::string file = path("out/old.ini");
    const std::string old = "[Kept]\r\nValue=1\r\n";
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& s : Savers()) {
        WriteFileBytes(file, old);
        rlimit small = before;
        small.rlim_cur = 512;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        std::string error;
        const bool saved = s.save(file, &error);
        setrlimit(RLIMIT_FSIZE, &before);
        EXPECT_FALSE(saved) << s.kind;
        EXPECT_FALSE(error.empty()) << s.kind;
        EXPECT_EQ(ReadFileBytes(file), old) << s.kind;
        EXPECT_EQ(FilesIn(path("out")), 1u) << s.kind << ": no temporary file left behind";
    }
    std::signal(SIGXFSZ, oldHandler);
}

TEST_F(SaveFailureTest, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    fs::create_directory(path("ro"));
    const std::string file = path("ro/old.ini");
    const std::string old = "[Kept]\r\nValue=1\r\n";
    WriteFileBytes(file, old);
    fs::permissions(path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    for (const auto& s : Savers()) {
        std::string error;
        EXPECT_FALSE(s.save(file, &error)) << s.kind;
        EXPECT_FALSE(error.empty()) << s.kind;
        EXPECT_EQ(ReadFileBytes(file), old) << s.kind;
    }
    fs::permissions(path("ro"), fs::perms::owner_all);
}

TEST_F(SaveFailureTest, SuccessfulSaveReplacesTheFileWhole) {
    for (const auto& s : Savers()) {
        const std::string file = path(std::string(s.kind) + ".ini");
        WriteFileBytes(file, "[Kept]\r\nValue=1\r\n");
        std::string error;
        ASSERT_TRUE(s.save(file, &error)) << s.kind << ": " << error;
        const std::string text = ReadFileBytes(file);
        EXPECT_EQ(text.rfind("[Kept]\r\nValue=1\r\n", 0), 0u) << s.kind;
        EXPECT_GT(text.size(), 1000u) << s.kind;
    }
}

// A key the file cannot hold (a line break or "=" in its name, "]" in its section) fails the save
// with its reason and writes nothing, though the keys before and after it could be written.
TEST_F(SaveFailureTest, KeyTheFileCannotHoldFailsTheWholeSave) {
    struct Case {
        const char* what;
        std::string section, key, value;
    };
    const Case cases[] = {
        {"line break in a key", "Main", "Com\r\nment", "1"},
        {"= in a key", "Main", "A=B", "1"},
        {"] in a section", "Ma]in", "Value", "1"},
    };
    const std::string old = "[Kept]\r\nValue=1\r\n";
    for (const Case& c : cases) {
        const std::string file = path("refused.ini");
        WriteFileBytes(file, old);
        std::string error;
        const bool saved = record_file::SaveRecord(state.locale, file, 0, &error, [&](auto& io, int&) {
            std::string before = "x", after = "y", value = c.value;
            io.text("Main", "Before", before);
            io.section(c.section);
            io.text(c.section, c.key, value);
            io.text("Main", "After", after);
        });
        EXPECT_FALSE(saved) << c.what;
        EXPECT_NE(error.find("cannot be stored"), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(ReadFileBytes(file), old) << c.what;
    }
}

}  // namespace
}  // namespace k45
