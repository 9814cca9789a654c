#pragma once
// Box texts of one radio spec entry in the radio spec editor, in the order of its box arrays:
// Rx and Tx frequency (MHz), RxCN, TxCN, RxFC8, TxFC8, RxFC5, TxFC5.
#include <array>
#include <cstdint>
#include <string>

#include "model/records.h"
#include "platform/locale_info.h"

namespace k45 {

inline constexpr int kRadSpecColumns = 8;
using RadSpecTexts = std::array<std::string, kRadSpecColumns>;

RadSpecTexts RadSpecToTexts(const RadioSpec& entry, const LocaleInfo& locale);
// Each text into its field: frequencies to the nearest Hz, the others to the nearest 16-bit
// whole number; a text that does not convert leaves its field unchanged.
void StoreRadSpecTexts(RadioSpec& entry, const RadSpecTexts& texts, const LocaleInfo& locale);

}  // namespace k45
