#pragma once
// The read/write bench with the program's primary port on its real serial device (QSerialPort)
// and a simulated modem on the far end of a pseudo-terminal. Bytes travel for real; the
// dialogues' timers run in virtual time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/qt_serial_device.h"
#include "programming/rdwr_bench.h"
#include "programming/ui/counting_device.h"
#include "support/pty_pair.h"

namespace k45::test {

class RealDeviceBench : public ReadWriteBench {
protected:
    // Puts the primary port on the device the settings file names for portNumber, opened as
    // the dialogues want it; the bench's own port stays unused until TearDown.
    void OpenRealPort(const std::string& settingsFile, std::int16_t portNumber) {
        device = std::make_unique<QtSerialDevice>(settingsFile);
        counting = std::make_unique<CountingDevice>(*device);
        realPort = std::make_unique<classComm>(ctx.state, ctx.state.locale, sched, dialogs, *tables);
        realPort->InitCommCtrl(counting.get(), 0, portNumber, realTimer.get());
        realPort->ForceCommPortOpen(7, {.baudRate = 9600});
        ASSERT_TRUE(realPort->GetCommPortOpen());
        ctx.ports.classCommPrimary = realPort.get();
    }
    void TearDown() override {
        dlg.Unload();
        ctx.ports.classCommPrimary = port.get();
        realPort.reset();
        counting.reset();
        device.reset();
    }

    // Moves bytes for real and time virtually: one virtual millisecond at a time, and only
    // once what the host wrote has reached the modem and what the modem wrote has reached the
    // host's device. The kernel hands pseudo-terminal bytes over from a worker of its own, which
    // a loaded machine can hold up for a long while: the virtual clock waits for it (up to a
    // generous real-time bound), or a busy machine would see time-outs no modem would cause. A
    // pseudo-terminal whose far end is gone, or a closed port, moves nothing more.
    bool Pump(SimulatedModem& modem, const PtyPair& pty, const std::function<bool()>& done, std::int64_t limitMs) {
        const std::int64_t end = sched.nowMs() + limitMs;
        while (!done()) {
            if (sched.nowMs() >= end) return false;
            const auto realLimit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (true) {
                QCoreApplication::processEvents();
                if (!pty.ok() || !counting->isOpen()) break;
                modemRead += modem.servicePty();
                const bool toModem = counting->written > modemRead;
                // Bytes in the device's own buffer have arrived; the port takes them on its tick.
                const std::size_t arrived = counting->read + static_cast<std::size_t>(std::max(0, counting->inputCount()));
                const bool toHost = modem.sentBytes.size() > arrived;
                if ((!toModem && !toHost) || std::chrono::steady_clock::now() > realLimit) break;
                QEventLoop wait;
                QTimer::singleShot(1, &wait, &QEventLoop::quit);
                wait.exec();
            }
            sched.advance(1);
        }
        return true;
    }

    std::unique_ptr<QtSerialDevice> device;
    std::unique_ptr<CountingDevice> counting;
    std::unique_ptr<Timer> realTimer = sched.createTimer();
    std::unique_ptr<classComm> realPort;
    std::size_t modemRead = 0;  // bytes of the host the modem has taken
};

}  // namespace k45::test
