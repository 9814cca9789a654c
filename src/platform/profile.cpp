#include "platform/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k45 {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x < 128) x = static_cast<unsigned char>(std::tolower(x));
        if (y < 128) y = static_cast<unsigned char>(std::tolower(y));
        if (x != y) return false;
    }
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

thread_local ProfileBatch* activeBatch = nullptr;

}  // namespace

void IniDocument::parse(const std::string& content) {
    lines_.clear();
    // A BOM some editors put in front stays in the text but does not hide the first header.
    static const std::string kBom = "\xEF\xBB\xBF";
    const size_t bom = content.compare(0, kBom.size(), kBom) == 0 ? kBom.size() : 0;
    size_t pos = 0;
    while (pos < content.size()) {
        // CR LF, LF, or a lone CR (files from older Mac tools) end a line.
        size_t nl = content.find_first_of("\r\n", pos);
        std::string raw = content.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (nl == std::string::npos) pos = content.size();
        else pos = nl + (content.compare(nl, 2, "\r\n") == 0 ? 2 : 1);
        Line line;
        line.text = raw;
        std::string t = Trim(lines_.empty() ? raw.substr(std::min(bom, raw.size())) : raw);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.find(']');
            if (close != std::string::npos) {
                line.isSection = true;
                line.section = Trim(t.substr(1, close - 1));
            }
        } else {
            size_t eq = raw.find('=');
            if (eq != std::string::npos) line.key = Trim(raw.substr(0, eq));
        }
        lines_.push_back(std::move(line));
    }
}

bool IniDocument::load(const std::string& path, std::string* error) {
    // A folder opens like a file but reads as nothing, and opening a pipe or device can block
    // for ever: only a regular file is a profile.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        lines_.clear();
        if (error) *error = path + ": " + (S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file");
        return false;
    }
    // Settings and data files are a few kilobytes; a file picked by mistake (an image, a disk
    // dump) would be held several times over in memory while it is split into lines.
    constexpr off_t kLargestProfile = off_t{64} << 20;
    if (st.st_size > kLargestProfile) {
        lines_.clear();
        if (error) *error = path + ": " + std::strerror(EFBIG);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        lines_.clear();
        if (errno == ENOENT || access(path.c_str(), F_OK) != 0) return true;
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        if (error) *error = path + ": read error";
        return false;
    }
    parse(ss.str());
    return true;
}

std::string IniDocument::serialize() const {
    std::string out;
    for (const auto& l : lines_) {
        out += l.text;
        out += "\r\n";
    }
    return out;
}

bool IniDocument::save(const std::string& path, std::string* error) const {
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    const std::string data = serialize();
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            ::unlink(name.data());
            if (error) *error = path + ": " + std::strerror(e);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int e = errno;
        ::unlink(name.data());
        if (error) *error = path + ": " + std::strerror(e);
        return false;
    }
    // Keep the old file's permissions; a new file gets the usual ones, not mkstemp's 0600.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) {
        ::chmod(name.data(), st.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(name.data(), 0666 & ~mask);
    }
    if (std::rename(name.data(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(name.data());
        if (error) *error = path + ": " + std::strerror(e);
        return false;
    }
    return true;
}

int IniDocument::findSection(const std::string& section) const {
    const std::string s = Trim(section);
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && SameName(lines_[i].section, s)) return static_cast<int>(i);
    return -1;
}

int IniDocument::sectionEnd(int headerIndex) const {
    size_t i = static_cast<size_t>(headerIndex) + 1;
    while (i < lines_.size() && !lines_[i].isSection) ++i;
    return static_cast<int>(i);
}

bool IniDocument::hasSection(const std::string& section) const { return findSection(section) >= 0; }

std::optional<std::string> IniDocument::get(const std::string& section, const std::string& key) const {
    int h = findSection(section);
    if (h < 0) return std::nullopt;
    const std::string k = Trim(key);
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const Line& l = lines_[static_cast<size_t>(i)];
        if (!l.key.empty() && SameName(l.key, k)) {
            size_t eq = l.text.find('=');
            return Unquote(Trim(l.text.substr(eq + 1)));
        }
    }
    return std::nullopt;
}

std::string IniDocument::get(const std::string& section, const std::string& key, const std::string& def) const {
    auto v = get(section, key);
    return v ? *v : def;
}

std::vector<std::string> IniDocument::keys(const std::string& section) const {
    std::vector<std::string> out;
    int h = findSection(section);
    if (h < 0) return out;
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (!lines_[static_cast<size_t>(i)].key.empty()) out.push_back(lines_[static_cast<size_t>(i)].key);
    return out;
}

void IniDocument::set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string k = Trim(key);
    Line nl;
    nl.text = k + "=" + value;
    nl.key = k;
    int h = findSection(section);
    if (h < 0) {
        Line hl;
        hl.isSection = true;
        hl.section = Trim(section);
        hl.text = "[" + hl.section + "]";
        lines_.push_back(hl);
        lines_.push_back(nl);
        return;
    }
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        Line& l = lines_[static_cast<size_t>(i)];
        if (!l.key.empty() && SameName(l.key, k)) {
            l = nl;
            return;
        }
    }
    int insertAt = end;
    while (insertAt > h + 1 && Trim(lines_[static_cast<size_t>(insertAt - 1)].text).empty()) --insertAt;
    lines_.insert(lines_.begin() + insertAt, nl);
}

void IniDocument::emptySection(const std::string& section) {
    int h = findSection(section);
    if (h < 0) {
        Line hl;
        hl.isSection = true;
        hl.section = Trim(section);
        hl.text = "[" + hl.section + "]";
        lines_.push_back(hl);
        return;
    }
    int end = sectionEnd(h);
    lines_.erase(lines_.begin() + h + 1, lines_.begin() + end);
}

// ---- file-level routines and batches ----

ProfileBatch::ProfileBatch(const std::string& path) : path_(path) {
    loadFailed_ = !doc_.load(path, &loadError_);
    previous_ = activeBatch;
    activeBatch = this;
}

ProfileBatch::~ProfileBatch() {
    // Batches nest like scopes; unlink this one wherever it sits in the chain.
    if (activeBatch == this) {
        activeBatch = previous_;
    } else {
        for (ProfileBatch* b = activeBatch; b; b = b->previous_)
            if (b->previous_ == this) { b->previous_ = previous_; break; }
    }
}

bool ProfileBatch::commit(std::string* error) {
    if (loadFailed_) {
        if (error) *error = loadError_;
        return false;
    }
    return doc_.save(path_, error);
}

IniDocument* ProfileBatch::find(const std::string& path) {
    for (ProfileBatch* b = activeBatch; b; b = b->previous_)
        if (b->path_ == path) return &b->doc_;
    return nullptr;
}

std::string ProfileRead(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& def) {
    if (IniDocument* d = ProfileBatch::find(path)) return d->get(section, key, def);
    IniDocument doc;
    if (!doc.load(path)) return def;
    return doc.get(section, key, def);
}

bool ProfileWrite(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value, std::string* error) {
    if (IniDocument* d = ProfileBatch::find(path)) {
        d->set(section, key, value);
        return true;
    }
    IniDocument doc;
    if (!doc.load(path, error)) return false;
    doc.set(section, key, value);
    return doc.save(path, error);
}

bool ProfileEmptySection(const std::string& path, const std::string& section, std::string* error) {
    if (IniDocument* d = ProfileBatch::find(path)) {
        d->emptySection(section);
        return true;
    }
    IniDocument doc;
    if (!doc.load(path, error)) return false;
    doc.emptySection(section);
    return doc.save(path, error);
}

}  // namespace k45
