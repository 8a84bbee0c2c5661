#pragma once
// A lockstep host and its clients in one process on one event loop, the
// clients either real controllers or bare adapters whose every packet the
// test writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "control/frame_loop.h"
#include "control/greeting.h"
#include "control/lockstep_client.h"
#include "control/lockstep_host.h"
#include "control/packets.h"
#include "infra/random.h"
#include "tests/control/control_fixture.h"
#include "tests/platform/socket_test_support.h"

namespace orbitfall::testing {

using TBytes = std::vector<std::uint8_t>;

// A shell on the shared loop that writes down every sleep.
class TNetShell : public TRecordingShell {
public:
    explicit TNetShell(TEventLoop& l) : shared(l) {}
    TEventLoop& EventLoop() override { return shared; }
    void ProcessMessages() override {
        shared.Poll();
        if (onProcessMessages) onProcessMessages();
    }
    void Sleep(int ms) override { sleeps.push_back(ms); }
    // Like a game window: each game gets a new one, the previous one freed.
    void CreateGameWindow(TGame& game) override {
        TRecordingShell::CreateGameWindow(game);
        window = std::make_unique<TGameWindowModel>();
    }
    // A message box runs a loop of its own until it is closed.
    void ShowError(const std::string& message) override {
        TRecordingShell::ShowError(message);
        if (onShowError) onShowError();
    }

    // What a game window does with a timer event: its frame loop is its
    // member, and the timer's code goes on after the frame.
    struct TGameWindowModel {
        bool Tick(TController& controller) {
            const bool ran = frames.DoTimer(controller);
            ++timerEvents;
            return ran;
        }
        TFrameLoop frames;
        int timerEvents = 0;
    };

    TEventLoop& shared;
    std::vector<int> sleeps;
    std::unique_ptr<TGameWindowModel> window;
    std::function<void()> onShowError;
};

// A client that is only an adapter: it greets (as this copy would, unless
// told otherwise), answers the start packet with `readies` ready notes and
// keeps every packet it receives.
struct TBarePeer {
    TBarePeer(TEventLoop& loop, int port, const TGreeting& greets = LocalGreeting())
        : adapter(std::make_unique<TTcpAdapter>(loop)) {
        adapter->Port = port;
        adapter->OnReceive = [this](TNetworkadapter& a, TPointerStream&, const std::uint8_t* buffer,
                                    std::size_t size, TNetworkadapter::TConnection) {
            received.emplace_back(buffer, buffer + size);
            if (size == StartPacketSize && buffer[0] == ptStartGame) {
                std::memcpy(&start, buffer + 1, sizeof start);
                for (int i = 0; i < readies; ++i) {
                    const std::uint8_t ready = ptReady;
                    a.Send(&ready, 1);
                }
            }
        };
        adapter->Connect("127.0.0.1");
        RunUntil(loop, [this] { return adapter->State != 1; });
        TPacketBytes greeting;
        EncodeGreeting(greets, greeting);
        Send(greeting);
    }
    void Send(const TBytes& payload) { adapter->Send(payload.data(), payload.size()); }
    int CountOf(std::uint8_t type, std::size_t size) const {
        int n = 0;
        for (const TBytes& p : received) n += p.size() == size && p[0] == type;
        return n;
    }

    std::unique_ptr<TTcpAdapter> adapter;
    std::vector<TBytes> received;
    TStartInfo start;
    int readies = 1;
};

// The payload with its length in front, as the adapter frames it.
inline TBytes Framed(const TBytes& payload) {
    TBytes framed(payload.size() + 2);
    framed[0] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    framed[1] = static_cast<std::uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), framed.begin() + 2);
    return framed;
}

inline TBytes CommandPacket(std::uint8_t kind, std::uint8_t player, std::int32_t frame) {
    TCommand c;
    c.Kind = kind;
    c.Player = player;
    c.Frame = frame;
    TBytes packet(CommandPacketSize);
    packet[0] = ptCommand;
    std::memcpy(packet.data() + 1, &c, sizeof c);
    return packet;
}

inline TBytes StartPacket(const TStartInfo& info) {
    TBytes packet(StartPacketSize);
    packet[0] = ptStartGame;
    std::memcpy(packet.data() + 1, &info, sizeof info);
    return packet;
}

inline TBytes EmptyFramePacket(std::int32_t frame, std::uint32_t checksum) {
    TFrameHeader header;
    header.Frame = frame;
    header.Checksum = checksum;
    TBytes packet(FrameDataPacketSize(0));
    packet[0] = ptFrameData;
    std::memcpy(packet.data() + 1, &header, sizeof header);
    return packet;
}

inline TStartInfo Record(std::int32_t seed, std::uint8_t number, std::uint8_t count) {
    TStartInfo info;
    info.SetMapName(kTestMap);
    info.RandomSeed = seed;
    info.PlayerNumber = number;
    info.PlayerCount = count;
    return info;
}

// The checksum a game started from the record has before its first frame.
inline std::uint32_t FirstChecksum(const TStartInfo& info) {
    SetRandomState(static_cast<std::uint32_t>(info.RandomSeed));
    TGame game(info.MapName(), info.PlayerCount, info.PlayerNumber);
    StartUnits(game);
    return game.Checksum();
}

class TcpControllerTest : public ControlTest {
protected:
    TcpControllerTest() : hostShell(loop), clientShell(loop) {}

    void MakeHost() {
        host = std::make_unique<TLockstepHost>(hostShell, 0);
        host->SeedOverride = 4711;
    }
    void AddPeers(int count) {
        for (int i = 0; i < count; ++i) {
            peers.push_back(std::make_unique<TBarePeer>(loop, host->Adapter().Port));
            ASSERT_TRUE(RunUntil(loop, [&] { return std::cmp_equal(host->PlayerNames().size(), i + 1); }));
        }
    }
    // A real client controller that does not record (the host does).
    void MakeClient() {
        client = std::make_unique<TLockstepClient>(clientShell, "127.0.0.1", host->Adapter().Port);
        client->Recording = false;
        ASSERT_TRUE(RunUntil(loop, [&] { return host->PlayerNames().size() == 1; }));
    }
    // Runs host frames until its game has reached frame n.
    void HostFramesTo(std::int32_t n) {
        while (host->RequireGame().Frame < n) ASSERT_TRUE(frames.DoTimer(*host));
    }
    void Settle() { orbitfall::testing::Settle(loop); }

    TEventLoop loop;
    TNetShell hostShell;
    TNetShell clientShell;
    std::unique_ptr<TLockstepHost> host;
    std::unique_ptr<TLockstepClient> client;
    std::vector<std::unique_ptr<TBarePeer>> peers;
    TFrameLoop frames;
};

}  // namespace orbitfall::testing
