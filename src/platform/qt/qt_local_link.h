#pragma once
// Links between programs over QLocalServer / QLocalSocket: one socket per application and
// topic in a folder only the user can read; connections from other users are refused; a
// malformed message closes that connection.
#include <QObject>
#include <map>
#include <memory>
#include <string>

#include "platform/local_link.h"

class QLocalServer;
class QLocalSocket;

namespace k45 {

class QtLocalLinks : public LocalLinks {
public:
    // An empty folder means DefaultLocalLinkFolder().
    explicit QtLocalLinks(std::string folder = {});
    std::unique_ptr<LinkServer> createServer(const std::string& application,
                                             const std::string& topic) override;
    std::unique_ptr<LinkClient> createClient() override;
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
};

class QtLinkServer : public QObject, public LinkServer {
public:
    QtLinkServer(std::string socketPath, std::string folder);
    ~QtLinkServer() override;
    bool listen(std::string* error) override;
    bool listening() const override;
    void setItemValue(const std::string& item, const std::string& value) override;
    int connectionCount() const override { return static_cast<int>(connections_.size()); }
    long peerProcess(int connectionId) const override;
    void stop() override;

private:
    struct Connection {
        QLocalSocket* socket = nullptr;
        LinkMessageDecoder decoder;
        std::vector<std::string> advised;
        long peer = 0;
    };
    void accept();
    void readFrom(int id);
    void drop(int id, bool notify);

    std::string path_;
    std::string folder_;
    QLocalServer* server_ = nullptr;
    std::map<int, Connection> connections_;
    std::map<std::string, std::string> items_;
    int nextId_ = 1;
    // The connection whose close handler is running, and its peer.
    int closingId_ = 0;
    long closingPeer_ = 0;
};

class QtLinkClient : public QObject, public LinkClient {
public:
    explicit QtLinkClient(std::string folder);
    ~QtLinkClient() override;
    bool connect(const std::string& application, const std::string& topic, std::string* error) override;
    bool connected() const override;
    bool execute(const std::string& command) override;
    bool advise(const std::string& item) override;
    long peerProcess() const override { return connected() ? peer_ : 0; }
    void close() override;

private:
    bool send(const LinkMessage& message);
    void readAll();
    void lost();

    std::string folder_;
    QLocalSocket* socket_ = nullptr;
    LinkMessageDecoder decoder_;
    long peer_ = 0;
};

}  // namespace k45
