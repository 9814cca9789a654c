// The terminal link with a partner program in a second process: the initiating role forwards
// typed lines to the partner; the answering role links back on the partner's command and sends
// the partner's values on its port, whatever they hold: a link command comes only by execute.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "wiring/tool_window_ids.h"
#include "support/link_partner/partner_process.h"
#include "tools_window_bench.h"

namespace k45::test {
namespace {

class TerminalLink : public ToolWindowBench {
protected:
    TerminalLink() {
        ctx.state.productionMode = true;
        ctx.state.debugTest = true;
    }
    // The serial line moves in virtual time; the partner in real time.
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            sched.advance(50);
            QApplication::processEvents();
        }
    }
    // The partner offers its topic.
    void PartnerServes() {
        ASSERT_TRUE(partner.started());
        partner.send("serve Quendix EngTerminal");
        ASSERT_EQ(partner.expect("LISTENING"), "LISTENING");
    }
    // The partner connects to the secondary terminal's topic and asks it to link back.
    void PartnerLinksToTheSecondaryTerminal() {
        partner.send("connect K45MR EngTerminalSecondary");
        ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
        partner.send("execute App=Quendix Topic=EngTerminal Item=labelDdeSrc");
    }
    PartnerProcess partner{home.path() + "/links"};
};

TEST_F(TerminalLink, InitiatingTerminalHandsItsLinesToThePartner) {
    ASSERT_NO_FATAL_FAILURE(PartnerServes());
    auto& t = Open<formHexText>(ToolWindow::formTextPrimary);
    ASSERT_TRUE(t.checkDdeEnable->isVisibleTo(&t));
    t.checkDdeEnable->click();
    EXPECT_EQ(partner.expect("ADVISE"), "ADVISE 1 labelDdeSrc");
    EXPECT_EQ(partner.expect("EXECUTE"), "EXECUTE 1 App=K45MR Topic=EngTerminalPrimary Item=labelDdeSrc");
    // The partner links back, as asked.
    partner.send("connect K45MR EngTerminalPrimary");
    ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
    partner.send("advise labelDdeSrc");
    partner.reported("", 200);
    t.textTxData->setText("to the partner");
    t.buttonSend->click();
    EXPECT_EQ(partner.expect("DATA"), "DATA labelDdeSrc to the partner");
    Settle();
    EXPECT_EQ(fromPrimary(), "");
    // The partner going away unlinks the window and clears the switch.
    partner.send("quit");
    ASSERT_TRUE(partner.finished());
    ASSERT_TRUE(RunUntil([&] { return !t.checkDdeEnable->isChecked(); }));
    t.textTxData->setText("plain");
    t.buttonSend->click();
    Settle();
    EXPECT_EQ(fromPrimary(), "plain\r\n");
}

TEST_F(TerminalLink, AnsweringTerminalSendsEveryValueAsALineAndObeysNone) {
    ASSERT_NO_FATAL_FAILURE(PartnerServes());
    auto& t = Open<formHexText>(ToolWindow::formTextSecondary);
    ASSERT_NO_FATAL_FAILURE(PartnerLinksToTheSecondaryTerminal());
    EXPECT_EQ(partner.expect("ADVISE"), "ADVISE 1 labelDdeSrc");
    Settle();
    EXPECT_EQ(fromSecondary(), "");  // the command itself never goes out

    partner.send("set labelDdeSrc first line");
    ASSERT_TRUE(RunUntil([&] { return t.textTxData->text() == "first line"; }));
    Settle();
    EXPECT_EQ(fromSecondary(), "first line\r\n");

    // A value that reads like a link command is a line like any other: sent, not obeyed.
    partner.send("set labelDdeSrc App=Evil Topic=Other Item=labelDdeSrc");
    ASSERT_TRUE(RunUntil([&] { return t.textTxData->text().startsWith("App=Evil"); }));
    Settle();
    EXPECT_EQ(fromSecondary(), "first line\r\nApp=Evil Topic=Other Item=labelDdeSrc\r\n");
    EXPECT_EQ(t.dialogue().ddeApp(), "Quendix");
    // The terminal asked the partner for nothing new.
    EXPECT_TRUE(partner.reported("EXECUTE").empty());
    EXPECT_EQ(partner.reported("ADVISE").size(), 0u);

    partner.send("set labelDdeSrc last line");
    ASSERT_TRUE(RunUntil([&] { return t.textTxData->text() == "last line"; }));
    Settle();
    EXPECT_EQ(fromSecondary(), "first line\r\nApp=Evil Topic=Other Item=labelDdeSrc\r\nlast line\r\n");
}

