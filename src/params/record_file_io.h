#pragma once
// What the data, test and radio spec files share: one pass over a file's keys in file order,
// run once with a reader and once with a writer, so the loader and the saver always agree on
// sections, keys and their order; a loader's extra rules sit in `if constexpr (Io::kLoading)`
// blocks. Also the whole-file batch around a pass and the key groups the files have in common.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "base/converters.h"
#include "base/hex_text.h"
#include "base/ini_routines.h"
#include "base/utilities.h"
#include "params/data_file.h"
#include "params/record_names.h"
#include "platform/profile.h"

namespace k45::record_file {

// Each call reads one key into its field, with the field's value as default.
class Reader {
public:
    static constexpr bool kLoading = true;
    Reader(const LocaleInfo& locale, const std::string& file) : locale_(locale), file_(file) {}

    // Notes whether the file holds the section at all.
    void section(const std::string& name) {
        if (const IniDocument* doc = ProfileBatch::find(file_); doc && doc->hasSection(name)) sawSection_ = true;
    }
    // True once a section the pass reads was found in the file.
    bool sawSection() const { return sawSection_; }
    template <class T>
    void number(const std::string& section, const std::string& key, T& field) {
        ReadIniInto(locale_, file_, section, key, field);
    }
    void flag(const std::string& section, const std::string& key, Flag& field) {
        ReadFlagValue(locale_, file_, section, key, field);
    }
    void frequency(const std::string& section, const std::string& key, std::int32_t& hz) {
        ReadFrequencyValue(locale_, file_, section, key, hz);
    }
    void date(const std::string& section, const std::string& key, std::int64_t& localSeconds) {
        IniDate d{localSeconds};
        if (ReadIniInto(locale_, file_, section, key, d)) localSeconds = d.localSeconds;
    }
    void text(const std::string& section, const std::string& key, std::string& field) {
        ReadIniInto(locale_, file_, section, key, field);
    }
    void intRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        ReadIntRow(locale_, file_, section, key, row);
    }
    void hexRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        ReadHexRow(file_, section, key, row);
    }

    const LocaleInfo& locale() const { return locale_; }
    const std::string& file() const { return file_; }

private:
    const LocaleInfo& locale_;
    const std::string& file_;
    bool sawSection_ = false;
};

// Each call writes one key; section() empties the section first. Inside the batch a write
// only fails on a name or value the file cannot hold; the first such failure is kept, and the
// save reports it instead of committing a file with the key missing.
class Writer {
public:
    static constexpr bool kLoading = false;
    Writer(const LocaleInfo& locale, const std::string& file) : locale_(locale), file_(file) {}

    void section(const std::string& section) { Keep(WriteIniSection(file_, section, {}, &scratch_)); }
    template <class T>
    void number(const std::string& section, const std::string& key, T& field) {
        Put(section, key, IniValue(field));
    }
    void flag(const std::string& section, const std::string& key, Flag& field) {
        Put(section, key, IniValue(IsSet(field)));
    }
    void frequency(const std::string& section, const std::string& key, std::int32_t& hz) {
        Put(section, key, IniValue(FormatMHz(hz, locale_)));
    }
    void date(const std::string& section, const std::string& key, std::int64_t& localSeconds) {
        Put(section, key, IniValue(IniDate{localSeconds}));
    }
    void text(const std::string& section, const std::string& key, std::string& field) {
        Put(section, key, IniValue(TextValueForFile(field)));
    }
    void intRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        Put(section, key, IniValue(JoinIntArray(row, static_cast<int>(row.size()), 0)));
    }
    void hexRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        Put(section, key, IniValue(JoinHexByteArray(row, static_cast<int>(row.size()), 0)));
    }

    // The first write that failed, or empty.
    const std::string& error() const { return error_; }
    bool failed() const { return failed_; }

private:
    void Put(const std::string& section, const std::string& key, const IniValue& value) {
        Keep(WriteIniValue(locale_, file_, section, key, value, &scratch_));
    }
    void Keep(bool ok) {
        if (ok || failed_) return;
        failed_ = true;
        error_ = scratch_;
    }
    const LocaleInfo& locale_;
    const std::string& file_;
    std::string scratch_;
    std::string error_;
    bool failed_ = false;
};

// Runs `pass` with the file as one batch (one read for every key); the result is the pass's.
// False, with nothing read, when fileName is empty, names no existing file or cannot be read.
template <class Pass>
[[nodiscard]] bool LoadWholeFile(const std::string& fileName, Pass&& pass) {
    if (!DataFileExists(fileName)) return false;
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) return false;
    return pass(static_cast<const IniDocument&>(batch.document()));
}

