#pragma once
// The read/write bench with the program's primary port on its real serial device (QSerialPort)
// and a simulated modem on the far end of a pseudo-terminal. Bytes travel for real; the
// dialogues' timers run in virtual time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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
        ctx.state.classCommPrimary = realPort.get();
    }
    void TearDown() override {
        dlg.Unload();
        ctx.state.classCommPrimary = port.get();
        realPort.reset();
        counting.reset();
        device.reset();
    }

    // Moves bytes for real and time virtually: one virtual millisecond at a time, and only
    // once what the host wrote has reached the modem and what the modem wrote has reached the
    // host's device (or waits for the port's tick). A pseudo-terminal whose far end is gone
    // moves nothing more.
    bool Pump(SimulatedModem& modem, const PtyPair& pty, const std::function<bool()>& done, std::int64_t limitMs) {
        const std::int64_t end = sched.nowMs() + limitMs;
        while (!done()) {
            if (sched.nowMs() >= end) return false;
            for (int spin = 0; spin < 50; ++spin) {
                QCoreApplication::processEvents();
                if (!pty.ok()) break;
                modemRead += modem.servicePty();
                const bool toModem = counting->written > modemRead;
                const bool toHost = modem.sentBytes.size() > counting->read;
                if (!toModem && !toHost) break;
                // Something is on its way: give the line a moment (returns at the next event).
                QEventLoop wait;
                QTimer::singleShot(1, &wait, &QEventLoop::quit);
                wait.exec();
                if (!toModem) break;  // the rest may wait in the device for the port's tick
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
