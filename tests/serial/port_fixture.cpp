#include "serial/port_fixture.h"

#include <cmath>
#include <cstdlib>

namespace k45::test {

double ScriptedDevice::bytesPerSecond() const {
    // "baud,p,data,stop"
    int baud = 9600, data = 8, stop = 1;
    char parity = 'n';
    if (std::sscanf(settings_.c_str(), "%d,%c,%d,%d", &baud, &parity, &data, &stop) != 4) return 960;
    int bits = data + 1 + stop + ((parity == 'n' || parity == 'N') ? 0 : 1);
    return bits > 0 ? static_cast<double>(baud) / bits : 960;
}

bool ScriptedDevice::setRts(bool on, std::string* error) {
    if (refuseRts) {
        if (error) *error = "RTS refused";
        return false;
    }
    if (rts_ != on) rtsHistory.emplace_back(s_.nowMs(), on);
    rts_ = on;
    if (ctsAnswerMs >= 0) {
        s_.callAt(s_.nowMs() + ctsAnswerMs, [this, on] {
            if (rts_ == on) setCtsLevel(on);
        });
    }
    return true;
}

bool ScriptedDevice::write(const std::string& bytes, std::string* error) {
    if (refuseWrite) {
        if (error) *error = "write refused";
        return false;
    }
    wire += bytes;
    writes.push_back(bytes);
    pendingOut_ += bytes.size();
    scheduleDrain();
    return true;
}

void ScriptedDevice::scheduleDrain() {
    if (holdOutput) return;
    const std::uint64_t seq = ++drainSeq_;
    const auto ms = static_cast<std::int64_t>(std::ceil(pendingOut_ * 1000.0 / bytesPerSecond()));
    s_.callAt(s_.nowMs() + ms, [this, seq] {
        if (seq != drainSeq_ || pendingOut_ == 0) return;
        pendingOut_ = 0;
        fire(commEvSend);
    });
}

void ScriptedDevice::releaseOutput() {
    holdOutput = false;
    scheduleDrain();
}

}  // namespace k45::test
