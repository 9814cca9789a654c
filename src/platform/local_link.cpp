#include "platform/local_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace k45 {

std::string EncodeLinkMessage(const LinkMessage& message) {
    const std::size_t item = message.item.size() > 0xFFFF ? 0xFFFF : message.item.size();
    const std::uint32_t rest = static_cast<std::uint32_t>(1 + 2 + item + message.text.size());
    std::string out;
    out.reserve(4 + rest);
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((rest >> shift) & 0xFF);
    out += static_cast<char>(message.kind);
    out += static_cast<char>((item >> 8) & 0xFF);
    out += static_cast<char>(item & 0xFF);
    out.append(message.item, 0, item);
    out += message.text;
    return out;
}

std::vector<LinkMessage> LinkMessageDecoder::feed(const std::string& bytes) {
    std::vector<LinkMessage> out;
    if (failed_) return out;
    pending_ += bytes;
    std::size_t at = 0;
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(pending_[i])); };
    while (pending_.size() - at >= 4) {
        const std::uint32_t rest = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        if (rest < 3 || rest > kMaxLinkMessageBytes) {
            failed_ = true;
            break;
        }
        if (pending_.size() - at - 4 < rest) break;
        const std::size_t body = at + 4;
        const std::uint8_t kind = static_cast<std::uint8_t>(byte(body));
        const std::size_t itemLength = byte(body + 1) << 8 | byte(body + 2);
        if (kind < 1 || kind > 3 || itemLength > rest - 3) {
            failed_ = true;
            break;
        }
        LinkMessage m;
        m.kind = static_cast<LinkMessageKind>(kind);
        m.item = pending_.substr(body + 3, itemLength);
        m.text = pending_.substr(body + 3 + itemLength, rest - 3 - itemLength);
        out.push_back(std::move(m));
        at = body + rest;
    }
    if (failed_) {
        pending_.clear();
        return out;
    }
    pending_.erase(0, at);
    return out;
}

std::string DefaultLocalLinkFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, ec))
        return std::string(runtime) + "/k45mr-links";
    return (std::filesystem::temp_directory_path(ec).string().empty()
                ? std::string("/tmp")
                : std::filesystem::temp_directory_path(ec).string()) +
           "/k45mr-links-" + std::to_string(static_cast<unsigned long>(getuid()));
}

bool PrepareLocalLinkFolder(const std::string& folder, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = "Link folder " + folder + ": " + why;
        return false;
    };
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT) return fail(std::strerror(errno));
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return fail(std::strerror(errno));
        if (lstat(folder.c_str(), &st) != 0) return fail(std::strerror(errno));
    }
    if (S_ISLNK(st.st_mode)) return fail("is a symbolic link");
    if (!S_ISDIR(st.st_mode)) return fail("is not a folder");
    if (st.st_uid != getuid()) return fail("belongs to another user");
    if ((st.st_mode & 077) != 0) return fail("can be read by other users");
    return true;
}

namespace {

std::string SocketNamePart(const std::string& name) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-') {
            out += static_cast<char>(std::tolower(c));
        } else {
            out += '_';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string LocalLinkSocketPath(const std::string& folder, const std::string& application,
                                const std::string& topic) {
    return folder + "/" + SocketNamePart(application) + "." + SocketNamePart(topic);
}

}  // namespace k45
