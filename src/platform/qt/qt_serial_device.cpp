#include "platform/qt/qt_serial_device.h"

#include <grp.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "platform/port_devices.h"
#include "platform/qt/qt_text.h"

namespace k45 {
namespace {

constexpr int kPollMs = 50;
// At most this many events per kind and poll, so a noisy line cannot flood the handler.
constexpr unsigned kMaxEventsPerPoll = 64;
// What the device is opened with, before the wanted settings: every tty takes them.
constexpr PortSettings kOpenSettings{};

std::string GroupName(gid_t gid) {
    long size = sysconf(_SC_GETGR_R_SIZE_MAX);
    if (size <= 0) size = 16384;
    std::vector<char> buf(static_cast<std::size_t>(size));
    group grp{};
    group* found = nullptr;
    int rc;
    while ((rc = getgrgid_r(gid, &grp, buf.data(), buf.size(), &found)) == ERANGE && buf.size() < (1u << 20))
        buf.resize(buf.size() * 2);
    if (rc == 0 && found && found->gr_name) return found->gr_name;
    return std::to_string(gid);
}

const char* ParityName(char p) {
    switch (p) {
    case 'e': return "even";
    case 'o': return "odd";
    case 'm': return "mark";
    case 's': return "space";
    default: return "no";
    }
}

QSerialPort::Parity QtParity(char p) {
    switch (p) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

}  // namespace

QtSerialDevice::QtSerialDevice(const std::string& settingsFile)
    : QtSerialDevice(SettingsFileResolver(settingsFile)) {}

QtSerialDevice::QtSerialDevice(DeviceResolver resolver) : resolver_(std::move(resolver)) {
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] {
        if (threshold_ > 0 && port_.bytesAvailable() >= threshold_) emitEvent(commEvReceive);
    });
    // The send event says the output has drained: at low baud rates a whole chunk fits in the
    // driver, and a send event raised while it is still there would find no room for the next
    // chunk and end the transmission. So the event waits, polled, until the driver is empty too.
    QObject::connect(&port_, &QSerialPort::bytesWritten, &port_, [this](qint64) {
        if (port_.bytesToWrite() != 0) return;
        drainPending_ = driverQueued() > 0;
        if (!drainPending_) emitEvent(commEvSend);
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_, [this](QSerialPort::SerialPortError e) {
        // A failing read or write on an open tty does not recover (a pty whose master went
        // away reports read errors without end): the device is gone.
        if (!port_.isOpen()) return;
        // QSerialPort's error text may be a stale errno; say what failed instead.
        if (e == QSerialPort::ResourceError) lose("it was removed or disconnected");
        else if (e == QSerialPort::ReadError) lose("reading from it failed");
        else if (e == QSerialPort::WriteError) lose("writing to it failed");
    });
    pollTimer_.setInterval(kPollMs);
    QObject::connect(&pollTimer_, &QTimer::timeout, &pollTimer_, [this] { poll(); });
}

QtSerialDevice::~QtSerialDevice() {
    handler_ = nullptr;
    pollTimer_.stop();
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
    if (port_.isOpen()) port_.close();
}

QtSerialDevice::DeviceResolver QtSerialDevice::SettingsFileResolver(const std::string& settingsFile) {
    return [settingsFile](int portNumber) { return MappedPortDevice(settingsFile, portNumber); };
}

std::string QtSerialDevice::DefaultDevicePath(int portNumber) { return DefaultPortDevice(portNumber); }

std::string QtSerialDevice::OpenFailureText(const std::string& path, const std::string& reason, int sysErrno) {
    if (sysErrno == EACCES) {
        std::string text = "Could not open " + path + ": permission denied. The user must be a member of the group";
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) text += " \"" + GroupName(st.st_gid) + "\"";
        return text + " that owns the device.";
    }
    return "Could not open " + path + ": " + reason + ". Choose the device for this port in Utilities > Port Settings.";
}

