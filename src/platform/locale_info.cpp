#include "platform/locale_info.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>

namespace k45 {

LocaleInfo ReadUserLocale() {
    LocaleInfo info;
    locale_t loc = newlocale(LC_NUMERIC_MASK | LC_MONETARY_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) return info;
    const char* radix = nl_langinfo_l(RADIXCHAR, loc);
    info.decimal = radix ? radix : "";
    // The numeric category has no sign of its own; the monetary one names it where it differs.
    locale_t old = uselocale(loc);
    const lconv* lc = localeconv();
    if (lc && lc->negative_sign && *lc->negative_sign) info.minus = lc->negative_sign;
    uselocale(old);
    freelocale(loc);
    return info;
}

}  // namespace k45
