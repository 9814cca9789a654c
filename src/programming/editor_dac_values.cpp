#include "programming/editor_dac_values.h"

namespace k45 {

namespace {
template <class Values, class Ptr>
std::array<Ptr, kDacValueCount> Fields(Values& v) {
    std::array<Ptr, kDacValueCount> f{};
    std::size_t n = 0;
    for (auto* triple : {&v.frontEndAdj, &v.modAdj, &v.powerAdj, &v.fcAdj.rxFc8, &v.fcAdj.rxFc5, &v.fcAdj.txFc8,
                         &v.fcAdj.txFc5})
        for (auto& e : *triple) f[n++] = &e;
    f[n++] = &v.rxGainAdj;
    f[n++] = &v.txDeviationAdj;
    f[n++] = &v.rssiCalAdj;
    f[n++] = &v.powerCalAdj;
    return f;
}
}  // namespace

std::array<std::int16_t*, kDacValueCount> DacValueFields(DacValues& values) {
    return Fields<DacValues, std::int16_t*>(values);
}

std::array<const std::int16_t*, kDacValueCount> DacValueFields(const DacValues& values) {
    return Fields<const DacValues, const std::int16_t*>(values);
}

}  // namespace k45
