#include "platform/qt/qt_local_link.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <algorithm>
#include <optional>

#include "platform/qt/qt_text.h"

namespace k45 {

namespace {

QString ToQ(const std::string& s) { return QText(s); }

// The credentials of the program at the other end, when the socket can tell.
std::optional<ucred> PeerCredentials(const QLocalSocket* socket) {
    const auto fd = socket->socketDescriptor();
    if (fd < 0) return std::nullopt;
    struct ucred cred {};
    socklen_t length = sizeof(cred);
    if (getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return std::nullopt;
    return cred;
}

// Only a peer running as this user may talk to us.
bool PeerIsSameUser(const QLocalSocket* socket) {
    const auto cred = PeerCredentials(socket);
    return cred && cred->uid == getuid();
}

long PeerProcess(const QLocalSocket* socket) {
    const auto cred = PeerCredentials(socket);
    return cred ? static_cast<long>(cred->pid) : 0;
}

void Write(QLocalSocket* socket, const LinkMessage& message) {
    const std::string bytes = EncodeLinkMessage(message);
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->flush();
}

}  // namespace

QtLocalLinks::QtLocalLinks(std::string folder)
    : folder_(folder.empty() ? DefaultLocalLinkFolder() : std::move(folder)) {}

std::unique_ptr<LinkServer> QtLocalLinks::createServer(const std::string& application,
                                                       const std::string& topic) {
    return std::make_unique<QtLinkServer>(LocalLinkSocketPath(folder_, application, topic), folder_);
}

std::unique_ptr<LinkClient> QtLocalLinks::createClient() { return std::make_unique<QtLinkClient>(folder_); }

// ---- server ----

QtLinkServer::QtLinkServer(std::string socketPath, std::string folder)
    : path_(std::move(socketPath)), folder_(std::move(folder)) {}

QtLinkServer::~QtLinkServer() { stop(); }

bool QtLinkServer::listening() const { return server_ && server_->isListening(); }

bool QtLinkServer::listen(std::string* error) {
    if (listening()) return true;
    if (!PrepareLocalLinkFolder(folder_, error)) return false;
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(server_, &QLocalServer::newConnection, this, [this] { accept(); });
    }
    // Qt would take the name over silently: a topic that a running program answers on is
    // refused, a socket file left by a program that ended without closing it is taken over.
    if (QFileInfo::exists(ToQ(path_))) {
        QLocalSocket probe;
        probe.connectToServer(ToQ(path_));
        if (probe.waitForConnected(500)) {
            probe.abort();
            if (error) *error = "Link " + path_ + " is already offered by a running program";
            return false;
        }
        QLocalServer::removeServer(ToQ(path_));
    }
    if (server_->listen(ToQ(path_))) return true;
    if (error) *error = "Link " + path_ + ": " + server_->errorString().toStdString();
    return false;
}

void QtLinkServer::stop() {
    for (auto& [id, c] : connections_) {
        QObject::disconnect(c.socket, nullptr, this, nullptr);
        c.socket->abort();
        c.socket->deleteLater();
    }
    connections_.clear();
    if (server_) server_->close();
}

void QtLinkServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!PeerIsSameUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int id = nextId_++;
        connections_[id].socket = socket;
        connections_[id].peer = PeerProcess(socket);
        QObject::connect(socket, &QLocalSocket::readyRead, this, [this, id] { readFrom(id); });
        QObject::connect(socket, &QLocalSocket::disconnected, this, [this, id] { drop(id, true); });
        if (socket->bytesAvailable() > 0) readFrom(id);
    }
}

