// Port object: line signals, statistics and the Zmodem upload.
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/scheduler.h"
#include "platform/serial_device.h"
#include "serial/class_comm.h"
#include "serial/class_comm_zmodem.h"

extern char** environ;

namespace k45 {

inline constexpr double kCounterLimit = 4294967295.0;

void classComm::SaturatingAdd(double& counter, double amount) {
    if (amount <= 0) return;
    counter = (counter + amount > kCounterLimit) ? kCounterLimit : counter + amount;
}

bool classComm::ClearCommStats() {
    txBytes_ = rxBytes_ = framingErrors_ = dribbleBytes_ = 0;
    return comPortOpen_;
}

void classComm::SetRtsSignal(bool tmpFlag) {
    if (!commCtrl_) return;
    // A device without the line keeps its level; the level read back is what counts.
    (void)commCtrl_->setRts(tmpFlag, nullptr);
    rtsState_ = commCtrl_->rts();
}

void classComm::SetDtrSignal(bool tmpFlag) {
    if (!commCtrl_) return;
    (void)commCtrl_->setDtr(tmpFlag, nullptr);  // as for RTS above
    dtrState_ = commCtrl_->dtr();
}

// The pulse ends at the level it started from, also when a handler that ran during the wait
// moved the line meanwhile.
void classComm::PulseLine(bool (SerialDevice::*level)() const, void (classComm::*setLine)(bool), float delay) {
    if (!commCtrl_) return;
    const bool pulsed = !(commCtrl_->*level)();
    (this->*setLine)(pulsed);
    scheduler_.wait(static_cast<int>(std::lround(delay * 1000.0)), true);
    if (!commCtrl_) return;
    (this->*setLine)(!pulsed);
}

void classComm::ToggleRtsSignal(float tmpDelay) {
    PulseLine(&SerialDevice::rts, &classComm::SetRtsSignal, tmpDelay);
}

void classComm::ToggleDtrSignal(float tmpDelay) {
    PulseLine(&SerialDevice::dtr, &classComm::SetDtrSignal, tmpDelay);
}

// ---------------------------------------------------------------------------------------
// Zmodem

void classComm::ZmodemUpload(const std::string& uploadFilename) {
    if (zmodem_ && zmodem_->running()) return;
    if (!comPortOpen_ || !commCtrl_) {
        zmodemStatus_ = ZmodemStatus::Failed;
        return;
    }
    zmodem_ = std::make_unique<ZmodemUploader>();
    std::string error;
    if (zmodem_->start("sz", uploadFilename, &error)) {
        zmodemStatus_ = ZmodemStatus::Running;
    } else {
        zmodem_.reset();
        zmodemStatus_ = (error == "unavailable") ? ZmodemStatus::Unavailable : ZmodemStatus::Failed;
    }
}

ZmodemStatus classComm::GetZmodemStatus() const { return zmodemStatus_; }

void classComm::SetZmodemStatus(ZmodemStatus statusFlag) {
    if (statusFlag == ZmodemStatus::Idle && zmodem_) {
        zmodem_->abort();
        zmodem_.reset();
    }
    zmodemStatus_ = statusFlag;
}

ZmodemUploader::~ZmodemUploader() { abort(); }

bool ZmodemUploader::start(const std::string& program, const std::string& fileName, std::string* error) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    if (pipe2(out, O_CLOEXEC) != 0) {
        if (error) *error = std::strerror(errno);
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&fa, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // "--" ends the options: a file name that begins with "-" is still a file name.
    std::string prog = program, quiet = "-q", endOfOptions = "--", name = fileName;
    char* argv[] = {prog.data(), quiet.data(), endOfOptions.data(), name.data(), nullptr};
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, program.c_str(), &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    ::close(out[1]);
    if (rc != 0) {
        ::close(in[1]);
        ::close(out[0]);
        if (error) *error = (rc == ENOENT) ? "unavailable" : std::strerror(rc);
        return false;
    }
    pid_ = pid;
    toChild_ = in[1];
    fromChild_ = out[0];
    fcntl(toChild_, F_SETFL, fcntl(toChild_, F_GETFL) | O_NONBLOCK);
    fcntl(fromChild_, F_SETFL, fcntl(fromChild_, F_GETFL) | O_NONBLOCK);
    return true;
}

std::string ZmodemUploader::takeOutput() {
    std::string out;
    if (fromChild_ < 0) return out;
    char buf[4096];
    while (true) {
        ssize_t n = ::read(fromChild_, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return out;
}

void ZmodemUploader::feedInput(const std::string& bytes) {
    pendingInput_ += bytes;
    if (toChild_ < 0) {
        pendingInput_.clear();
        return;
    }
    // A write to a pipe whose reader has gone raises SIGPIPE: hold it back and drop it.
    sigset_t pipeSet, oldSet;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &oldSet);
    while (!pendingInput_.empty()) {
        ssize_t n = ::write(toChild_, pendingInput_.data(), pendingInput_.size());
        if (n > 0) {
            pendingInput_.erase(0, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n < 0 && errno == EPIPE) {
                pendingInput_.clear();
                timespec zero{0, 0};
                sigtimedwait(&pipeSet, nullptr, &zero);
            }
            break;
        }
    }
    pthread_sigmask(SIG_SETMASK, &oldSet, nullptr);
}

int ZmodemUploader::poll() {
    if (pid_ <= 0) return -1;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return 1;
    pid_ = -1;
    bool ok = r > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ok ? 0 : -1;
}

void ZmodemUploader::abort() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    closeFds();
}

void ZmodemUploader::closeFds() {
    if (toChild_ >= 0) ::close(toChild_);
    if (fromChild_ >= 0) ::close(fromChild_);
    toChild_ = fromChild_ = -1;
}

}  // namespace k45
