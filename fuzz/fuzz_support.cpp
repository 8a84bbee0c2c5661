#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "infra/data_dirs.h"
#include "infra/language.h"
#include "simulation/game.h"

namespace orbitfall::fuzz {

namespace {

std::string dataFolder;
std::string userFolder;

}  // namespace

void SetUpProcess() {
    namespace fs = std::filesystem;
    if (!dataFolder.empty()) return;
    const fs::path root = fs::temp_directory_path() / ("orbitfall-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(fs::path(ORBITFALL_SOURCE_DIR) / "Game" / "Data", root / "Data", fs::copy_options::recursive);
    dataFolder = (root / "Data").string() + "/";
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

void WriteBytes(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
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

void TFuzzShell::CreateGameWindow(TGame& game) { StartUnits(game); }

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
