// Links between programs: the message format, the socket folder and names, and both ends
// against the partner program in a second process.
#include "platform/local_link.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <cstdio>
#include <filesystem>

#include "support/link_partner/partner_process.h"
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_local_link.h"
#include "support/temp_home.h"

namespace k45 {
namespace {

using test::PartnerProcess;
using test::RunUntil;

TEST(LinkMessageTest, RoundTripsEveryKindWhateverTheChunking) {
    const std::vector<LinkMessage> sent = {
        {LinkMessageKind::execute, "", "App=K45MR Topic=EngTerminalPrimary Item=labelDdeSrc"},
        {LinkMessageKind::advise, "labelDdeSrc", ""},
        {LinkMessageKind::data, "labelDdeSrc", std::string("a\0b\r\n", 5)},
        {LinkMessageKind::data, "labelDdeSrc", ""},
    };
    std::string wire;
    for (const auto& m : sent) wire += EncodeLinkMessage(m);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, wire.size()}) {
        LinkMessageDecoder decoder;
        std::vector<LinkMessage> got;
        for (std::size_t at = 0; at < wire.size(); at += chunk)
            for (auto& m : decoder.feed(wire.substr(at, chunk))) got.push_back(m);
        ASSERT_EQ(got.size(), sent.size()) << "chunk " << chunk;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(got[i].kind, sent[i].kind);
            EXPECT_EQ(got[i].item, sent[i].item);
            EXPECT_EQ(got[i].text, sent[i].text);
        }
        EXPECT_FALSE(decoder.failed());
    }
}

TEST(LinkMessageTest, MalformedMessagesFailTheStreamForGood) {
    const std::string good = EncodeLinkMessage({LinkMessageKind::execute, "", "X"});
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"length below the header", std::string("\0\0\0\2\1\0", 6)},
        {"length above the limit", std::string("\0\x10\0\1", 4)},
        {"kind 0", std::string("\0\0\0\3\0\0\0", 7)},
        {"kind 4", std::string("\0\0\0\3\4\0\0", 7)},
        {"item longer than the message", std::string("\0\0\0\4\2\0\5x", 8)},
    };
    for (const auto& c : cases) {
        LinkMessageDecoder decoder;
        decoder.feed(c.bytes);
        EXPECT_TRUE(decoder.failed()) << c.what;
        EXPECT_TRUE(decoder.feed(good).empty()) << c.what;
    }
}

