#pragma once
// Links between programs on one machine: a program offers a topic under its application name
// (a server), a partner connects to an application and topic (a client), sends commands to
// execute, asks to be advised of an item's changes, and receives the item's new values as
// data. A closed connection is the link's close. The Qt implementation (platform/qt) keeps
// one local socket per application and topic in a folder only the user can read; the
// connections are watched by the event loop, no threads. Plain C++ here: the message format
// and the socket names are shared by both ends and tested without a display.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace k45 {

enum class LinkMessageKind : std::uint8_t {
    execute = 1,  // client to server: a command text
    advise = 2,   // client to server: send me every new value of this item
    data = 3,     // server to client: an item's new value
};

struct LinkMessage {
    LinkMessageKind kind = LinkMessageKind::execute;
    std::string item;  // empty for execute
    std::string text;  // the command, or the item's value
};

// Largest message either end accepts; anything longer is malformed.
inline constexpr std::uint32_t kMaxLinkMessageBytes = 1u << 20;

// Wire form: 4-byte big-endian length of the rest, the kind byte, a 2-byte big-endian item
// length, the item, the text.
std::string EncodeLinkMessage(const LinkMessage& message);

// Takes a byte stream apart into messages. A malformed message (bad length, unknown kind,
// item longer than the message) puts the decoder into its failed state for good: the
// connection it reads must be closed.
class LinkMessageDecoder {
public:
    // Adds received bytes; returns the messages they complete.
    std::vector<LinkMessage> feed(const std::string& bytes);
    bool failed() const { return failed_; }

private:
    std::string pending_;
    bool failed_ = false;
};

// The folder for the sockets: $XDG_RUNTIME_DIR/k45mr-links when that variable names a
// folder, else <temp>/k45mr-links-<uid>.
std::string DefaultLocalLinkFolder();
// Makes the folder (mode 0700) when missing; refuses one that is a symbolic link, is owned by
// another user or can be read by others. False with the reason.
[[nodiscard]] bool PrepareLocalLinkFolder(const std::string& folder, std::string* error);
// The socket's path for an application and topic. Names compare without regard to case, as
// the partners expect; characters other than letters, digits, '-' and '_' are escaped.
std::string LocalLinkSocketPath(const std::string& folder, const std::string& application,
                                const std::string& topic);

// One topic offered by this program.
class LinkServer {
public:
    virtual ~LinkServer() = default;
    // Starts accepting partners. False with the reason (folder refused, topic already offered
    // by a running program).
    [[nodiscard]] virtual bool listen(std::string* error) = 0;
    virtual bool listening() const = 0;
    // Sets an item's value and sends it to every partner advised of that item. A partner that
    // asks to be advised later first receives the value last set.
    virtual void setItemValue(const std::string& item, const std::string& value) = 0;
    virtual int connectionCount() const = 0;
    // The process id of the program on a connection, so that a link can tell its partner's
    // connections from a stranger's; 0 when unknown (a link layer that cannot tell). Still
    // answered inside onClosed for the connection that closes.
    virtual long peerProcess(int connectionId) const {
        (void)connectionId;
        return 0;
    }
    // Stops accepting and closes every connection (no close handler runs for them).
    virtual void stop() = 0;

    // A partner's command; the id names the connection.
    std::function<void(int connectionId, const std::string& command)> onExecute;
    // A partner asked to be advised of an item.
    std::function<void(int connectionId, const std::string& item)> onAdvise;
    // A partner's connection closed (by the partner, or for a malformed message).
    std::function<void(int connectionId)> onClosed;
};

// This program's side of a link to a partner's topic.
class LinkClient {
public:
    virtual ~LinkClient() = default;
    // Connects to the partner's application and topic; false with the reason when nobody
    // offers it. Any earlier connection of this client is closed first.
    [[nodiscard]] virtual bool connect(const std::string& application, const std::string& topic,
                                       std::string* error) = 0;
    virtual bool connected() const = 0;
    // Both false when not connected.
    virtual bool execute(const std::string& command) = 0;
    virtual bool advise(const std::string& item) = 0;
    // The process id of the program offering the topic (0 when not connected or unknown).
    virtual long peerProcess() const { return 0; }
    // Closes the connection; no close handler runs.
    virtual void close() = 0;

    // A value of an advised item arrived.
    std::function<void(const std::string& item, const std::string& value)> onData;
    // The partner closed the connection, or sent a malformed message.
    std::function<void()> onClosed;
};

// Makes servers and clients. The program has one; tests make their own with a folder of their
// own.
class LocalLinks {
public:
    virtual ~LocalLinks() = default;
    virtual std::unique_ptr<LinkServer> createServer(const std::string& application,
                                                     const std::string& topic) = 0;
    virtual std::unique_ptr<LinkClient> createClient() = 0;
};

}  // namespace k45