std::vector<PresentSerialDevice> QtSerialDevice::PresentDevices(const std::string& byIdFolder) {
    std::vector<PresentSerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PresentSerialDevice d;
        d.systemLocation = info.systemLocation().toStdString();
        d.description = info.description().toStdString();
        d.manufacturer = info.manufacturer().toStdString();
        d.serialNumber = info.serialNumber().toStdString();
        devices.push_back(std::move(d));
    }
    std::sort(devices.begin(), devices.end(),
              [](const PresentSerialDevice& a, const PresentSerialDevice& b) { return a.systemLocation < b.systemLocation; });
    AttachStableLinks(devices, byIdFolder);
    return devices;
}

void QtSerialDevice::AttachStableLinks(std::vector<PresentSerialDevice>& devices, const std::string& byIdFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::pair<std::string, std::string>> links;  // (link, canonical target)
    // A folder that is missing or changes under the walk ends it; the links found so far count.
    for (fs::directory_iterator it(byIdFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        if (!it->is_symlink(linkEc)) continue;
        const fs::path target = fs::canonical(it->path(), linkEc);
        if (!linkEc) links.emplace_back(it->path().string(), target.string());
    }
    std::sort(links.begin(), links.end());
    for (PresentSerialDevice& d : devices) {
        std::error_code devEc;
        const fs::path device = fs::canonical(d.systemLocation, devEc);
        if (devEc) continue;
        for (const auto& [link, target] : links) {
            if (target != device.string()) continue;
            d.stableLink = link;
            break;
        }
    }
}

int QtSerialDevice::DrainTimeMs(long long bytes, const PortSettings& settings) {
    constexpr long long kMarginMs = 100;
    if (bytes <= 0) return 0;
    const long long baud = settings.baudRate > 0 ? settings.baudRate : 9600;
    const long long bits = bytes * BitsPerCharacter(settings);
    const long long ms = (bits * 1000 + baud - 1) / baud + kMarginMs;
    return static_cast<int>(std::min<long long>(ms, kMaxDrainMs));
}

bool QtSerialDevice::notOpen(std::string* error) const {
    if (port_.isOpen()) return false;
    if (error) {
        const std::string name = path_.empty() ? "Com" + std::to_string(portNumber_) : path_;
        *error = "The serial device " + name + " is not open.";
    }
    return true;
}

bool QtSerialDevice::setSettings(const PortSettings& settings, std::string* error) {
    if (const std::string why = PortSettingsProblem(settings); !why.empty()) {
        if (error) *error = why;
        return false;
    }
    if (!port_.isOpen()) {
        settings_ = settings;
        return true;
    }
    // What the device takes stays in force (a new baud rate with a parity it cannot do): the
    // refused parts keep their value and the caller hears of them.
    std::string refusals;
    const bool ok = applySettings(settings, settings_, &settings_, &refusals);
    if (!ok && error) *error = refusals;
    return ok;
}

bool QtSerialDevice::applySettings(PortSettings s, const PortSettings& old, PortSettings* inForce,
                                   std::string* refusals) {
    std::vector<std::string> refused;
    bool keptBits = false, keptParity = false, keptStops = false;  // refused above, kept as in old
    auto why = [this] {
        std::string text = port_.errorString().toStdString();
        port_.clearError();
        return " (" + text + ")";
    };
    const char parity = static_cast<char>(s.parity | 0x20);
    if (!port_.setBaudRate(s.baudRate)) {
        refused.push_back("baud rate " + std::to_string(s.baudRate) + why());
        s.baudRate = old.baudRate;
    }
    if (s.dataBits < 5) {  // termios has no character size below 5 bits
        refused.push_back(std::to_string(s.dataBits) + " data bits (not available on this system)");
        s.dataBits = old.dataBits;
        keptBits = true;
    } else if (!port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits))) {
        refused.push_back(std::to_string(s.dataBits) + " data bits" + why());
        s.dataBits = old.dataBits;
        keptBits = true;
    }
    if (!port_.setParity(QtParity(parity))) {
        refused.push_back(std::string(ParityName(parity)) + " parity" + why());
        s.parity = old.parity;
        keptParity = true;
    }
    if (!port_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)) {
        refused.push_back(std::to_string(s.stopBits) + " stop bits" + why());
        s.stopBits = old.stopBits;
        keptStops = true;
    }
    // A driver may keep what it cannot do without a word (a pseudo-terminal keeps 8 data bits
    // and no parity): what it reads back is what is in force.
    termios tio{};
    if (::tcgetattr(port_.handle(), &tio) == 0) {
        const tcflag_t size = tio.c_cflag & CSIZE;
        const std::int16_t bits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
        if (!keptBits && bits != s.dataBits) {
            refused.push_back(std::to_string(s.dataBits) + " data bits (the device keeps " + std::to_string(bits) +
                              ")");
            s.dataBits = bits;
        }
        const char kept = !(tio.c_cflag & PARENB)  ? 'n'
                          : (tio.c_cflag & CMSPAR) ? ((tio.c_cflag & PARODD) ? 'm' : 's')
                          : (tio.c_cflag & PARODD) ? 'o'
                                                   : 'e';
        if (!keptParity && kept != parity) {
            refused.push_back(std::string(ParityName(parity)) + " parity (the device keeps " + ParityName(kept) +
                              " parity)");
            s.parity = kept == static_cast<char>(old.parity | 0x20) ? old.parity : kept;
        }
        const std::int16_t stops = (tio.c_cflag & CSTOPB) ? 2 : 1;
        if (!keptStops && stops != s.stopBits) {
            refused.push_back(std::to_string(s.stopBits) + " stop bits (the device keeps " + std::to_string(stops) +
                              ")");
            s.stopBits = stops;
        }
    }
    *inForce = s;
    if (refused.empty()) return true;
    std::string text = "The serial device " + path_ + " refused ";
    for (std::size_t i = 0; i < refused.size(); ++i) text += (i ? "; " : "") + refused[i];
    *refusals = text + ".";
    return false;
}