TEST(LocalLinkFolderTest, MadeForTheUserOnlyAndRefusedOtherwise) {
    test::TempHome home;
    const std::string folder = home.path() + "/links";
    std::string error;
    ASSERT_TRUE(PrepareLocalLinkFolder(folder, &error)) << error;
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = home.path() + "/open";
    std::filesystem::create_directory(open);
    chmod(open.c_str(), 0755);
    EXPECT_FALSE(PrepareLocalLinkFolder(open, &error));
    EXPECT_NE(error.find("other users"), std::string::npos) << error;

    const std::string link = home.path() + "/link";
    std::filesystem::create_directory_symlink(folder, link);
    EXPECT_FALSE(PrepareLocalLinkFolder(link, &error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
}

TEST(LocalLinkFolderTest, SocketNamesIgnoreCaseAndEscapeOddCharacters) {
    EXPECT_EQ(LocalLinkSocketPath("/r", "K45MR", "EngTerminalPrimary"), "/r/k45mr.engterminalprimary");
    EXPECT_EQ(LocalLinkSocketPath("/r", "quendix", "ENGTERMINAL"),
              LocalLinkSocketPath("/r", "Quendix", "EngTerminal"));
    EXPECT_EQ(LocalLinkSocketPath("/r", "a/b", "x y_z"), "/r/a_2fb.x_20y_5fz");
}


class LocalLinkProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_platform";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }
    void SetUp() override {
        folder = home.path() + "/links";
        links = std::make_unique<QtLocalLinks>(folder);
    }

    test::TempHome home;
    std::string folder;
    std::unique_ptr<QtLocalLinks> links;
};

TEST_F(LocalLinkProcessTest, ClientAdvisesExecutesAndSeesThePartnerClose) {
    PartnerProcess partner(folder);
    ASSERT_TRUE(partner.started());
    partner.send("serve Quendix EngTerminal");
    ASSERT_EQ(partner.expect("LISTENING"), "LISTENING");

    auto client = links->createClient();
    std::vector<std::string> data;
    int closed = 0;
    client->onData = [&](const std::string& item, const std::string& value) { data.push_back(item + "=" + value); };
    client->onClosed = [&] { ++closed; };
    std::string error;
    ASSERT_TRUE(client->connect("QUENDIX", "engterminal", &error)) << error;
    ASSERT_TRUE(client->advise("labelDdeSrc"));
    EXPECT_EQ(partner.expect("ADVISE"), "ADVISE 1 labelDdeSrc");
    ASSERT_TRUE(client->execute("App=K45MR Topic=EngTerminalPrimary Item=labelDdeSrc"));
    EXPECT_EQ(partner.expect("EXECUTE"), "EXECUTE 1 App=K45MR Topic=EngTerminalPrimary Item=labelDdeSrc");

    partner.send("set labelDdeSrc hello\\r\\nworld");
    partner.send("set otherItem not advised");
    partner.send("set labelDdeSrc ");
    ASSERT_TRUE(RunUntil([&] { return data.size() >= 2; }));
    EXPECT_EQ(data, (std::vector<std::string>{"labelDdeSrc=hello\r\nworld", "labelDdeSrc="}));

    partner.send("quit");
    ASSERT_TRUE(partner.finished());
    ASSERT_TRUE(RunUntil([&] { return closed == 1; }));
    EXPECT_FALSE(client->connected());
    EXPECT_FALSE(client->execute("late"));
}

TEST_F(LocalLinkProcessTest, ServerPublishesToAdvisedPartnersAndHearsTheirCommandsAndCloses) {
    auto server = links->createServer("K45MR", "EngTerminalPrimary");
    std::vector<std::string> commands;
    std::vector<int> closedIds;
    server->onExecute = [&](int id, const std::string& command) { commands.push_back(std::to_string(id) + ":" + command); };
    server->onClosed = [&](int id) { closedIds.push_back(id); };
    std::string error;
    ASSERT_TRUE(server->listen(&error)) << error;
    server->setItemValue("labelDdeSrc", "before");

    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    PartnerProcess partner(folder);
    ASSERT_TRUE(partner.started());
    partner.send("connect K45MR EngTerminalPrimary");
    ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
    partner.send("advise labelDdeSrc");
    // The value set before the partner asked arrives first.
    EXPECT_EQ(partner.expect("DATA"), "DATA labelDdeSrc before");
    server->setItemValue("labelDdeSrc", "line one");
    server->setItemValue("unadvised", "x");
    EXPECT_EQ(partner.expect("DATA"), "DATA labelDdeSrc line one");

    partner.send("execute App=Quendix Topic=EngTerminal Item=labelDdeSrc");
    ASSERT_TRUE(RunUntil([&] { return !commands.empty(); }));
    EXPECT_EQ(commands[0], "1:App=Quendix Topic=EngTerminal Item=labelDdeSrc");
    EXPECT_EQ(server->connectionCount(), 1);

    partner.send("close");
    ASSERT_TRUE(RunUntil([&] { return !closedIds.empty(); }));
    EXPECT_EQ(closedIds, std::vector<int>{1});
    EXPECT_EQ(server->connectionCount(), 0);
}

TEST_F(LocalLinkProcessTest, BothEndsNameTheProgramAtTheOtherEnd) {
    auto server = links->createServer("K45MR", "EngTerminalPrimary");
    std::vector<std::pair<int, long>> closedPeers;
    server->onClosed = [&](int id) { closedPeers.emplace_back(id, server->peerProcess(id)); };
    std::string error;
    ASSERT_TRUE(server->listen(&error)) << error;

    PartnerProcess partner(folder), stranger(folder);
    ASSERT_TRUE(partner.started());
    ASSERT_TRUE(stranger.started());
    ASSERT_NE(partner.processId(), stranger.processId());
    partner.send("connect K45MR EngTerminalPrimary");
    ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
    ASSERT_TRUE(RunUntil([&] { return server->connectionCount() == 1; }));
    stranger.send("connect K45MR EngTerminalPrimary");
    ASSERT_EQ(stranger.expect("CONNECTED"), "CONNECTED");
    ASSERT_TRUE(RunUntil([&] { return server->connectionCount() == 2; }));
    EXPECT_EQ(server->peerProcess(1), partner.processId());
    EXPECT_EQ(server->peerProcess(2), stranger.processId());
    EXPECT_EQ(server->peerProcess(3), 0);

    // Asked inside its close handler, a closing connection still names its program.
    stranger.send("close");
    ASSERT_TRUE(RunUntil([&] { return !closedPeers.empty(); }));
    EXPECT_EQ(closedPeers, (std::vector<std::pair<int, long>>{{2, stranger.processId()}}));
    EXPECT_EQ(server->peerProcess(2), 0);
    EXPECT_EQ(server->peerProcess(1), partner.processId());

    partner.send("serve Quendix EngTerminal");
    ASSERT_EQ(partner.expect("LISTENING"), "LISTENING");
    auto client = links->createClient();
    EXPECT_EQ(client->peerProcess(), 0);
    ASSERT_TRUE(client->connect("Quendix", "EngTerminal", &error)) << error;
    EXPECT_EQ(client->peerProcess(), partner.processId());
    client->close();
    EXPECT_EQ(client->peerProcess(), 0);
}

TEST_F(LocalLinkProcessTest, AMalformedMessageClosesOnlyThatLink) {
    auto server = links->createServer("K45MR", "EngTest");
    std::vector<std::string> commands;
    std::vector<int> closedIds;
    server->onExecute = [&](int, const std::string& command) { commands.push_back(command); };
    server->onClosed = [&](int id) { closedIds.push_back(id); };
    std::string error;
    ASSERT_TRUE(server->listen(&error)) << error;

    PartnerProcess partner(folder);
    ASSERT_TRUE(partner.started());
    partner.send("connect K45MR EngTest");
    ASSERT_EQ(partner.expect("CONNECTED"), "CONNECTED");
    ASSERT_TRUE(RunUntil([&] { return server->connectionCount() == 1; }));
    // A whole message, then one of unknown kind 9 on a second connection.
    partner.send("raw K45MR EngTest 0000000401000041" "0000000309" "0000");
    EXPECT_EQ(partner.expect("RAWCLOSED"), "RAWCLOSED");
    ASSERT_TRUE(RunUntil([&] { return closedIds.size() == 1; }));
    EXPECT_EQ(commands, std::vector<std::string>{"A"});
    EXPECT_EQ(closedIds, std::vector<int>{2});

    partner.send("execute still here");
    ASSERT_TRUE(RunUntil([&] { return commands.size() == 2; }));
    EXPECT_EQ(commands[1], "still here");
    EXPECT_EQ(server->connectionCount(), 1);
}

TEST_F(LocalLinkProcessTest, NoPartnerATopicInUseAndALeftoverSocket) {
    auto client = links->createClient();
    std::string error;
    EXPECT_FALSE(client->connect("Quendix", "EngTerminal", &error));
    EXPECT_NE(error.find("Quendix|EngTerminal"), std::string::npos) << error;
    EXPECT_FALSE(client->connected());

    PartnerProcess partner(folder);
    ASSERT_TRUE(partner.started());
    partner.send("serve K45MR EngTerminalSecondary");
    ASSERT_EQ(partner.expect("LISTENING"), "LISTENING");
    auto second = links->createServer("K45MR", "EngTerminalSecondary");
    EXPECT_FALSE(second->listen(&error));
    EXPECT_NE(error.find("already offered"), std::string::npos) << error;

    // A socket file nobody answers on (left by a program that died) is taken over.
    const std::string path = LocalLinkSocketPath(folder, "K45MR", "Stale");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
    auto taker = links->createServer("K45MR", "Stale");
    EXPECT_TRUE(taker->listen(&error)) << error;
}

}  // namespace
}  // namespace k45
