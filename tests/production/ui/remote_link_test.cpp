// The engineer panel's remote control against the partner program in a second process: the
// link, commands and their replies, a refused command, a malformed message and the link's
// close. The panel's modem dialogue runs in virtual time against the simulated modem.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "platform/qt/qt_local_link.h"
#include "production/panel_bench.h"
#include "production/ui/panel_main_frame.h"
#include "production/ui/eng_test_window.h"
#include "programming/ui/parms_get_current_window.h"
#include "support/link_partner/partner_process.h"

namespace k45::test {
namespace {

class RemoteLink : public PanelBench {
protected:
    RemoteLink() {
        ctx.mainFrame = &frame;
        ctx.state.localLinks = &links;
        ctx.formParmsGetCurrent = &readerWindow;
        frame.readerForm = &readerWindow;
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
    PanelMainFrame frame;
    std::string folder = home.path() + "/links";
    QtLocalLinks links{folder};
    formParmsGetCurrent readerWindow{ctx};
    formEngTest win{ctx};
};

TEST_F(RemoteLink, APartnerLinksSendsCommandsAndReadsTheReplies) {
    Open();
    PartnerProcess partner(folder);
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

    // A number that does not parse reads as 0: the command is carried out and answered.
    sched.advance(600);  // the open exchanges end; the next poll is not yet due
    partner.send("execute Adjust5=2x0");
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Adjust");
    EXPECT_EQ(win.dialogue().tuneRecord().rssiCalAdj, 0);
    partner.send("execute Adjust5=7 Freq=450.5");
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Freq");
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Adjust");
    EXPECT_EQ(win.textTxFreq->text(), "450.500000");
    EXPECT_EQ(win.dialogue().tuneRecord().rssiCalAdj, 7);
    // A new value of the partner's item is a command too, answered as any other.
    partner.send("set labelDdeDst TXOFF");
    EXPECT_EQ(partner.expect("DATA labelDdeSrc OK"), "DATA labelDdeSrc OK Rx");

    // A malformed message closes only that connection and reaches nothing.
    partner.send("raw K45MR EngTest 00000001FF");
    EXPECT_EQ(partner.expect("RAWCLOSED"), "RAWCLOSED");
    EXPECT_EQ(win.dialogue().tuneRecord().rssiCalAdj, 7);
    EXPECT_TRUE(win.remote().linked());

    partner.send("close");
    RunUntil([&] { return win.labelTest->text() == "Link Closed!!!"; });
    EXPECT_EQ(win.labelTest->text(), "Link Closed!!!");
    EXPECT_TRUE(win.remote().peerApp().empty());
    EXPECT_FALSE(win.remote().linked());
}

}  // namespace
}  // namespace k45::test
