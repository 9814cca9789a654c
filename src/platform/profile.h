#pragma once
// Profile (INI) files, read and written the way field files expect:
// - section and key names compare without regard to case; blanks around names and values are
//   trimmed; a value in a matching pair of quotes loses them; a line without "=" holds no key;
//   of duplicate keys or sections the first counts;
// - a write replaces a key in place or appends it to its section; a new section goes to the
//   end; emptying a section keeps its header; everything else in the file is kept;
// - lines are written with CR LF and read with CR LF or LF; bytes are kept as they are;
// - a Ctrl-Z after the last line (old DOS editors) ends the text; a file in UTF-16 with a byte
//   order mark is read as Windows-1252 text and written back in UTF-16, untouched lines as they were;
// - a file changes all or nothing: new content goes to a temporary file in the target's folder
//   that is renamed over the old one. A write-protected file is refused, a symbolic link is
//   followed (the target is written, the link kept) and the file keeps its permission bits.
#include <optional>
#include <string>
#include <vector>

namespace k45 {

class IniDocument {
public:
    // Reads a file; a missing file gives an empty document. Returns false (with the reason)
    // only when the file exists but cannot be read.
    [[nodiscard]] bool load(const std::string& path, std::string* error = nullptr);
    void parse(const std::string& content);
    std::string serialize() const;
    // Writes the document to path atomically.
    [[nodiscard]] bool save(const std::string& path, std::string* error = nullptr) const;

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    std::string get(const std::string& section, const std::string& key, const std::string& def) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    // Removes every key of the section but keeps (or creates) its header.
    void emptySection(const std::string& section);
    bool hasSection(const std::string& section) const;
    std::vector<std::string> keys(const std::string& section) const;

private:
    enum class Encoding { Bytes, Utf16Le, Utf16Be };
    struct Line {
        std::string text;      // the raw line (without line end)
        std::u16string wide;   // a UTF-16 file's line as read, written back while untouched
        bool hasWide = false;
        std::string key;       // trimmed key name, empty when the line holds no key
        bool isSection = false;
        std::string section;   // trimmed section name when isSection
    };
    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Bytes;
    void parseLines(const std::string& text, const std::u16string* wide);
    int findSection(const std::string& section) const;
    int sectionEnd(int headerIndex) const;
};

// Reads one value; a missing file, section or key gives def.
std::string ProfileRead(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& def);
// Writes one value (read, change, atomic write). False with the reason on failure.
[[nodiscard]] bool ProfileWrite(const std::string& path, const std::string& section, const std::string& key,
                                const std::string& value, std::string* error = nullptr);
[[nodiscard]] bool ProfileEmptySection(const std::string& path, const std::string& section, std::string* error = nullptr);

// While a ProfileBatch for a path exists, ProfileRead / ProfileWrite / ProfileEmptySection on
// that path work on one in-memory copy, read once; commit() writes it in one atomic step.
// Savers that write many keys (data, test and radio spec files, settings at shutdown) use it.
class ProfileBatch {
public:
    explicit ProfileBatch(const std::string& path);
    ~ProfileBatch();  // discards uncommitted changes
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;
    [[nodiscard]] bool commit(std::string* error = nullptr);
    IniDocument& document() { return doc_; }
    const std::string& path() const { return path_; }
    bool loadFailed() const { return loadFailed_; }
    const std::string& loadError() const { return loadError_; }

    // The document of the innermost live batch for path, if any.
    static IniDocument* find(const std::string& path);

private:
    std::string path_;
    IniDocument doc_;
    bool loadFailed_ = false;
    std::string loadError_;
    ProfileBatch* previous_ = nullptr;
};

}  // namespace k45
