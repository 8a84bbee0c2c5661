// The host's packet handling with a running game: one client (a bare adapter
// that answers the start packet with ptReady) took part in the start, so
// commands from its connection reach the frame being collected. The input's
// first byte picks the sender (bit 0: that client, else a connection the host
// never saw); the rest is cut into packets as the wire frames them. After
// every input the host must still run a frame, in a new game if the input's
// commands stopped the running one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "control/frame_loop.h"
#include "control/packets.h"
#include "control/greeting.h"
#include "control/lockstep_host.h"
#include "fuzz/fuzz_support.h"

using namespace orbitfall;

namespace {

fuzz::TFuzzShell* shell = nullptr;
TLockstepHost* host = nullptr;
TTcpAdapter* peer = nullptr;
std::uint64_t inputs = 0;

void Fail(const char* what) {
    std::fprintf(stderr, "lockstep host: %s (last error shown: \"%s\")\n", what, shell->LastError.c_str());
    std::abort();
}

void StartHostGame() {
    host->StartGame();
    if (host->GetGame() == nullptr || host->Adapter().ClientCount() != 1) Fail("game did not start");
}

// The client takes its seat as a copy of this program would.
void Greet() {
    TPacketBytes greeting;
    EncodeGreeting(LocalGreeting(), greeting);
    peer->Send(greeting.data(), greeting.size());
    if (!fuzz::PumpUntil(shell->Loop, [] { return host->PlayerNames().size() == 1; })) Fail("client took no seat");
}

// The host ends a connection that sends too many malformed packets; the
// client then joins again and a new game starts.
void Rejoin() {
    if (host->Adapter().ClientCount() == 1) return;
    if (!fuzz::PumpUntil(shell->Loop, [] { return peer->State == 0; })) Fail("client did not see the end");
    peer->Connect("127.0.0.1");
    if (!fuzz::PumpUntil(shell->Loop, [] { return peer->State == 2 && host->Adapter().ClientCount() == 1; }))
        Fail("client did not connect again");
    Greet();
    StartHostGame();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SetUpProcess();
    shell = new fuzz::TFuzzShell;
    host = new TLockstepHost(*shell, 0);
    host->SeedOverride = 4711;
    Controller = host;

    peer = new TTcpAdapter(shell->Loop);
    peer->Port = host->Adapter().Port;
    peer->OnReceive = [](TNetworkadapter& sender, TPointerStream&, const std::uint8_t* buffer,
                         std::size_t size, TNetworkadapter::TConnection) {
        if (size == StartPacketSize && buffer[0] == ptStartGame) {
            const std::uint8_t ready = ptReady;
            sender.Send(&ready, 1);
        }
    };
    peer->Connect("127.0.0.1");
    if (!fuzz::PumpUntil(shell->Loop, [] { return peer->State == 2 && host->Adapter().ClientCount() == 1; }))
        Fail("client did not connect");
    Greet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first game starts within the first input, not at initialisation:
    // the program keeps the parsed unit catalogue from one game to the next,
    // and libFuzzer counts only the code that inputs run. A long run drifts;
    // starting afresh now and then keeps the replay file small.
    if (++inputs % 256 == 0 || host->GetGame() == nullptr) StartHostGame();
    TNetworkadapter::TConnection sender = (data[0] & 1) ? host->Adapter().GetClient(0) : nullptr;
    for (auto packet : fuzz::SplitPackets(data + 1, size - 1)) {
        // Delivered as the adapter would: nothing more from a connection it closed.
        if (sender != nullptr && host->Adapter().ClientCount() == 0) break;
        fuzz::Deliver(host->Adapter(), packet, sender);
    }
    shell->Loop.Poll();
    Rejoin();

    TFrameLoop frames;
    if (!frames.DoTimer(*host)) {
        // A command the simulation refuses (a move to a target that is not a
        // number, a negative move word) stops the game on every machine by
        // design; what must hold is that the host can start and run another.
        StartHostGame();
        TFrameLoop fresh;
        if (!fresh.DoTimer(*host)) Fail("host cannot run a frame after the input");
    }
    // The client drains what the host sent and relayed.
    shell->Loop.Poll();
    return 0;
}
