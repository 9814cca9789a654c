#include "programming/editor_rad_specs.h"

#include "frame/converters.h"
#include "frame/utilities.h"
#include "programming/editor_values.h"

namespace k45 {

RadSpecTexts RadSpecToTexts(const RadioSpec& spec, const LocaleInfo& locale) {
    return {FormatMHz(spec.rxFrequency, locale), FormatMHz(spec.txFrequency, locale),
            std::to_string(spec.rxCn),           std::to_string(spec.txCn),
            std::to_string(spec.rxFc8),          std::to_string(spec.txFc8),
            std::to_string(spec.rxFc5),          std::to_string(spec.txFc5)};
}

void StoreRadSpecTexts(RadioSpec& spec, const RadSpecTexts& texts, const LocaleInfo& locale) {
    if (auto hz = MHzTextToHz(texts[0], locale)) spec.rxFrequency = *hz;
    if (auto hz = MHzTextToHz(texts[1], locale)) spec.txFrequency = *hz;
    std::int16_t* const small[6] = {&spec.rxCn, &spec.txCn, &spec.rxFc8, &spec.txFc8, &spec.rxFc5, &spec.txFc5};
    for (int i = 0; i < 6; ++i)
        if (auto v = TextToInt16(texts[static_cast<std::size_t>(i + 2)], locale)) *small[i] = *v;
}

}  // namespace k45
