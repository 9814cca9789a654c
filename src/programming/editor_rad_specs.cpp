#include "programming/editor_rad_specs.h"

#include "base/converters.h"
#include "base/utilities.h"
#include "programming/editor_values.h"

namespace k45 {

RadSpecTexts RadSpecToTexts(const RadioSpec& entry, const LocaleInfo& locale) {
    return {FormatMHz(entry.rxFrequency, locale), FormatMHz(entry.txFrequency, locale),
            std::to_string(entry.rxCn),           std::to_string(entry.txCn),
            std::to_string(entry.rxFc8),          std::to_string(entry.txFc8),
            std::to_string(entry.rxFc5),          std::to_string(entry.txFc5)};
}

void StoreRadSpecTexts(RadioSpec& entry, const RadSpecTexts& texts, const LocaleInfo& locale) {
    if (auto hz = MHzTextToHz(texts[0], locale)) entry.rxFrequency = *hz;
    if (auto hz = MHzTextToHz(texts[1], locale)) entry.txFrequency = *hz;
    std::int16_t* const small[6] = {&entry.rxCn, &entry.txCn, &entry.rxFc8, &entry.txFc8, &entry.rxFc5, &entry.txFc5};
    for (int i = 0; i < 6; ++i)
        if (auto v = TextToInt16(texts[static_cast<std::size_t>(i + 2)], locale)) *small[i] = *v;
}

}  // namespace k45
