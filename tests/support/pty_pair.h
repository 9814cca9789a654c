#pragma once
// A pseudo-terminal for tests of the real serial device: the device opens the slave path,
// the test plays the far end on the master.
#include <string>

namespace k45::test {

class PtyPair {
public:
    PtyPair();  // check ok() before use
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& error() const { return error_; }
    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Writes every byte to the master (the slave reads them); false on failure.
    bool writeMaster(const std::string& bytes);
    // What the slave wrote and the master holds now; never blocks.
    std::string readMaster();
    // Closes the master: the slave's device vanishes.
    void closeMaster();

private:
    int master_ = -1;
    std::string slavePath_;
    std::string error_;
};

}  // namespace k45::test
