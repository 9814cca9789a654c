#pragma once
// The link partner program (link_partner) in a second process, driven line by line: the
// commands and reports are those of tests/support/link_partner/link_partner.cpp.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <functional>
#include <string>
#include <vector>

namespace k45::test {

class PartnerProcess {
public:
    explicit PartnerProcess(const std::string& folder) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(K45_LINK_PARTNER, {QString::fromStdString(folder)});
        started_ = process_.waitForStarted(10000);
    }
    ~PartnerProcess() {
        if (process_.state() != QProcess::NotRunning) {
            send("quit");
            if (!process_.waitForFinished(5000)) process_.kill();
        }
    }
    bool started() const { return started_; }
    long processId() const { return static_cast<long>(process_.processId()); }
    void send(const std::string& line) {
        process_.write(QByteArray::fromStdString(line + "\n"));
        process_.waitForBytesWritten(5000);
    }
    // Runs our event loop until the partner reports a line starting with prefix; returns it,
    // or "" when none came in time (the partner is a real process, so this waits on its I/O).
    std::string expect(const std::string& prefix) {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            for (std::size_t i = 0; i < lines_.size(); ++i) {
                if (lines_[i].rfind(prefix, 0) == 0) {
                    std::string line = lines_[i];
                    lines_.erase(lines_.begin() + static_cast<long>(i));
                    return line;
                }
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            // Lines may have been buffered while our events ran; take them whether or not
            // more arrive now.
            process_.waitForReadyRead(20);
            while (process_.canReadLine()) lines_.push_back(process_.readLine().trimmed().toStdString());
        }
        return {};
    }
    // Every report so far that starts with prefix (events run first for a short while).
    std::vector<std::string> reported(const std::string& prefix, int settleMs = 300) {
        QDeadlineTimer deadline(settleMs);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process_.waitForReadyRead(10);
            while (process_.canReadLine()) lines_.push_back(process_.readLine().trimmed().toStdString());
        }
        std::vector<std::string> out;
        for (const auto& l : lines_)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
    bool finished() { return process_.waitForFinished(10000); }

private:
    QProcess process_;
    bool started_ = false;
    std::vector<std::string> lines_;
};

// Runs the event loop until the condition holds (events of a second process).
inline bool RunUntil(const std::function<bool()>& done, int limitMs = 10000) {
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

}  // namespace k45::test
