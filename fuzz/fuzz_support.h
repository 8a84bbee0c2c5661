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

namespace orbitfall::fuzz {

// A fresh temporary data folder (a copy of the shipped Game/Data) and user
// folder, made the process's folders; the language table is loaded. The
// event log stays closed: a line per frame would fill the disk.
void SetUpProcess();
const std::string& DataFolder();
const std::string& UserFolder();

void WriteBytes(const std::string& path, const void* data, std::size_t size);
std::string ReadText(const std::string& path);

// The shell of a fuzzed controller: start units as the game window places
// them, no windows, no waiting, a clock that advances by one per reading.
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
    std::string MapName = "Zweikampf";
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
