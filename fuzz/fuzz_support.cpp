#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

#include "fuzz/small_map.h"
#include "infra/checked.h"
#include "infra/data_dirs.h"
#include "infra/language.h"
#include "infra/random.h"
#include "simulation/controlled_unit.h"
#include "simulation/crystal_moon.h"
#include "simulation/game.h"

namespace orbitfall::fuzz {

namespace {

std::string dataFolder;
std::string userFolder;

}  // namespace

const char* const SmallMapText =
    "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\r\n"
    "<Map>\r\n"
    "  <Informations>\r\n"
    "    <Name>Probe</Name>\r\n"
    "    <Width>64</Width>\r\n"
    "    <Height>64</Height>\r\n"
    "  </Informations>\r\n"
    "  <Objects>\r\n"
    "    <Nebula Radius=\"6\" X=\"32\" Y=\"32\"/>\r\n"
    "    <Nebula Radius=\"3\" X=\"12\" Y=\"50\"/>\r\n"
    "    <Start Player=\"1\" X=\"20\" Y=\"20\"/>\r\n"
    "    <Start Player=\"2\" X=\"44\" Y=\"44\"/>\r\n"
    "  </Objects>\r\n"
    "</Map>\r\n";

void StartFewUnits(TGame& game) {
    // An empty catalogue fails here, as the game's own start does.
    (void)CheckedAt(game.UnitTypes, 0);
    const std::int32_t startingPlayers = std::min<std::int32_t>(4, game.PlayerCount);
    const int units = FewUnitsPerPlayer * startingPlayers;
    const float middleX = static_cast<float>(game.Width / 2), middleY = static_cast<float>(game.Height / 2);
    for (int i = 0; i < units; ++i) {
        const auto owner = static_cast<std::uint8_t>(i % startingPlayers + 1);
        TUnitTypeDescriptor* type = CheckedAt(game.UnitTypes, i % static_cast<int>(game.UnitTypes.size())).get();
        TControlledUnit& unit = NewGameObject<TControlledUnit>(game, owner, type);
        // Within a square of 8 map units: every ship sees and reaches the others.
        unit.X = middleX + static_cast<float>(RandomInt(9) - 4);
        unit.Y = middleY + static_cast<float>(RandomInt(9) - 4);
    }
    TCrystalMoon& first = NewGameObject<TCrystalMoon>(game);
    first.X = 5;
    first.Y = 10;
    TCrystalMoon& second = NewGameObject<TCrystalMoon>(game);
    second.X = 10;
    second.Y = 5;
}

void SetUpProcess() {
    namespace fs = std::filesystem;
    if (!dataFolder.empty()) return;
    // Targets write files for every input (the files read, the replay the
    // controller records, desync dumps): in memory when the machine offers a
    // memory file system, a disk file system's journal costs more than the
    // input's game.
    std::error_code noShm;
    const fs::path base = fs::is_directory("/dev/shm", noShm) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    const fs::path root = base / ("orbitfall-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(fs::path(ORBITFALL_SOURCE_DIR) / "Game" / "Data", root / "Data", fs::copy_options::recursive);
    dataFolder = (root / "Data").string() + "/";
    WriteBytes(dataFolder + "Maps/" + SmallMapName + ".ofm", SmallMapText, std::strlen(SmallMapText));
    // The shipped maps stay, with their objects, shrunk to the fuzzing map's
    // size: inputs name them, and each game made from a full-size one clears
    // sight maps (and a desync dump digests them) hundreds of times larger.
    for (const auto& entry : fs::directory_iterator(root / "Data" / "Maps")) {
        if (entry.path().extension() != ".ofm" || entry.path().stem() == SmallMapName) continue;
        const std::string small = ShrinkMap(ReadText(entry.path().string()), SmallMapSize);
        WriteBytes(entry.path().string(), small.data(), small.size());
    }
    userFolder = (root / "User").string() + "/";
    SetDataDirs(dataFolder, userFolder);
    LoadLanguage("DE");
    // The folder goes with the process, also when libFuzzer ends it with exit().
    static const fs::path removeAtExit = root;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(removeAtExit, ignored);
    });
}

const std::string& DataFolder() { return dataFolder; }
const std::string& UserFolder() { return userFolder; }

void RemoveDesyncDumps() {
    std::error_code ignored;
    std::filesystem::remove_all(userFolder + "Desync", ignored);
}

// Straight system calls: the replay target writes two files for every
// input, and a file stream's set-up (locale, buffer) cost more than the write.
void WriteBytes(const std::string& path, const void* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (std::size_t done = 0; written && done < size;) {
        const ssize_t n = ::write(fd, static_cast<const char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    if (fd >= 0 && ::close(fd) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "fuzz set-up: cannot write %s\n", path.c_str());
        std::abort();
    }
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "fuzz set-up: cannot read %s\n", path.c_str());
        std::abort();
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TFuzzShell::CreateGameWindow(TGame& game) { StartFewUnits(game); }

std::vector<std::span<const std::uint8_t>> SplitPackets(const std::uint8_t* data, std::size_t size) {
    std::vector<std::span<const std::uint8_t>> packets;
    std::size_t at = 0;
    while (size - at >= 2) {
        const std::size_t length = data[at] | (std::size_t{data[at + 1]} << 8);
        if (size - at - 2 < length) break;
        packets.emplace_back(data + at + 2, length);
        at += 2 + length;
    }
    return packets;
}

void Deliver(TNetworkadapter& adapter, std::span<const std::uint8_t> payload,
             TNetworkadapter::TConnection connection) {
    const std::vector<std::uint8_t> copy(payload.begin(), payload.end());
    const std::uint8_t* bytes = copy.empty() ? nullptr : copy.data();
    if (adapter.IsServer && adapter.RelayFilter && adapter.RelayFilter(bytes, copy.size(), connection))
        adapter.Send(bytes, copy.size(), nullptr);
    TPointerStream stream;
    stream.SetPointer(bytes, copy.size());
    if (adapter.OnReceive) adapter.OnReceive(adapter, stream, bytes, copy.size(), connection);
}

}  // namespace orbitfall::fuzz
