#pragma once
// What every fuzz target shares: process-wide folders set up once, a shell
// for the controllers that keeps nothing per call (millions of inputs run
// through one process), and the packet framing used to cut an input into
// payloads.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "control/network_adapter.h"
#include "control/shell_link.h"
#include "platform/event_loop.h"

namespace orbitfall {
class TGame;
}

namespace orbitfall::fuzz {

// A fresh temporary data folder (a copy of the shipped Game/Data plus the
// small map below) and user folder, made the process's folders; the language
// table is loaded. The event log stays closed: a line per frame would fill
// the disk.
void SetUpProcess();

// A map built for fuzzing, 64 x 64 with two nebulae and two start views: the
// shipped maps are five to thirty times larger, and every game made from one
// clears and allocates sight maps of that size.
inline constexpr const char* SmallMapName = "Probe";
extern const char* const SmallMapText;
inline constexpr int SmallMapSize = 64;

// The units a fuzzed game starts with, in place of the game window's
// hundreds: a few ships of every starting player (types taken in turn from
// the catalogue) around the map's middle, enemies within weapon range of
// each other, and the two crystal moons. A few frames then see sight,
// flocking, shots, hits and explosions, at a tiny part of the cost. Draws
// from the shared generator as the game's own start does; an empty
// catalogue raises the same range error.
void StartFewUnits(TGame& game);
inline constexpr int FewUnitsPerPlayer = 4;
const std::string& DataFolder();
const std::string& UserFolder();

// Removes the world dumps desyncs wrote into the user folder. A dump's name
// holds its frame and second and the writer counts up past names taken, so
// without this every dump of a busy second tried all names before it, and
// the folder grew by the hundreds of files a second, without end.
void RemoveDesyncDumps();

void WriteBytes(const std::string& path, const void* data, std::size_t size);
std::string ReadText(const std::string& path);

// The shell of a fuzzed controller: start units from StartFewUnits, no windows, no waiting, a clock that advances by one per reading.
class TFuzzShell : public TShellLink {
public:
    void CreateGameWindow(TGame& game) override;
    void SetFrameInterval(int) override {}
    void CreateLobby(bool) override {}
    void ShowLobby(bool) override {}
    void AddLobbyMessage(const std::string&) override { ++LobbyMessages; }
    void RepeatLobbyMessage(const std::string&, int) override {}
    std::string SelectedMap() override { return MapName; }
    TEventLoop& EventLoop() override { return Loop; }
    void ProcessMessages() override {
        Loop.Poll();
        if (OnProcessMessages) OnProcessMessages();
    }
    bool Terminated() override { return false; }
    void Sleep(int) override {}
    std::uint32_t TickCount() override { return Ticks++; }
    void ShowError(const std::string& message) override {
        ++Errors;
        LastError = message;
    }

    TEventLoop Loop;
    // Runs in every wait's turn of the loop: packets that arrive mid-frame.
    std::function<void()> OnProcessMessages;
    std::string MapName = SmallMapName;
    std::uint32_t Ticks = 0;
    std::uint64_t LobbyMessages = 0;
    std::uint64_t Errors = 0;
    std::string LastError;
};

// Cuts bytes into packets the way the wire does (2-byte little-endian
// length, payload); a last incomplete packet is dropped.
std::vector<std::span<const std::uint8_t>> SplitPackets(const std::uint8_t* data, std::size_t size);

// Hands one payload to an adapter's owner as the adapter's receive path does
// (the server's relay check first, then the receive handler), from a copy of
// exactly the payload's size so that any read beyond it is caught.
void Deliver(TNetworkadapter& adapter, std::span<const std::uint8_t> payload,
             TNetworkadapter::TConnection connection);

// Pumps the event loop until done() or about five seconds; false on timeout.
template <class Done>
bool PumpUntil(TEventLoop& loop, Done done) {
    for (int i = 0; i < 500 && !done(); ++i) loop.RunFor(std::chrono::milliseconds(10));
    return done();
}

}  // namespace orbitfall::fuzz
