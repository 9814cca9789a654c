#pragma once
// A K45 modem in setup mode for dialogue tests, on end B of the null-modem pair or on the
// master of a pseudo-terminal pair (the program's real serial device opens the slave).
//
// It holds a 640-byte parameter image (seeded from a packed record) and 768 bytes of RAM, and
// answers the text dialogue line by line (a line ends at CR or LF):
//   "?"          the version line (version text, a blank, "Copyright" and the notice), then
//                the acknowledgement record R8 at 0
//   "DE"         40 data records R1 of 16 bytes (29 when image byte 0 is 2), the end record R9,
//                then R8 at 0
//   "DA"         48 data records of RAM, R9, R8 at 0
//   "S1..."      a program record: patches the image and acknowledges (a record with a bad
//                checksum or outside the image is refused with status 01)
//   "CHANNELnn"  notes the channel-8 redirect and acknowledges
//   "S9..."      notes the end of programming and acknowledges
// A command is acknowledged as the K45 modem does it, with the end pair R9 at 0 then R8
// at 0 (ackForm EndPair), or with the bare R8 (Bare). A diagnostic block goes in data records at
// the modem's memory addresses 4000 (16 bytes), 4016 (14) and 6000 (12) (dataForm
// MemoryAddresses), or from address 0 up (BlockOffsets: one record of 42 bytes unless a split is
// asked for); a split asked for puts its records at consecutive addresses from 4000 or 0.
// and, for the radio tuning window (handleTuningLine):
//   "T1..."      a tune record: acknowledged
//   "AS", "AT"   a 42-byte diagnostic block (diagBlock; "AT" takes the next of `samples` first)
//                in one data record, in three (16 + 16 + 10, splitDiagBlocks) or as
//                diagRecordSizes gives, R9, R8 at 0; after diagDelayMs (or the next of
//                diagDelaysMs), its data records
//                diagRecordGapMs apart
//   "AR"         clears the diagnostics: acknowledged
//   "BALANCEnn"  the Mod Balance square wave for nn (hex) seconds: acknowledged
//   "T0"         ends the test mode: acknowledged
// and, for the test panels and calibration windows (handlePanelLine):
//   "RSSI"       as "AS"
//   "CSWITCH"    R8 at 0 with one data byte, the channel switch setting
//   "PSUDOnn", "POTGAINnn", "POTDEVnn"   acknowledged
// Faults are switched on per step and per occurrence (ModemFault). Replies leave after
// replyDelayMs and then take their wire time on the cable.
#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "params/parameter_image.h"
#include "model/records.h"
#include "support/null_modem.h"
#include "support/pty_pair.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

enum class ModemStep {
    Version, Dump, DumpRam, Program, Channel, End,
    // radio tuning
    Tune, Diagnostics, Sample, Clear, Balance, EndTest,
    // test panels and calibration (simulated_modem_panel.cpp)
    Switch, Psudo, Pot, Rssi,
};

struct ModemFault {
    enum Kind {
        Silence,               // no answer at all
        Refuse,                // R8 with status 01 instead of the acknowledgement
        NoAck,                 // the answer without its final acknowledgement
        EarlyEnd,              // dump: R9 and R8 after `arg` data records
        StopAfter,             // dump: nothing more after `arg` data records
        MissingRecord,         // dump: data record `arg` left out
        DuplicateRecord,       // dump: data record `arg` sent twice in a row
        FirstRecordNotAtZero,  // dump: the record at address 0 sent last
        NoKeyword,             // version: the line without "Copyright"
        BadAddress,            // dump: data record `arg` moved to address 632 with 16 bytes (beyond 640)
        Twice,                 // the whole answer again, `arg` ms after the first
        Reset,                 // the modem restarts on this line: from now on it answers every line
                               // as it answers "?" and takes nothing (until `restarted` is cleared)
    };
    Kind kind;
    ModemStep step;
    int arg = 0;
    int times = 1;  // occurrences of the step it applies to; -1: all
    int after = 0;  // occurrences of the step that pass untouched first
};