bool QtSerialDevice::applyHandshaking(int mode, std::string* error) {
    if (!port_.isOpen()) return true;
    if (port_.setFlowControl(mode == 2 ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl)) return true;
    if (error)
        *error = "The serial device " + path_ + " refused handshaking " + std::to_string(mode) + " (" +
                 port_.errorString().toStdString() + ").";
    port_.clearError();
    return false;
}

bool QtSerialDevice::open(std::string* error) {
    if (port_.isOpen()) return true;
    if (portNumber_ < 1 || portNumber_ > 32) {
        path_.clear();
        if (error) *error = "Com port number " + std::to_string(portNumber_) + " is outside 1 to 32.";
        return false;
    }
    path_ = resolver_ ? resolver_(portNumber_) : DefaultDevicePath(portNumber_);
    if (path_.empty()) path_ = DefaultDevicePath(portNumber_);
    lostReason_.clear();
    // Ask the file system first: QSerialPort takes its lock file before it looks at the device
    // and would report a missing device as a locking failure.
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        const int e = errno;
        if (error)
            *error = OpenFailureText(path_, e == ENOENT ? "the device does not exist" : std::strerror(e), e);
        return false;
    }
    if (!S_ISCHR(st.st_mode)) {
        if (error) *error = OpenFailureText(path_, "it is not a serial device", 0);
        return false;
    }
    port_.setPortName(QText(path_));
    // Open with settings every tty takes; the wanted ones follow one by one, so a refused one
    // does not stop the open.
    port_.setBaudRate(kOpenSettings.baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError e = port_.error();
        std::string reason = port_.errorString().toStdString();
        port_.clearError();
        int sysErrno = 0;
        if (e == QSerialPort::DeviceNotFoundError) reason = "the device does not exist";
        else if (e == QSerialPort::UnsupportedOperationError) reason = "it is not a serial device (" + reason + ")";
        else if (e == QSerialPort::PermissionError && ::access(path_.c_str(), R_OK | W_OK) != 0) sysErrno = errno;
        if (error) *error = OpenFailureText(path_, reason, sysErrno);
        return false;
    }
    port_.clearError();
    openRefusals_.clear();
    // Refusals do not stop the open: the port object sets what it wants next and reports them.
    // The settings recorded are then those in force: a refused part stays as the open set it.
    (void)applySettings(settings_, kOpenSettings, &settings_, &openRefusals_);
    std::string refused;
    if (!applyHandshaking(handshaking_, &refused)) openRefusals_ += (openRefusals_.empty() ? "" : " ") + refused;
    linesKnown_ = countersKnown_ = false;
    linesUnsupported_ = countersUnsupported_ = false;
    drainPending_ = false;
    pollTimer_.start();
    return true;
}

