// A partner program for two-process link tests. It reads commands from standard input, one a
// line, and reports events on standard output, one a line (CR, LF and backslash escaped as
// \r, \n and \\ both ways):
//   serve APP TOPIC        -> LISTENING | FAILED reason; then EXECUTE id text, ADVISE id item,
//                             CLOSED id
//   set ITEM VALUE         sets a served item (advised partners receive it)
//   connect APP TOPIC      -> CONNECTED | FAILED reason; then DATA item value, CLIENTCLOSED
//   advise ITEM, execute TEXT, close     on the client connection
//   raw APP TOPIC HEX      writes the bytes on a connection of its own -> RAWCLOSED when the
//                          other end drops it
//   quit
// Usage: link_partner FOLDER
#include <unistd.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/qt/qt_local_link.h"

namespace {

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Splits off the first word.
std::string Word(std::string& rest) {
    const auto blank = rest.find(' ');
    std::string w = rest.substr(0, blank);
    rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        Say("FAILED usage: link_partner FOLDER");
        return 2;
    }
    k45::QtLocalLinks links(argv[1]);
    std::unique_ptr<k45::LinkServer> server;
    std::unique_ptr<k45::LinkClient> client = links.createClient();
    client->onData = [](const std::string& item, const std::string& value) {
        Say("DATA " + item + " " + Escape(value));
    };
    client->onClosed = [] { Say("CLIENTCLOSED"); };
    std::unique_ptr<QLocalSocket> raw;

    auto run = [&](std::string line) {
        const std::string command = Word(line);
        if (command == "serve") {
            const std::string application = Word(line);
            server = links.createServer(application, line);
            server->onExecute = [](int id, const std::string& text) {
                Say("EXECUTE " + std::to_string(id) + " " + Escape(text));
            };
            server->onAdvise = [](int id, const std::string& item) {
                Say("ADVISE " + std::to_string(id) + " " + item);
            };
            server->onClosed = [](int id) { Say("CLOSED " + std::to_string(id)); };
            std::string error;
            Say(server->listen(&error) ? "LISTENING" : "FAILED " + error);
        } else if (command == "set" && server) {
            const std::string item = Word(line);
            server->setItemValue(item, Unescape(line));
        } else if (command == "connect") {
            const std::string application = Word(line);
            std::string error;
            Say(client->connect(application, line, &error) ? "CONNECTED" : "FAILED " + error);
        } else if (command == "advise") {
            client->advise(line);
        } else if (command == "execute") {
            client->execute(Unescape(line));
        } else if (command == "close") {
            client->close();
        } else if (command == "raw") {
            const std::string application = Word(line);
            const std::string topic = Word(line);
            raw = std::make_unique<QLocalSocket>();
            QObject::connect(raw.get(), &QLocalSocket::disconnected, [] { Say("RAWCLOSED"); });
            raw->connectToServer(QString::fromStdString(k45::LocalLinkSocketPath(links.folder(), application, topic)));
            if (!raw->waitForConnected(1000)) {
                Say("FAILED raw connect");
                return;
            }
            const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(line));
            raw->write(bytes);
            raw->flush();
        } else if (command == "quit") {
            QCoreApplication::quit();
        } else {
            Say("FAILED unknown command " + command);
        }
    };

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        std::string::size_type end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            run(line);
        }
    });
    return app.exec();
}