// Runs `pass` with the file as one batch and writes it all or nothing. False, with the reason in
// *error, when the file could not be read or written, or when the pass failed (it sets *error;
// the file is left as it was).
template <class Pass>
[[nodiscard]] bool SaveWholeFile(const std::string& fileName, std::string* error, Pass&& pass) {
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) {
        if (error) *error = batch.loadError();
        return false;
    }
    if (!pass(error)) return false;
    return batch.commit(error);
}

// Reads the file into record with one pass of transfer(reader, record). With knownSectionNeeded,
// a file that holds none of the sections the pass reads (an empty, binary or UTF-16 file, or
// one of another kind) is refused and record stays as it was: the pass would otherwise still
// reset fields that depend on absent keys and report success.
template <class Record, class Transfer>
[[nodiscard]] bool LoadRecord(const LocaleInfo& locale, const std::string& fileName, Record& record, Transfer&& transfer,
                              bool knownSectionNeeded = true) {
    return LoadWholeFile(fileName, [&](const IniDocument&) {
        Reader reader(locale, fileName);
        Record scratch = record;
        transfer(reader, scratch);
        if (knownSectionNeeded && !reader.sawSection()) return false;
        record = std::move(scratch);
        return true;
    });
}

// Writes record with one pass of transfer(writer, copy); the pass takes its fields by reference,
// so it runs over a copy.
template <class Record, class Transfer>
[[nodiscard]] bool SaveRecord(const LocaleInfo& locale, const std::string& fileName, const Record& record, std::string* error,
                              Transfer&& transfer) {
    return SaveWholeFile(fileName, error, [&](std::string* passError) {
        Record copy = record;
        Writer writer(locale, fileName);
        transfer(writer, copy);
        if (writer.failed() && passError) *passError = writer.error();
        return !writer.failed();
    });
}

// Key of a table row: "Row" and the row number as two hex digits.
inline std::string RowKey(int row) { return "Row" + ByteToHex2(row); }

// The "Radio Types" section a saved file starts with: the code of each radio type. Written only.
template <class Io>
void TransferRadioTypes(Io& io) {
    if constexpr (!Io::kLoading) {
        const std::string section = "Radio Types";
        io.section(section);
        std::int16_t codes[3] = {0, 1, 2};
        io.number(section, "5716", codes[0]);
        io.number(section, "5726", codes[1]);
        io.number(section, "5796", codes[2]);
    }
}

// "Radio Type" and "Radio Range". Read as their remainder by 3 and 10; a negative number names
// no table entry and leaves its field as it was.
template <class Io>
void TransferTypeAndRange(Io& io, const std::string& section, std::int32_t& radioType, std::int32_t& radioRange) {
    if constexpr (Io::kLoading) {
        std::int32_t type = radioType, range = radioRange;
        io.number(section, "Radio Type", type);
        io.number(section, "Radio Range", range);
        if (type >= 0) radioType = type % 3;
        if (range >= 0) radioRange = range % 10;
    } else {
        io.number(section, "Radio Type", radioType);
        io.number(section, "Radio Range", radioRange);
    }
}

// One section per named triple, keyed by the point names.
using PointTriple = std::pair<const char*, std::array<std::int16_t, 3>*>;
template <class Io>
void TransferPointTriples(Io& io, std::span<const PointTriple> triples) {
    for (const auto& [name, values] : triples) {
        const std::string section = name;
        io.section(section);
        for (std::int16_t p = 0; p < 3; ++p) io.number(section, PointName(p), (*values)[static_cast<size_t>(p)]);
    }
}

// The radio spec table, a section per type and range: the Rx and Tx frequency of each point,
// and with tuneValues their CN, FC 8 and FC 5 values.
template <class Io>
void TransferRadioSpecs(Io& io, std::array<RadioSpec, kRadioSpecCount>& specs, bool tuneValues) {
    for (std::int16_t type = 0; type < 3; ++type) {
        for (std::int16_t range = 0; range < 10; ++range) {
            const std::string section = RadioRangeName(type, range);
            io.section(section);
            for (std::int16_t p = 0; p < 3; ++p) {
                RadioSpec& e = specs[static_cast<size_t>(RadioSpecIndex(type, range, p))];
                const std::string point = PointName(p);
                io.frequency(section, point + "Rx Frequency", e.rxFrequency);
                io.frequency(section, point + "Tx Frequency", e.txFrequency);
                if (!tuneValues) continue;
                io.number(section, point + "Rx CN", e.rxCn);
                io.number(section, point + "Rx FC 8", e.rxFc8);
                io.number(section, point + "Rx FC 5", e.rxFc5);
                io.number(section, point + "Tx CN", e.txCn);
                io.number(section, point + "Tx FC 8", e.txFc8);
                io.number(section, point + "Tx FC 5", e.txFc5);
            }
        }
    }
}

}  // namespace k45::record_file
