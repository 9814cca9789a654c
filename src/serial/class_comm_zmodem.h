#pragma once
// Zmodem upload through the "sz" program: sz runs as a child process whose standard input and
// output are pipes; the port object pumps its output to the serial device and the received
// bytes back into it until it exits.
#include <string>
#include <sys/types.h>

namespace k45 {

class ZmodemUploader {
public:
    ZmodemUploader() = default;
    ~ZmodemUploader();
    ZmodemUploader(const ZmodemUploader&) = delete;
    ZmodemUploader& operator=(const ZmodemUploader&) = delete;

    // Starts "sz <file>" (found on PATH). False with the reason when it cannot be started.
    [[nodiscard]] bool start(const std::string& program, const std::string& fileName, std::string* error);
    bool running() const { return pid_ > 0; }
    // Bytes sz wrote since the last call (empty when none).
    std::string takeOutput();
    // Hands received bytes to sz.
    void feedInput(const std::string& bytes);
    // Checks whether sz has ended: 1 still running, 0 ended with success, -1 ended failing.
    int poll();
    // Ends a running transfer.
    void abort();

private:
    void closeFds();
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string pendingInput_;
};

}  // namespace k45
