#include "serial/dmp_codec.h"

#include <cmath>

#include "base/hex_text.h"

namespace k45 {

namespace {

constexpr int kSoh = 1;
constexpr int kStx = 2;
constexpr int kEot = 4;
constexpr int kEnq = 5;
constexpr int kAck = 6;
constexpr int kCr = 13;
constexpr int kDle = 16;
constexpr int kDc3 = 19;
constexpr int kNak = 21;
constexpr int kFuncR = 114;

inline bool IsLower(int b) { return b >= 'a' && b <= 'z'; }
inline bool IsUnitLetter(int b) { return b >= 'A' && b <= 'P'; }

// Data characters that travel behind a DLE in a frame with DLE transparency.
inline bool NeedsDle(int b) {
    return b == 0 || b == kSoh || b == kStx || b == kEnq || b == kAck || b == kDle || b == kDc3 || b == kNak;
}

}  // namespace

bool DmpNeedsAck(int funcCode) {
    return funcCode == 'q' || funcCode == 's' || funcCode == 't' || funcCode == 'g' || funcCode == kEnq;
}

DmpDecoder::DmpDecoder(RxMessageTables& tables, int firstSlot)
    : tables_(&tables), firstSlot_(CheckedFirstSlot(firstSlot)) {}

void DmpDecoder::setFirstSlot(int firstSlot) { firstSlot_ = CheckedFirstSlot(firstSlot); }

DecodeResult DmpDecoder::decode(std::string_view chunk, std::size_t& pos, const DmpSettings& s) {
    DecodeResult r;
    r.first = ring_;
    const std::size_t n = chunk.size();
    auto slot = [&]() -> DmpMessage& { return tables_->rxDmpMessages[static_cast<std::size_t>(firstSlot_ + ring_)]; };
    auto commit = [&] {
        ring_ = (ring_ + 1) & kRxRingMask;
        return ++r.count == kRxRingSize;
    };

    if (s.simulated) {
        if (pos >= n) return r;
        DmpMessage& m = slot();
        m.unitId = 1;
        m.portIndex = 1;
        m.funcCode = static_cast<std::uint16_t>(s.simulatedFunction);
        m.dleFlag = false;
        m.data.assign(chunk.substr(pos));
        pos = n;
        commit();
        return r;
    }

    // A data character of the data states (its XOR already taken).
    auto addData = [&](int b) {
        if (static_cast<int>(data_.size()) >= kDmpMaxData) {
            state_ = State::Outside;
        } else {
            data_.push_back(static_cast<char>(b));
            state_ = State::Data;
        }
    };

    while (pos < n) {
        const int b = static_cast<unsigned char>(chunk[pos++]);
        switch (state_) {
        case State::Outside:
            if (b == kSoh) {
                xor_ = kSoh;
                port_ = -1;
                func_ = -1;
                letters_.clear();
                data_.clear();
                dle_ = false;
                state_ = State::UnitId;
            } else if (b == kAck || b == kNak || b == kDc3 || b == kEnq) {
                DmpMessage& m = slot();
                m.unitId.reset();
                m.portIndex = -1;
                m.funcCode = static_cast<std::uint16_t>(b);
                m.dleFlag = false;
                m.data.clear();
                if (commit()) return r;
            }
            break;
        case State::UnitId:
            xor_ ^= b;
            if (IsUnitLetter(b)) {
                letters_.push_back(static_cast<char>(b));
                if (static_cast<int>(letters_.size()) > kDmpMaxLetters) state_ = State::Outside;
            } else if (IsLower(b)) {
                func_ = b;
                state_ = State::AfterFunction;
            } else if (b == '.') {
                state_ = State::PortDigit;
            } else {
                state_ = State::Outside;
            }
            break;
        case State::PortDigit:
            xor_ ^= b;
            port_ = b - '0';
            state_ = (port_ >= 0 && port_ <= 9) ? State::FunctionAfterPort : State::Outside;
            break;
        case State::FunctionAfterPort:
            xor_ ^= b;
            func_ = b;
            state_ = IsLower(b) ? State::AfterFunction : State::Outside;
            break;
        case State::AfterFunction:
            if (b == kStx) {
                xor_ ^= kStx;
                state_ = State::Data;
            } else if (b == kEot) {
                xor_ ^= kEot;
                state_ = State::Check;
            } else if (b == kDle) {
                dle_ = true;
            } else {
                state_ = State::Outside;
            }
            break;
        case State::Data:
            if (b != kEot && b != kDle) {
                // A run of plain data characters is taken at once.
                std::size_t end = pos;
                int x = xor_ ^ b;
                while (end < n) {
                    const int c = static_cast<unsigned char>(chunk[end]);
                    if (c == kEot || c == kDle) break;
                    x ^= c;
                    ++end;
                }
                const std::size_t run = end - pos + 1;
                const std::size_t room = static_cast<std::size_t>(kDmpMaxData) - data_.size();
                if (run > room) {
                    // The character after the room abandons the frame; the rest is looked at
                    // from outside a frame.
                    data_.append(chunk.substr(pos - 1, room));
                    pos = pos - 1 + room + 1;
                    state_ = State::Outside;
                    break;
                }
                data_.append(chunk.substr(pos - 1, run));
                xor_ = x;
                pos = end;
                break;
            }
            if (b == kEot && !dle_) {
                xor_ ^= kEot;
                state_ = State::Check;
            } else if (b == kDle) {
                state_ = dle_ ? State::DataAfterDle : State::Outside;
            } else {
                xor_ ^= b;
                addData(b);
            }
            break;
        case State::DataAfterDle:
            xor_ ^= b;
            if (b == kEot) state_ = State::Check;
            else addData(b);
            break;
        case State::Check: {
            xor_ ^= b;
            state_ = State::Outside;
            if (xor_ != 0) break;
            DmpMessage& m = slot();
            m.unitId = NibblesToLong(letters_);
            m.portIndex = static_cast<std::int16_t>(port_);
            m.funcCode = static_cast<std::uint16_t>(func_);
            m.dleFlag = dle_;
            m.data = data_;
            if (commit()) return r;
            break;
        }
        }
    }
    return r;
}

bool DmpUnitOfNumber(double number, std::optional<std::uint32_t>* unit) {
    if (std::isnan(number) || number > 4294967295.0 || (number >= 0 && std::floor(number) != number)) return false;
    *unit = number >= 0 ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(number)) : std::nullopt;
    return true;
}