void QtSerialDevice::drainOutput() {
    if (!port_.isOpen() || draining_) return;
    const long long queued = port_.bytesToWrite() + driverQueued();
    if (queued == 0) return;
    // The owner is closing the port: what the waits below report (bytes written, input, a lost
    // device) is not handed on.
    draining_ = true;
    const int budget = DrainTimeMs(queued, settings_);
    QElapsedTimer clock;
    clock.start();
    // QSerialPort hands its buffer to the driver only from the event loop, or in this wait.
    while (port_.isOpen() && port_.bytesToWrite() > 0 && clock.elapsed() < budget) {
        if (!port_.waitForBytesWritten(static_cast<int>(budget - clock.elapsed()))) break;
    }
    // Then the driver sends them on the line.
    while (port_.isOpen() && driverQueued() > 0 && clock.elapsed() < budget) {
        const timespec step{0, 2'000'000};
        ::nanosleep(&step, nullptr);
    }
    draining_ = false;
}

void QtSerialDevice::close() {
    drainOutput();
    pollTimer_.stop();
    drainPending_ = false;
    if (port_.isOpen()) port_.close();
    port_.clearError();
}

void QtSerialDevice::setBufferSizes(int /*inputSize*/, int outputSize) {
    // The input is not capped: bytes beyond it wait in the driver instead of being lost.
    if (outputSize > 0) outputBufferSize_ = outputSize;
}