// How the modem acknowledges a command.
enum class AckForm {
    EndPair,  // "R9030000FC" then "R80200FD", as the K45 modem answers
    Bare,     // "R80200FD" alone
};

// Where the modem puts the 42 bytes of a diagnostic block.
enum class DataForm {
    MemoryAddresses,  // 4000, 4016 and 6000, as the K45 modem sends them
    BlockOffsets,     // from address 0 up, as offsets into the block
};

// One way of answering: the acknowledgement, where the block's data stands and its records by size
// (empty: the form's own split).
struct AnswerForm {
    const char* name;
    AckForm ack;
    DataForm data;
    std::vector<int> split;
    friend void PrintTo(const AnswerForm& f, std::ostream* os) { *os << f.name; }
};
// Every form a dialogue reads: the K45 modem's own first, then the simpler forms and other splits.
// clang-format off
inline const AnswerForm kAnswerForms[] = {
    {"end pair, data at 4000, 4016 and 6000", AckForm::EndPair, DataForm::MemoryAddresses, {}},
    {"end pair, data from 0", AckForm::EndPair, DataForm::BlockOffsets, {}},
    {"bare, data at 4000, 4016 and 6000", AckForm::Bare, DataForm::MemoryAddresses, {}},
    {"bare, data from 0", AckForm::Bare, DataForm::BlockOffsets, {}},
    {"end pair, data from 4000 in one record", AckForm::EndPair, DataForm::MemoryAddresses, {42}},
    {"end pair, data from 4000 as 4 + 38 bytes", AckForm::EndPair, DataForm::MemoryAddresses, {4, 38}},
    {"end pair, data from 4000 as 1 + 40 + 1 bytes", AckForm::EndPair, DataForm::MemoryAddresses, {1, 40, 1}},
    {"end pair, data from 0 as 16 + 16 + 10 bytes", AckForm::EndPair, DataForm::BlockOffsets, {16, 16, 10}},
    {"bare, data from 4000 as seven records of 6", AckForm::Bare, DataForm::MemoryAddresses, {6, 6, 6, 6, 6, 6, 6}},
    {"bare, data from 0 as 16 + 16 + 10 bytes", AckForm::Bare, DataForm::BlockOffsets, {16, 16, 10}},
};
// clang-format on

// How the bytes of one answer are handed to the line.
enum class ModemChunking {
    PerLine,   // one write per line or record
    OneChunk,  // the whole answer in one write, delivered to the host as one chunk
    Split,     // each line in two writes, splitPauseMs apart, so it reaches the host in pieces
};

struct ReceivedLine {
    std::string text;     // without the line end
    std::int64_t atMs;    // virtual time its end arrived
};

struct ProgramRecord {
    std::int32_t address;
    std::vector<std::uint8_t> data;
    std::int64_t atMs;
};

class SimulatedModem {
public:
    explicit SimulatedModem(VirtualScheduler& scheduler);
    ~SimulatedModem();
    SimulatedModem(const SimulatedModem&) = delete;
    SimulatedModem& operator=(const SimulatedModem&) = delete;

    // On end B of the cable (the host's port object drives end A).
    void attach(NullModemPair& cable);
    // On the master of a pseudo-terminal: call servicePty() to take what the host wrote.
    void attach(PtyPair& pty);
    // Reads the master and answers; returns the bytes taken.
    std::size_t servicePty();

    // The image packed from a record with the layout its eepromVersion and model select;
    // setupTime is stamped with nowLocal. False when no layout matches.
    bool loadRecord(const AppState& app, const ModemParameters& record, std::int64_t nowLocal);
    void loadImage(const ParameterImage& image);
    // The image as a record (the program's own decoder).
    bool decodeInto(const AppState& app, ModemParameters& record) const;

    void addFault(const ModemFault& fault) { faults_.push_back({fault, 0, 0}); }
    void clearFaults() { faults_.clear(); }

