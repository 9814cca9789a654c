#include "platform/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cp1252.h"

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

// A Ctrl-Z in the blank tail of a file is the end mark old editors put there, not text.
template <typename S>
size_t TextEnd(const S& s) {
    size_t end = s.size();
    while (end > 0) {
        auto c = s[end - 1];
        if (c != 0x1A && c != '\r' && c != '\n' && c != ' ' && c != '\t') break;
        --end;
    }
    for (size_t i = end; i < s.size(); ++i)
        if (s[i] == 0x1A) return i;
    return s.size();
}

}  // namespace

void IniDocument::parse(const std::string& content) {
    const bool le = content.size() >= 2 && content[0] == '\xFF' && content[1] == '\xFE';
    const bool be = content.size() >= 2 && content[0] == '\xFE' && content[1] == '\xFF';
    if (!le && !be) {
        encoding_ = Encoding::Bytes;
        parseLines(content.substr(0, TextEnd(content)), nullptr);
        return;
    }
    std::u16string wide;
    wide.reserve(content.size() / 2);
    for (size_t i = 2; i + 1 < content.size(); i += 2) {
        const auto a = static_cast<unsigned char>(content[i]), b = static_cast<unsigned char>(content[i + 1]);
        wide.push_back(static_cast<char16_t>(le ? (b << 8 | a) : (a << 8 | b)));
    }
    // Binary junk can start with the same two bytes: UTF-16 profile text holds at least one
    // of its marks as a code unit.
    if (wide.find_first_of(u"[=\r\n") == std::u16string::npos) {
        encoding_ = Encoding::Bytes;
        parseLines(content.substr(0, TextEnd(content)), nullptr);
        return;
    }
    encoding_ = le ? Encoding::Utf16Le : Encoding::Utf16Be;
    wide.resize(TextEnd(wide));
    // One byte per code unit, so line positions match.
    const std::string narrow = Utf16ToCp1252(wide);
    parseLines(narrow, &wide);
}

void IniDocument::parseLines(const std::string& content, const std::u16string* wide) {
    lines_.clear();
    // A BOM some editors put in front stays in the text but does not hide the first header.
    static const std::string kBom = "\xEF\xBB\xBF";
    const size_t bom = content.compare(0, kBom.size(), kBom) == 0 ? kBom.size() : 0;
    size_t pos = 0;
    while (pos < content.size()) {
        // CR LF, LF, or a lone CR (files from older Mac tools) end a line.
        size_t nl = content.find_first_of("\r\n", pos);
        const size_t start = pos, length = nl == std::string::npos ? std::string::npos : nl - pos;
        std::string raw = content.substr(start, length);
        if (nl == std::string::npos) pos = content.size();
        else pos = nl + (content.compare(nl, 2, "\r\n") == 0 ? 2 : 1);
        Line line;
        line.text = raw;
        if (wide) {
            line.wide = wide->substr(start, length);
            line.hasWide = true;
        }
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
    if (encoding_ == Encoding::Bytes) {
        for (const auto& l : lines_) {
            out += l.text;
            out += "\r\n";
        }
        return out;
    }
    const bool le = encoding_ == Encoding::Utf16Le;
    auto put = [&](char16_t w) {
        const char lo = static_cast<char>(w & 0xFF), hi = static_cast<char>(w >> 8);
        out += le ? lo : hi;
        out += le ? hi : lo;
    };
    put(0xFEFF);
    for (const auto& l : lines_) {
        if (l.hasWide) {
            for (char16_t w : l.wide) put(w);
        } else {
            for (char c : l.text) put(Cp1252ToUtf16(static_cast<unsigned char>(c)));
        }
        put(u'\r');
        put(u'\n');
    }
    return out;
}

namespace {

constexpr const char* kTempMark = ".k45tmp.";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names: symbolic links are followed (also one whose target does not
// exist yet), so the target is written and the link stays.
bool FollowLinks(const std::string& path, std::string* target, std::string* error) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st{};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = p;
            return true;
        }
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<size_t>(n) >= buf.size()) {
            if (error) *error = path + ": " + std::strerror(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string link(buf.data(), static_cast<size_t>(n));
        p = link.front() == '/' ? link : FolderOf(p) + "/" + link;
    }
    if (error) *error = path + ": " + std::strerror(ELOOP);
    return false;
}

// Temporary files of saves that were killed before their rename. A save in progress holds a
// lock on its temporary file, so only abandoned ones are removed.
void RemoveAbandonedTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const size_t slash = target.rfind('/');
    const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + kTempMark;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string full = folder + "/" + name;
        const int fd = ::open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held{}, now{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            ::lstat(full.c_str(), &now) == 0 && now.st_ino == held.st_ino && now.st_dev == held.st_dev)
            ::unlink(full.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace

bool IniDocument::save(const std::string& path, std::string* error) const {
    auto fail = [&](int e) {
        if (error) *error = path + ": " + std::strerror(e);
        return false;
    };
    std::string target;
    if (!FollowLinks(path, &target, error)) return false;
    struct stat old{};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) return fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        // The rename would replace a file nobody may write; a read-only file binds root too.
        if ((old.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            if (error) *error = path + ": the file is write-protected";
            return false;
        }
    }
    std::string tmpl = target + kTempMark + "XXXXXX";
    int fd = -1;
    for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
        fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
        if (fd < 0) return fail(errno);
        // Locked so another save's clean-up leaves it alone; one that got in first unlinked it.
        struct stat st{};
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0) {
            ::close(fd);
            fd = -1;
            tmpl = target + kTempMark + "XXXXXX";
        }
    }
    if (fd < 0) return fail(EAGAIN);
    auto abandon = [&](int e) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        return fail(e);
    };
    const std::string data = serialize();
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon(errno);
        }
        done += static_cast<size_t>(n);
    }
    // The old file's permission bits (and owner, where we may); a new file gets the usual
    // ones, not mkstemp's 0600.
    if (exists) {
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) (void)!::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) return abandon(errno);
    }
    if (::fsync(fd) != 0) return abandon(errno);
    if (std::rename(tmpl.c_str(), target.c_str()) != 0) return abandon(errno);
    ::close(fd);
    const int dirFd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    RemoveAbandonedTemporaries(target);
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
