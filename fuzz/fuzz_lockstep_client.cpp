// A client's packet handling with a running game, started from a start
// packet. The input's first byte says how many of its packets arrive before
// the frame; the rest arrive one per turn of the frame's wait for frame data,
// as packets do while a client waits (a start packet there must not free the
// game the frame is using). The rest of the input is cut into packets as the
// wire frames them. A frame the input queued is tried once (its checksum
// decides); then, if the game is gone, stopped or diverted, the client is
// started afresh from the canonical start packet, and it must run one
// well-formed frame.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "control/frame_loop.h"
#include "control/packets.h"
#include "control/lockstep_client.h"
#include "control/lockstep_host.h"
#include "fuzz/fuzz_support.h"
#include "simulation/game.h"

using namespace orbitfall;

namespace {

fuzz::TFuzzShell* shell = nullptr;
TLockstepHost* lobbyHost = nullptr;
TLockstepClient* client = nullptr;
std::vector<std::uint8_t> startPacket;
std::uint64_t inputs = 0;
// The client's frame wait in turns of the shell's clock.
constexpr int FrameWaitTicks = 48;

void Fail(const char* what) {
    std::fprintf(stderr, "lockstep client: %s (last error shown: \"%s\")\n", what, shell->LastError.c_str());
    std::abort();
}

void StartFromPacket() {
    fuzz::Deliver(client->Adapter(), startPacket, nullptr);
    if (client->GetGame() == nullptr || client->QueuedFrames() != 0 || client->StartPending())
        Fail("start packet did not start a game");
}

bool Diverted() {
    const TGame* game = client->GetGame();
    if (game == nullptr || client->QueuedFrames() != 0) return true;
    const TStartInfo& info = client->StartInfo();
    return std::memcmp(&info, startPacket.data() + 1, sizeof info) != 0;
}

// A start that failed left the host's connection, as a real client does:
// another client joins for the inputs that follow.
void Rejoin() {
    Controller = nullptr;
    delete client;
    client = new TLockstepClient(*shell, "127.0.0.1", lobbyHost->Adapter().Port);
    client->FrameWait = std::chrono::milliseconds(FrameWaitTicks);
    Controller = client;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SetUpProcess();
    shell = new fuzz::TFuzzShell;
    // Only there to be connected to; its game never starts.
    lobbyHost = new TLockstepHost(*shell, 0);
    client = new TLockstepClient(*shell, "127.0.0.1", lobbyHost->Adapter().Port);
    // The shell's clock advances by one per reading: a few dozen turns of
    // the wait, each of which may deliver a packet.
    client->FrameWait = std::chrono::milliseconds(FrameWaitTicks);
    Controller = client;

    TStartInfo info;
    info.SetMapName(fuzz::SmallMapName);
    info.RandomSeed = 4711;
    info.PlayerNumber = 2;
    info.PlayerCount = 2;
    startPacket.resize(StartPacketSize);
    startPacket[0] = ptStartGame;
    std::memcpy(startPacket.data() + 1, &info, sizeof info);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first game starts within the first input, not at initialisation:
    // the program keeps the parsed unit catalogue from one game to the next,
    // and libFuzzer counts only the code that inputs run.
    if (client->GetGame() == nullptr) StartFromPacket();
    const auto packets = fuzz::SplitPackets(data + 1, size - 1);
    const std::size_t early = data[0] % (packets.size() + 1);
    for (std::size_t i = 0; i < early; ++i) fuzz::Deliver(client->Adapter(), packets[i], nullptr);

    bool stopped = false;
    std::size_t next = early;
    if (client->QueuedFrames() != 0 || next < packets.size()) {
        shell->OnProcessMessages = [&] {
            if (next < packets.size()) {
                fuzz::Deliver(client->Adapter(), packets[next++], nullptr);
            } else {
                // The input has nothing more to deliver: the wait's clock
                // jumps to its end, so that a wait that will time out does so
                // at its next check, after one more turn of the event loop,
                // instead of polling sockets the input does not feed for the
                // rest of its turns. What the host sends meanwhile arrives in
                // the poll after the frame.
                shell->Ticks += FrameWaitTicks + 1;
            }
        };
        TFrameLoop frames;
        frames.DoTimer(*client);
        stopped = frames.Stopped();
        shell->OnProcessMessages = nullptr;
        // A frame that did not wait, or gave up waiting, leaves the rest.
        while (next < packets.size()) fuzz::Deliver(client->Adapter(), packets[next++], nullptr);
        // A start that waited for the frame to unwind runs now.
        shell->Loop.Poll();
        if (client->StartPending()) Fail("a start waited for a frame that had ended");
    }
    if (!client->StartFailure().empty()) Rejoin();
    if (stopped || Diverted() || ++inputs % 256 == 0) StartFromPacket();

    TGame& game = client->RequireGame();
    std::vector<std::uint8_t> frame(FrameDataPacketSize(0));
    TFrameHeader header;
    header.Frame = game.Frame;
    header.Checksum = game.Checksum();
    frame[0] = ptFrameData;
    std::memcpy(frame.data() + 1, &header, sizeof header);
    fuzz::Deliver(client->Adapter(), frame, nullptr);
    TFrameLoop frames;
    if (!frames.DoTimer(*client)) Fail("client cannot run a frame after the input");
    // The host drains the client's commands and ready notes.
    shell->Loop.Poll();
    fuzz::RemoveDesyncDumps();
    return 0;
}
