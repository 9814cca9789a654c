#pragma once
// Frames in the codec tests are written as lists of byte values; these turn them into the text
// a decoder reads and back.
#include <string>
#include <vector>

namespace k45::test {

using Bytes = std::vector<int>;

inline std::string Wire(const Bytes& b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

inline Bytes ToBytes(const std::string& s) {
    Bytes b;
    for (char c : s) b.push_back(static_cast<unsigned char>(c));
    return b;
}

}  // namespace k45::test