// Another program of the user connects to the terminal's topic and goes, or sends a malformed
// message: that connection closes, and the link with the partner stays.
void StrangerComesAndGoes(formHexText& t, const std::string& topic, const std::string& folder) {
    PartnerProcess stranger{folder};
    ASSERT_TRUE(stranger.started());
    const int before = t.dialogue().sourceConnections();
    stranger.send("connect K45MR " + topic);
    ASSERT_EQ(stranger.expect("CONNECTED"), "CONNECTED");
    ASSERT_TRUE(RunUntil([&] { return t.dialogue().sourceConnections() == before + 1; }));
    stranger.send("close");
    ASSERT_TRUE(RunUntil([&] { return t.dialogue().sourceConnections() == before; }));
    // A length below the message header: malformed.
    stranger.send("raw K45MR " + topic + " 00000001");
    EXPECT_EQ(stranger.expect("RAWCLOSED"), "RAWCLOSED");
    ASSERT_TRUE(RunUntil([&] { return t.dialogue().sourceConnections() == before; }));
}

TEST_F(TerminalLink, StrangersLeaveTheInitiatingLinkAndItsSwitch) {
    ASSERT_NO_FATAL_FAILURE(PartnerServes());
    auto& t = Open<formHexText>(ToolWindow::formTextPrimary);
    t.checkDdeEnable->click();
    ASSERT_EQ(partner.expect("EXECUTE"), "EXECUTE 1 App=K45MR Topic=EngTerminalPrimary Item=labelDdeSrc");
    partner.send("connect K45MR EngTerminalPrimary");
    ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
    partner.send("advise labelDdeSrc");
    ASSERT_TRUE(RunUntil([&] { return t.dialogue().sourceConnections() == 1; }));

    StrangerComesAndGoes(t, "EngTerminalPrimary", home.path() + "/links");
    EXPECT_TRUE(t.checkDdeEnable->isChecked());
    EXPECT_TRUE(t.dialogue().destinationLinked());
    t.textTxData->setText("still to the partner");
    t.buttonSend->click();
    EXPECT_EQ(partner.expect("DATA"), "DATA labelDdeSrc still to the partner");
    Settle();
    EXPECT_EQ(fromPrimary(), "");

    // The partner's own connection closing ends the link.
    partner.send("close");
    ASSERT_TRUE(RunUntil([&] { return !t.checkDdeEnable->isChecked(); }));
    EXPECT_FALSE(t.dialogue().destinationLinked());
    EXPECT_EQ(partner.expect("CLOSED"), "CLOSED 1");
}

TEST_F(TerminalLink, StrangersLeaveTheAnsweringLink) {
    ASSERT_NO_FATAL_FAILURE(PartnerServes());
    auto& t = Open<formHexText>(ToolWindow::formTextSecondary);
    ASSERT_NO_FATAL_FAILURE(PartnerLinksToTheSecondaryTerminal());
    ASSERT_EQ(partner.expect("ADVISE"), "ADVISE 1 labelDdeSrc");

    StrangerComesAndGoes(t, "EngTerminalSecondary", home.path() + "/links");
    EXPECT_TRUE(t.dialogue().destinationLinked());
    EXPECT_EQ(t.dialogue().ddeApp(), "Quendix");
    partner.send("set labelDdeSrc still linked");
    ASSERT_TRUE(RunUntil([&] { return t.textTxData->text() == "still linked"; }));
    Settle();
    EXPECT_EQ(fromSecondary(), "still linked\r\n");
}

}  // namespace
}  // namespace k45::test
