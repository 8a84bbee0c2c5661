#include "control/greeting.h"

#include <sys/stat.h>

#include <cstring>
#include <set>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

namespace {

constexpr std::size_t GreetingFixedSize = 43;
constexpr std::size_t MaxDigestedFile = 64u << 20;

void Malformed() { throw Exception("Malformed packet"); }

void PutU64(TPacketBytes& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t GetU64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

std::string Hex(std::uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

}  // namespace

std::optional<std::uint64_t> TGreeting::MapDigestOf(const std::string& name) const {
    for (const TMapDigest& m : Maps)
        if (m.Name == name) return m.Digest;
    return std::nullopt;
}

const std::string& ProgramVersion() {
    static const std::string version = ORBITFALL_VERSION;
    return version;
}

std::uint64_t Fnv1a64(const std::string& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

std::optional<std::uint64_t> FileDigest(const std::string& path) {
    const std::optional<std::string> existing = ExistingFile(path);
    if (!existing) return std::nullopt;
    struct stat st {};
    if (::stat(existing->c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > MaxDigestedFile)
        return std::nullopt;
    // Read without a file stream: a joining client digests every map it has.
    std::string bytes;
    try {
        bytes = ReadFileUpTo(*existing, static_cast<std::size_t>(st.st_size));
    } catch (const Exception&) {
        return std::nullopt;
    }
    if (bytes.size() != static_cast<std::size_t>(st.st_size)) return std::nullopt;
    return Fnv1a64(bytes);
}

std::optional<std::uint64_t> UnitsDigest() { return FileDigest(ResolveFileName("Units\\Units.ofu")); }

std::optional<std::uint64_t> MapDigest(const std::string& mapName) {
    try {
        return FileDigest(ResolveFileName("maps\\" + mapName + ".ofm"));
    } catch (const Exception&) {
        return std::nullopt;  // a name the file-name rules refuse
    }
}

TGreeting LocalGreeting() {
    TGreeting greeting;
    greeting.Version = ProgramVersion();
    greeting.UnitsDigest = UnitsDigest().value_or(0);
    std::set<std::string> seen;
    for (const std::string& folder : {DataDir() + "Maps\\", UserDir() + "Maps\\"}) {
        std::string native = FindExistingCase(folder);
        if (!native.empty() && native.back() != '/') native += '/';
        for (const std::string& file : ListFiles(native, "*.ofm")) {
            const std::string name = file.substr(0, file.find('.'));
            if (name.empty() || name.size() > 128 || !seen.insert(name).second) continue;
            if (greeting.Maps.size() >= MaxGreetingMaps) return greeting;
            if (const auto digest = MapDigest(name)) greeting.Maps.push_back({name, *digest});
        }
    }
    return greeting;
}

void EncodeGreeting(const TGreeting& greeting, TPacketBytes& out) {
    out.assign(GreetingFixedSize, 0);
    out[0] = ptGreeting;
    const std::size_t versionLength = std::min(greeting.Version.size(), MaxVersionLength);
    out[1] = static_cast<std::uint8_t>(versionLength);
    std::memcpy(out.data() + 2, greeting.Version.data(), versionLength);
    out.resize(34);
    PutU64(out, greeting.UnitsDigest);
    const std::size_t maps = std::min(greeting.Maps.size(), MaxGreetingMaps);
    out.push_back(static_cast<std::uint8_t>(maps));
    for (std::size_t i = 0; i < maps; ++i) {
        const TMapDigest& m = greeting.Maps[i];
        if (m.Name.empty() || m.Name.size() > 128) throw Exception("Malformed packet");
        out.push_back(static_cast<std::uint8_t>(m.Name.size()));
        out.insert(out.end(), m.Name.begin(), m.Name.end());
        PutU64(out, m.Digest);
    }
}

TGreeting DecodeGreeting(const std::uint8_t* payload, std::size_t size) {
    if (size < GreetingFixedSize || payload[0] != ptGreeting || payload[1] > MaxVersionLength) Malformed();
    TGreeting greeting;
    greeting.Version.assign(reinterpret_cast<const char*>(payload + 2), payload[1]);
    greeting.UnitsDigest = GetU64(payload + 34);
    const std::size_t maps = payload[42];
    std::size_t at = GreetingFixedSize;
    for (std::size_t i = 0; i < maps; ++i) {
        if (at >= size) Malformed();
        const std::size_t length = payload[at++];
        if (length == 0 || length > 128 || size - at < length + 8) Malformed();
        TMapDigest m;
        m.Name.assign(reinterpret_cast<const char*>(payload + at), length);
        at += length;
        m.Digest = GetU64(payload + at);
        at += 8;
        greeting.Maps.push_back(std::move(m));
    }
    if (at != size) Malformed();
    return greeting;
}

void EncodeRefusal(const std::string& reason, TPacketBytes& out) {
    const std::size_t length = std::min<std::size_t>(reason.size(), 255);
    out.assign(2, 0);
    out[0] = ptRefusal;
    out[1] = static_cast<std::uint8_t>(length);
    out.insert(out.end(), reason.begin(), reason.begin() + static_cast<std::ptrdiff_t>(length));
}

std::string DecodeRefusal(const std::uint8_t* payload, std::size_t size) {
    if (size < 2 || payload[0] != ptRefusal || size != 2u + payload[1]) Malformed();
    return Printable(std::string(reinterpret_cast<const char*>(payload + 2), payload[1]));
}

std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127) c = '?';
    return out;
}

std::string GreetingMismatch(const TGreeting& host, const TGreeting& joining) {
    if (joining.Version != host.Version)
        return "The joining copy runs version " + Printable(joining.Version) + ", this game runs version " +
               host.Version + ".";
    if (joining.UnitsDigest != host.UnitsDigest)
        return "The joining copy has other unit types than this game (Units.ofu " + Hex(joining.UnitsDigest) +
               ", here " + Hex(host.UnitsDigest) + ").";
    return {};
}

std::string MapMismatch(const std::string& player, const std::string& mapName, std::uint64_t hostDigest,
                        const TGreeting& joining) {
    const std::optional<std::uint64_t> digest = joining.MapDigestOf(mapName);
    const std::string map = Printable(mapName);
    if (!digest) return player + " does not have the map " + map + ".";
    if (*digest != hostDigest) return player + " holds another form of the map " + map + ".";
    return {};
}

}  // namespace orbitfall
