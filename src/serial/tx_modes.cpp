#include "serial/tx_modes.h"

namespace k45 {

namespace {
using L = ModeLevel;
constexpr std::array<TxModeEntry, kTxModeCount> kTable{{
    {0, false, L::Setting, L::Setting, false},  // 0 sync/esc, no handshaking
    {0, false, L::Setting, L::Setting, false},  // 1 buffered, no handshaking
    {0, false, L::Setting, L::Setting, true},   // 2 sync/esc, RTS/CTS keyed
    {0, false, L::Setting, L::Setting, true},   // 3 buffered, RTS/CTS keyed
    {2, true, L::Setting, L::Setting, false},   // 4 sync/esc, flow control
    {2, true, L::Setting, L::Setting, false},   // 5 buffered, flow control
    {0, true, L::High, L::High, false},         // 6
    {0, false, L::High, L::High, false},        // 7 programming
    {0, true, L::Setting, L::High, false},      // 8 DMP
    {0, false, L::High, L::High, true},         // 9
    {0, true, L::Setting, L::High, true},       // 10
    {2, true, L::High, L::High, false},         // 11
    {2, true, L::Setting, L::High, false},      // 12
}};
constexpr TxModeEntry kOutOfRange{0, false, L::Low, L::Setting, false};
}  // namespace

const std::array<const char*, 6> kPortSettingsModeCaptions{
    "Sync/Esc with No HS",      "Buffered with No HS",           "Sync/Esc with RTS/CTS HS",
    "Buffered with RTS/CTS HS", "Sync/Esc with Flow Control HS", "Buffered with Flow Control HS"};

bool TxModeValid(std::int32_t mode) { return mode >= 0 && mode < kTxModeCount; }

const TxModeEntry& TxModeTable(std::int32_t mode) {
    return TxModeValid(mode) ? kTable[static_cast<size_t>(mode)] : kOutOfRange;
}

bool IsKeyedTxMode(std::int32_t mode) { return mode == 2 || mode == 3 || mode == 9 || mode == 10; }

}  // namespace k45
