// The engineer panel's remote control against the partner program in a second process: the
// link, commands and their replies, a refused command, a malformed message and the link's
// close. The panel's modem dialogue runs in virtual time against the simulated modem.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include "platform/qt/qt_local_link.h"
#include "production/panel_bench.h"
#include "production/ui/eng_test_window.h"
#include "programming/ui/parms_get_current_window.h"

namespace k45::test {
namespace {

// The partner program, driven line by line.
class Partner {
public:
    explicit Partner(const std::string& folder) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(K45_LINK_PARTNER, {QString::fromStdString(folder)});
        started_ = process_.waitForStarted(10000);
    }
    ~Partner() {
        if (process_.state() != QProcess::NotRunning) {
            send("quit");
            if (!process_.waitForFinished(5000)) process_.kill();
        }
    }
    bool started() const { return started_; }
    void send(const std::string& line) {
        process_.write(QByteArray::fromStdString(line + "\n"));
        process_.waitForBytesWritten(5000);
    }
    // Our events run until the partner reports a line starting with prefix ("" when none).
    std::string expect(const std::string& prefix, int ms = 10000) {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            for (std::size_t i = 0; i < lines_.size(); ++i) {
                if (lines_[i].rfind(prefix, 0) == 0) {
                    std::string line = lines_[i];
                    lines_.erase(lines_.begin() + static_cast<long>(i));
                    return line;
                }
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process_.waitForReadyRead(20);
            while (process_.canReadLine()) lines_.push_back(process_.readLine().trimmed().toStdString());
        }
        return {};
    }

private:
    QProcess process_;
    bool started_ = false;
    std::vector<std::string> lines_;
};

struct ActiveFrame : RecordingMainFrame {
    ToolForm* reader = nullptr;
    ToolForm* panel = nullptr;
    ToolForm* ActiveForm() const override { return reader && reader->loaded() ? reader : panel; }
    void ShowForm(ToolForm& f) override {
        if (auto* w = dynamic_cast<QWidget*>(&f)) w->show();
    }
};

class RemoteLink : public PanelBench {
protected:
    RemoteLink() {
        ctx.mainFrame = &frame;
        ctx.formParmsGetCurrent = &readerWindow;
        frame.reader = &readerWindow;
        frame.panel = &win;
    }
    ~RemoteLink() override {
        win.close();
        readerWindow.close();
    }
    void Open() {
        win.show();
        win.Form_Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().parametersTaken(); }, 20000));
        win.Form_Activate();
        sched.advance(100);
    }
    ActiveFrame frame;
    std::string folder = home.path() + "/links";
    QtLocalLinks links{folder};
    formParmsGetCurrent readerWindow{ctx};
    formEngTest win{ctx, &links};
};

TEST_F(RemoteLink, APartnerLinksSendsCommandsAndReadsTheReplies) {
    Open();
    Partner partner(folder);
    ASSERT_TRUE(partner.started());
    partner.send("serve MASTER EngTest");
    ASSERT_EQ(partner.expect("LISTENING"), "LISTENING");
    partner.send("connect K45MR EngTest");
    ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
    partner.send("advise labelDdeSrc");
    partner.send("execute App=MASTER Topic=EngTest Item=labelDdeDst Freq=450.125");
    EXPECT_EQ(partner.expect("ADVISE").substr(0, 7), "ADVISE ");
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Freq");
    EXPECT_EQ(win.labelTest->text(), "App=MASTER Topic=EngTest Item=labelDdeDst");
    EXPECT_EQ(win.textTxFreq->text(), "450.125000");
    sched.advance(600);  // the tune record goes once the open exchange is over
    EXPECT_EQ(win.dialogue().tuneRecord().rxFrequency, 450125000);

    partner.send("execute Adjust5=200");
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Adjust");
    EXPECT_EQ(win.dialogue().tuneRecord().rssiCalAdj, -56);

    // Refused: nothing stored, nothing sent, no reply; the next command's reply comes next.
    const std::size_t writes = hostWrites().size();
    partner.send("execute Adjust5=2x0");
    partner.send("execute Freq=1200");
    partner.send("set labelDdeDst TXOFF");  // a new value of the partner's item is a command too
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Rx");
    EXPECT_EQ(win.dialogue().tuneRecord().rssiCalAdj, -56);
    EXPECT_LE(hostWrites().size(), writes + 1);  // at most the receive record of TXOFF

    // A malformed message closes only that connection and reaches nothing.
    partner.send("raw K45MR EngTest 00000001FF");
    EXPECT_EQ(partner.expect("RAWCLOSED"), "RAWCLOSED");
    EXPECT_EQ(win.dialogue().tuneRecord().rssiCalAdj, -56);
    EXPECT_TRUE(win.remote().linked());

    partner.send("close");
    QDeadlineTimer deadline(10000);
    while (win.labelTest->text() != "Link Closed!!!" && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(win.labelTest->text(), "Link Closed!!!");
    EXPECT_TRUE(win.remote().peerApp().empty());
    EXPECT_FALSE(win.remote().linked());
}

}  // namespace
}  // namespace k45::test