    // ---- settings
    std::string versionText = "K45MR V6.02";
    std::string notice = "Copyright (c) 2026 K45 Firmware";
    int replyDelayMs = 5;
    AckForm ackForm = AckForm::EndPair;
    DataForm dataForm = DataForm::MemoryAddresses;
    ModemChunking chunking = ModemChunking::PerLine;
    int splitPauseMs = 30;
    // Answers in `form` from now on.
    void answerIn(const AnswerForm& form) {
        ackForm = form.ack;
        dataForm = form.data;
        diagRecordSizes = form.split;
    }

    // ---- state and logs
    ParameterImage image{};
    std::array<std::uint8_t, 768> ram{};
    std::vector<ReceivedLine> received;
    std::vector<ProgramRecord> programmed;  // accepted "S1" records, in order
    std::vector<int> channelCommands;       // values of the "CHANNEL" commands
    int endRecords = 0;                     // "S9" records received
    bool restarted = false;                 // a Reset fault has struck; answers every line as "?"
    std::string sentBytes;                  // everything the modem wrote

    // Lines received that start with prefix.
    std::vector<ReceivedLine> linesStartingWith(const std::string& prefix) const;

    // ---- radio tuning
    using DiagBlock = std::array<std::uint8_t, 42>;
    DiagBlock diagBlock{};              // the answer to "AS" (and to "AT" when samples is empty)
    std::vector<DiagBlock> samples;     // the answers to the next "AT"s, taken from the front
    bool splitDiagBlocks = false;       // a block in three data records (16 + 16 + 10)
    std::vector<int> diagRecordSizes;   // else the block's data records, by size (empty: the form's)
    int diagDelayMs = -1;               // a diagnostic answer leaves after this (-1: replyDelayMs)
    std::vector<int> diagDelaysMs;      // the next diagnostic answers' delays, taken from the front
    int diagRecordGapMs = 0;            // and its data records this far apart (one write per line)
    std::vector<int> balanceCommands;   // seconds of the "BALANCE" commands
    int endTests = 0;                   // "T0" lines answered

    // ---- test panels and calibration: "RSSI" answers as "AS"; "CSWITCH" with R8 at 0 carrying
    // switchSetting as its one data byte; "PSUDOnn", "POTGAINnn", "POTDEVnn" acknowledged.
    int switchSetting = 0;

private:
    struct ActiveFault {
        ModemFault fault;
        int seen;
        int applied;
    };
    void take(const std::string& bytes);
    void handleLine(const std::string& line);
    bool handleTuningLine(const std::string& line);
    std::vector<std::string> diagAnswer(const DiagBlock& block);
    // The acknowledgement of a command in the modem's form; without its final R8 for NoAck.
    std::vector<std::string> commandAck(bool noAck) const;
    bool handlePanelLine(const std::string& line);
    // The delay of the next diagnostic answer: diagDelaysMs' front, else diagDelayMs.
    int nextDiagDelay();
    std::vector<ModemFault> faultsFor(ModemStep step);
    // delayMs -1: replyDelayMs; gapMs: data records that far apart (one write per line only).
    void answer(std::vector<std::string> pieces, int delayMs = -1, int gapMs = 0);
    void send(const std::string& bytes);
    std::vector<std::string> dump(ModemStep step, const std::uint8_t* memory, int blocks,
                                  const std::vector<ModemFault>& f);

    VirtualScheduler& sched_;
    NullModemPair* cable_ = nullptr;
    PtyPair* pty_ = nullptr;
    std::string lineBuf_;
    std::vector<ActiveFault> faults_;
    std::int64_t busyUntilMs_ = 0;  // answers leave in order
    int repeatAfterMs_ = -1;        // the answer being built goes again this long after (Twice)
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Reply records as the modem writes them (without the line end).
std::string AckRecord();                   // "R80200FD"
std::string StatusRecord(int status);      // R8 with that status byte
std::string EndRecord();                   // "R9030000FC"
std::string DataRecord(std::int32_t address, const std::uint8_t* data, int count);
std::string SwitchRecord(int setting);     // R8 at 0 carrying one data byte

}  // namespace k45::test
