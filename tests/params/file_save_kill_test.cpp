// A save killed at any moment (power switch, kill -9, crash elsewhere in the program) leaves
// the old or the new file on disk, whole, and the next save clears what the dead one left.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "file_fixture.h"
#include "params/data_file.h"
#include "platform/profile.h"

namespace k45 {
namespace {

using test::ReadFileBytes;
namespace fs = std::filesystem;

class SaveKillTest : public test::FileFixture {
protected:
    // The two records the child alternates between, and the bytes each one saves to.
    void SetUp() override {
        FileFixture::SetUp();
        records[0] = DefaultRecord(0, 5);
        records[1] = DefaultRecord(0, 5);
        records[1].comment = "Second record";
        for (int i = 0; i < 2; ++i) {
            const std::string ref = path("ref" + std::to_string(i) + ".dat");
            ASSERT_TRUE(SaveDataFile(state, ref, records[i]));
            dataBytes[i] = ReadFileBytes(ref);
            fs::remove(ref);
            settingsBytes[i] = SaveSettings(path("ref.ini"), i) ? ReadFileBytes(path("ref.ini")) : "";
            fs::remove(path("ref.ini"));
        }
        ASSERT_NE(dataBytes[0], dataBytes[1]);
        ASSERT_NE(settingsBytes[0], settingsBytes[1]);
        fs::create_directory(path("saves"));
        data = path("saves/modem.dat");
        settings = path("saves/K45MR.ini");
        ASSERT_TRUE(SaveDataFile(state, data, records[0]));
        ASSERT_TRUE(SaveSettings(settings, 0));
    }

    // Settings as the program saves them at shutdown: many keys in one batch.
    static bool SaveSettings(const std::string& file, int which) {
        ProfileBatch batch(file);
        bool ok = true;
        for (int s = 0; s < 8; ++s)
            for (int k = 0; k < 24; ++k)
                ok = ProfileWrite(file, "Window " + std::to_string(s), "Key" + std::to_string(k),
                                  std::to_string(which * 100000 + s * 100 + k)) && ok;
        return batch.commit() && ok;
    }

    // A child that saves both files in a loop, alternating the content, until it is killed.
    pid_t StartSaver() {
        int ready[2];
        if (pipe(ready) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(ready[0]);
            for (int n = 1;; ++n) {
                // Killed at any moment: the parent judges the files, not these results.
                (void)SaveDataFile(state, data, records[n & 1]);
                (void)SaveSettings(settings, n & 1);
                // Killed from the end of the first save pair on, whatever the machine's speed.
                const char go = 1;
                if (n == 1) (void)!write(ready[1], &go, 1);
            }
        }
        close(ready[1]);
        char go = 0;
        (void)!read(ready[0], &go, 1);
        close(ready[0]);
        return pid;
    }

    ModemParameters records[2];
    std::string dataBytes[2], settingsBytes[2];
    std::string data, settings;
};

TEST_F(SaveKillTest, AKilledSaveLeavesTheOldOrTheNewFileWhole) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> spins(0, 20000);
    int sawData[2] = {0, 0};
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = StartSaver();
        ASSERT_GT(child, 0);
        // A random moment: the child keeps saving meanwhile.
        for (int i = spins(random); i > 0; --i) (void)getppid();
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string onDisk = ReadFileBytes(data);
        ASSERT_TRUE(onDisk == dataBytes[0] || onDisk == dataBytes[1]) << "torn data file, " << onDisk.size() << " bytes";
        ++sawData[onDisk == dataBytes[1]];
        ModemParameters loaded = DefaultRecord(3, 1);
        ASSERT_TRUE(LoadDataFile(state, state, loaded, data));
        EXPECT_EQ(loaded.comment, records[onDisk == dataBytes[1]].comment);
        const std::string ini = ReadFileBytes(settings);
        ASSERT_TRUE(ini == settingsBytes[0] || ini == settingsBytes[1]) << "torn settings file, " << ini.size() << " bytes";
    }
    EXPECT_GT(sawData[1], 0) << "the child's saves reached the disk";

    // The next successful saves leave nothing but the two files.
    ASSERT_TRUE(SaveDataFile(state, data, records[1]));
    ASSERT_TRUE(SaveSettings(settings, 1));
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(path("saves"))) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"K45MR.ini", "modem.dat"}));
}

}  // namespace
}  // namespace k45