bool QtSerialDevice::setLine(int bit, bool on, const char* name, std::string* error) {
    if (notOpen(error)) return false;
    // Straight to the driver: QSerialPort refuses RTS while hardware handshaking is on, but
    // keyed sending drops RTS before it turns handshaking off.
    int bits = bit;
    if (::ioctl(port_.handle(), on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
    const int e = errno;
    if (error) {
        *error = "The serial device " + path_ + " cannot set " + name +
                 (e == ENOTTY || e == EINVAL ? std::string(": it has no modem control lines.")
                                             : " (" + std::string(std::strerror(e)) + ").");
    }
    return false;
}

bool QtSerialDevice::readLines(int* bits) const {
    return port_.isOpen() && ::ioctl(port_.handle(), TIOCMGET, bits) == 0;
}

bool QtSerialDevice::setRts(bool on, std::string* error) { return setLine(TIOCM_RTS, on, "RTS", error); }
bool QtSerialDevice::setDtr(bool on, std::string* error) { return setLine(TIOCM_DTR, on, "DTR", error); }

bool QtSerialDevice::lineUp(int bit) const {
    int bits = 0;
    return readLines(&bits) && (bits & bit);
}

bool QtSerialDevice::rts() const { return lineUp(TIOCM_RTS); }
bool QtSerialDevice::dtr() const { return lineUp(TIOCM_DTR); }
bool QtSerialDevice::cts() const { return lineUp(TIOCM_CTS); }
bool QtSerialDevice::dsr() const { return lineUp(TIOCM_DSR); }
bool QtSerialDevice::cd() const { return lineUp(TIOCM_CAR); }

bool QtSerialDevice::setHandshaking(int mode, std::string* error) {
    if (mode != 0 && mode != 2) {
        if (error) *error = "Handshaking " + std::to_string(mode) + " is not supported (0 none, 2 RTS/CTS).";
        return false;
    }
    handshaking_ = mode;
    return applyHandshaking(mode, error);
}

bool QtSerialDevice::setBreak(bool on, std::string* error) {
    if (notOpen(error)) return false;
    if (port_.setBreakEnabled(on)) return true;
    if (error)
        *error = "The serial device " + path_ + " cannot " + (on ? "start" : "end") + " a break (" +
                 port_.errorString().toStdString() + ").";
    port_.clearError();
    return false;
}

std::string QtSerialDevice::readInput() {
    if (!port_.isOpen()) return {};
    const QByteArray bytes = port_.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool QtSerialDevice::write(const std::string& bytes, std::string* error) {
    if (notOpen(error)) return false;
    if (bytes.empty()) return true;
    const long long waiting = outputCount();
    if (waiting + static_cast<long long>(bytes.size()) > outputBufferSize_) {
        if (error)
            *error = "The output buffer of " + path_ + " is full: " + std::to_string(bytes.size()) +
                     " bytes do not fit beside " + std::to_string(waiting) + " of " +
                     std::to_string(outputBufferSize_) + ".";
        return false;
    }
    const qint64 written = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written == static_cast<qint64>(bytes.size())) return true;
    if (error)
        *error = "The serial device " + path_ + " refused the output (" + port_.errorString().toStdString() + ").";
    port_.clearError();
    return false;
}

int QtSerialDevice::driverQueued() const {
    int inDriver = 0;
    if (!port_.isOpen() || ::ioctl(port_.handle(), TIOCOUTQ, &inDriver) != 0 || inDriver < 0) return 0;
    return inDriver;
}

int QtSerialDevice::outputCount() const {
    if (!port_.isOpen()) return 0;
    const long long count = port_.bytesToWrite() + static_cast<long long>(driverQueued());
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

void QtSerialDevice::emitEvent(int code) {
    if (!handler_ || draining_) return;
    auto handler = handler_;  // the handler may replace itself
    handler(code);
}

void QtSerialDevice::lose(const std::string& why) {
    if (losing_) return;
    losing_ = true;
    lostReason_ = "The serial device " + path_ + " is no longer available (" + why + ").";
    pollTimer_.stop();
    port_.close();
    port_.clearError();
    losing_ = false;
    emitEvent(commEventDeviceLost);
}

// Output that has left the driver, line changes, breaks, framing and parity errors: the driver
// knows them but QSerialPort does not signal them. Devices without modem lines or counters
// (pseudo-terminals) are left to the port object's own polling of the line levels.
void QtSerialDevice::poll() {
    if (!port_.isOpen()) return;
    if (drainPending_ && port_.bytesToWrite() == 0 && driverQueued() == 0) {
        drainPending_ = false;
        emitEvent(commEvSend);
        if (!port_.isOpen()) return;
    }
    const int fd = port_.handle();
    if (!linesUnsupported_) {
        int bits = 0;
        if (::ioctl(fd, TIOCMGET, &bits) != 0) {
            linesUnsupported_ = true;
        } else {
            const int changed = linesKnown_ ? (bits ^ lastLines_) : 0;
            lastLines_ = bits;
            linesKnown_ = true;
            const std::pair<int, int> lines[] = {{TIOCM_CTS, commEvCts}, {TIOCM_DSR, commEvDsr}, {TIOCM_CAR, commEvCd}};
            for (const auto& [bit, code] : lines) {
                if (!(changed & bit)) continue;
                emitEvent(code);
                if (!port_.isOpen()) return;
            }
        }
    }
    if (countersUnsupported_) return;
    serial_icounter_struct counters{};
    if (::ioctl(fd, TIOCGICOUNT, &counters) != 0) {
        countersUnsupported_ = true;
        return;
    }
    const bool known = countersKnown_;
    // The driver's counters only grow; unsigned differences stay defined if one wraps.
    const unsigned now[3] = {static_cast<unsigned>(counters.brk), static_cast<unsigned>(counters.frame),
                             static_cast<unsigned>(counters.parity)};
    const int codes[3] = {commEventBreak, commEventFrame, commEventRxParity};
    unsigned deltas[3];
    for (int k = 0; k < 3; ++k) {
        deltas[k] = now[k] - lastCounters_[k];
        lastCounters_[k] = now[k];
    }
    countersKnown_ = true;
    if (!known) return;
    for (int k = 0; k < 3; ++k) {
        for (unsigned i = 0; i < deltas[k] && i < kMaxEventsPerPoll; ++i) {
            emitEvent(codes[k]);
            if (!port_.isOpen()) return;
        }
    }
}

}  // namespace k45
