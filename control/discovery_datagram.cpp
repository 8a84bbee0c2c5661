#include "control/discovery_datagram.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace orbitfall {
namespace {

constexpr char QueryMagic[4] = {'O', 'F', 'D', 'Q'};
constexpr char AnswerMagic[4] = {'O', 'F', 'D', 'A'};

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Length of the well-formed UTF-8 sequence at text[i] and its code point;
// 0 when the bytes there are not one.
std::size_t SequenceAt(const std::string& text, std::size_t i, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        min = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        min = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        min = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (byte(i + k) & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

bool IsControl(std::uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

std::vector<std::uint8_t> EncodeDiscoveryQuery(std::uint32_t token) {
    std::vector<std::uint8_t> out(QueryMagic, QueryMagic + 4);
    out.push_back(DiscoveryVersion);
    PutU32(out, token);
    return out;
}

std::optional<std::uint32_t> DecodeDiscoveryQuery(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size != DiscoveryQuerySize) return std::nullopt;
    if (std::memcmp(data, QueryMagic, 4) != 0 || data[4] != DiscoveryVersion) return std::nullopt;
    return GetU32(data + 5);
}

std::string CutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    // Back over continuation bytes to the start of the sequence cut in two.
    while (end > 0 && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string CleanDiscoveryText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = SequenceAt(text, i, codePoint);
        if (length == 0 || IsControl(codePoint)) {
            out += '?';
            i += std::max<std::size_t>(length, 1);
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeDiscoveryAnswer(const TDiscoveryAnswer& answer) {
    if (answer.Port < 1 || answer.Port > 65535) throw std::invalid_argument("discovery answer: port out of range");
    const std::string name = CutUtf8(answer.Name, DiscoveryMaxText);
    const std::string map = CutUtf8(answer.Map, DiscoveryMaxText);
    if (name.empty()) throw std::invalid_argument("discovery answer: empty machine name");
    std::vector<std::uint8_t> out(AnswerMagic, AnswerMagic + 4);
    out.push_back(DiscoveryVersion);
    PutU32(out, answer.Token);
    out.push_back(static_cast<std::uint8_t>(answer.Port & 0xFF));
    out.push_back(static_cast<std::uint8_t>(answer.Port >> 8));
    out.push_back(static_cast<std::uint8_t>(std::clamp(answer.Players, 1, DiscoveryMaxPlayers)));
    out.push_back(answer.StartViews < 0 || answer.StartViews >= DiscoveryStartsUnknown
                      ? DiscoveryStartsUnknown
                      : static_cast<std::uint8_t>(answer.StartViews));
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(static_cast<std::uint8_t>(map.size()));
    out.insert(out.end(), map.begin(), map.end());
    return out;
}

std::optional<TDiscoveryAnswer> DecodeDiscoveryAnswer(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < DiscoveryMinAnswerSize || size > DiscoveryMaxAnswerSize) return std::nullopt;
    if (std::memcmp(data, AnswerMagic, 4) != 0 || data[4] != DiscoveryVersion) return std::nullopt;
    TDiscoveryAnswer answer;
    answer.Token = GetU32(data + 5);
    answer.Port = data[9] | data[10] << 8;
    answer.Players = data[11];
    answer.StartViews = data[12] == DiscoveryStartsUnknown ? -1 : data[12];
    if (answer.Port == 0 || answer.Players < 1 || answer.Players > DiscoveryMaxPlayers) return std::nullopt;
    const std::size_t nameLength = data[13];
    if (nameLength == 0 || nameLength > DiscoveryMaxText || 14 + nameLength + 1 > size) return std::nullopt;
    const std::size_t mapLength = data[14 + nameLength];
    if (mapLength > DiscoveryMaxText || 15 + nameLength + mapLength != size) return std::nullopt;
    answer.Name = CleanDiscoveryText(std::string(reinterpret_cast<const char*>(data + 14), nameLength));
    answer.Map = CleanDiscoveryText(std::string(reinterpret_cast<const char*>(data + 15 + nameLength), mapLength));
    return answer;
}

std::string DiscoveryLabel(const TDiscoveryAnswer& answer) {
    const std::string starts = answer.StartViews < 0 ? "?" : std::to_string(answer.StartViews);
    std::string label = answer.Name + "  ";
    if (!answer.Map.empty()) label += answer.Map + "  ";
    return label + std::to_string(answer.Players) + "/" + starts;
}

std::string DiscoveryHostText(const std::string& address, int port, int defaultPort) {
    if (port == defaultPort) return address;
    const bool ipv6 = address.find(':') != std::string::npos;
    return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace orbitfall