std::optional<std::string> MessDmp(std::string_view srcStr, std::optional<std::uint32_t> srcID, int srcFunc,
                                   int srcPort) {
    if (srcFunc < 0 || srcFunc > 255) return std::nullopt;

    const bool dle = srcStr.find(static_cast<char>(kEot)) != std::string_view::npos;
    std::string out;
    out.reserve(2 * srcStr.size() + 20);
    int x = 0;
    auto put = [&](int c) {
        out.push_back(static_cast<char>(c));
        x ^= c;
    };
    put(kSoh);
    if (srcID)
        for (char c : UnitIdToLetters(*srcID)) put(static_cast<unsigned char>(c));
    if (srcPort >= 0 && srcPort <= 9) {
        put('.');
        put('0' + srcPort);
    }
    put(srcFunc);
    if (dle) out.push_back(static_cast<char>(kDle));
    put(kStx);
    for (char ch : srcStr) {
        const int c = static_cast<unsigned char>(ch);
        if (dle && NeedsDle(c)) out.push_back(static_cast<char>(kDle));
        put(c);
    }
    if (dle) out.push_back(static_cast<char>(kDle));
    else if (srcFunc != kFuncR) put(kCr);
    put(kEot);
    out.push_back(static_cast<char>(x));
    return out;
}

}  // namespace k45