void QtLinkServer::readFrom(int id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    const QByteArray bytes = it->second.socket->readAll();
    const auto messages = it->second.decoder.feed(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    const bool malformed = it->second.decoder.failed();
    QPointer<QObject> alive(this);
    for (const auto& m : messages) {
        it = connections_.find(id);
        if (it == connections_.end()) return;
        if (m.kind == LinkMessageKind::execute) {
            if (onExecute) onExecute(id, m.text);
        } else if (m.kind == LinkMessageKind::advise) {
            auto& advised = it->second.advised;
            if (std::find(advised.begin(), advised.end(), m.item) == advised.end()) advised.push_back(m.item);
            const auto value = items_.find(m.item);
            if (value != items_.end()) Write(it->second.socket, {LinkMessageKind::data, m.item, value->second});
            if (onAdvise) onAdvise(id, m.item);
        } else {
            // Data flows from the server only.
            drop(id, true);
            return;
        }
        if (!alive) return;
    }
    if (malformed) drop(id, true);
}

void QtLinkServer::drop(int id, bool notify) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    QLocalSocket* socket = it->second.socket;
    const long peer = it->second.peer;
    connections_.erase(it);
    QObject::disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
    if (!notify || !onClosed) return;
    const int outerId = closingId_;  // a close handler may end another connection
    const long outerPeer = closingPeer_;
    closingId_ = id;
    closingPeer_ = peer;
    QPointer<QObject> alive(this);
    onClosed(id);
    if (!alive) return;
    closingId_ = outerId;
    closingPeer_ = outerPeer;
}

long QtLinkServer::peerProcess(int connectionId) const {
    if (connectionId != 0 && connectionId == closingId_) return closingPeer_;
    const auto it = connections_.find(connectionId);
    return it == connections_.end() ? 0 : it->second.peer;
}

void QtLinkServer::setItemValue(const std::string& item, const std::string& value) {
    items_[item] = value;
    for (auto& [id, c] : connections_)
        if (std::find(c.advised.begin(), c.advised.end(), item) != c.advised.end())
            Write(c.socket, {LinkMessageKind::data, item, value});
}

// ---- client ----

QtLinkClient::QtLinkClient(std::string folder) : folder_(std::move(folder)) {}

QtLinkClient::~QtLinkClient() { close(); }

bool QtLinkClient::connected() const {
    return socket_ && socket_->state() == QLocalSocket::ConnectedState;
}

bool QtLinkClient::connect(const std::string& application, const std::string& topic, std::string* error) {
    close();
    if (!PrepareLocalLinkFolder(folder_, error)) return false;
    const std::string path = LocalLinkSocketPath(folder_, application, topic);
    socket_ = new QLocalSocket(this);
    socket_->connectToServer(ToQ(path));
    if (!socket_->waitForConnected(1000)) {
        if (error) *error = "No program offers the link " + application + "|" + topic;
        socket_->abort();
        socket_->deleteLater();
        socket_ = nullptr;
        return false;
    }
    decoder_ = LinkMessageDecoder();
    peer_ = PeerProcess(socket_);
    QObject::connect(socket_, &QLocalSocket::readyRead, this, [this] { readAll(); });
    QObject::connect(socket_, &QLocalSocket::disconnected, this, [this] { lost(); });
    return true;
}

bool QtLinkClient::send(const LinkMessage& message) {
    if (!connected()) return false;
    Write(socket_, message);
    return true;
}

bool QtLinkClient::execute(const std::string& command) {
    return send({LinkMessageKind::execute, {}, command});
}

bool QtLinkClient::advise(const std::string& item) { return send({LinkMessageKind::advise, item, {}}); }

void QtLinkClient::close() {
    if (!socket_) return;
    QObject::disconnect(socket_, nullptr, this, nullptr);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
}

void QtLinkClient::readAll() {
    if (!socket_) return;
    const QByteArray bytes = socket_->readAll();
    const auto messages = decoder_.feed(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    const bool malformed = decoder_.failed();
    QPointer<QObject> alive(this);
    QLocalSocket* socket = socket_;
    for (const auto& m : messages) {
        if (m.kind != LinkMessageKind::data) {
            lost();
            return;
        }
        if (onData) onData(m.item, m.text);
        if (!alive || socket_ != socket) return;
    }
    if (malformed) lost();
}

void QtLinkClient::lost() {
    close();
    if (onClosed) onClosed();
}

}  // namespace k45
