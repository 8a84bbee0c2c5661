// The lockstep controller against peers that misbehave.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "control/frame_loop.h"
#include "control/greeting.h"
#include "control/packets.h"
#include "infra/random.h"
#include "tests/control/lockstep_peers.h"
#include "tests/platform/socket_test_support.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

// A start packet arriving while the client's frame waited for frame data
// started the new game inside that wait and freed the game the frame was
// about to move. The frame now gives way: it ends without an error, and the
// new game starts at a later turn of the loop, with the frames sent after
// the start packet.
TEST_F(TcpControllerTest, UseAfterFreeWhenAStartArrivesDuringTheFrameWait) {
    MakeHost();
    MakeClient();
    client->FrameWait = std::chrono::milliseconds(1000000);
    const TStartInfo first = Record(11, 2, 2);
    host->Adapter().Send(StartPacket(first).data(), StartPacketSize, host->Adapter().GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; }));
    const TGame* running = client->GetGame();

    const TStartInfo second = Record(22, 2, 2);
    const std::uint32_t secondChecksum = FirstChecksum(second);
    int turns = 0;
    clientShell.onProcessMessages = [&] {
        if (++turns != 3) return;
        TTcpAdapter& hub = host->Adapter();
        hub.Send(StartPacket(second).data(), StartPacketSize, hub.GetClient(0));
        const TBytes frame = EmptyFramePacket(0, secondChecksum);
        hub.Send(frame.data(), frame.size(), hub.GetClient(0));
        // Both arrive inside this wait; the running game must stay.
        RunUntil(loop, [&] { return client->StartPending(); });
        EXPECT_EQ(client->GetGame(), running);
    };
    TFrameLoop clientFrames;
    EXPECT_FALSE(clientFrames.DoTimer(*client));
    clientShell.onProcessMessages = nullptr;
    EXPECT_TRUE(clientShell.errors.empty()) << clientShell.errors.front();
    EXPECT_FALSE(clientFrames.Stopped());
    EXPECT_EQ(client->GetGame(), running) << "nothing starts before the frame has unwound";
    EXPECT_EQ(client->StartInfo().RandomSeed, 11);

    loop.Poll();
    EXPECT_FALSE(client->StartPending());
    EXPECT_EQ(client->StartInfo().RandomSeed, 22);
    EXPECT_EQ(client->QueuedFrames(), 1u) << "the frame sent after the start belongs to the new game";
    EXPECT_TRUE(clientFrames.DoTimer(*client)) << (clientShell.errors.empty() ? "" : clientShell.errors.back());
    EXPECT_EQ(client->RequireGame().Frame, 1);
    EXPECT_TRUE(clientShell.errors.empty());
}

// The error box of a frame that raised serves the sockets while it is open:
// a start packet arriving then started the new game at once and freed the
// window whose timer event was still running that frame. The start now
// waits until the frame has returned.
TEST_F(TcpControllerTest, StartArrivingWhileAFramesErrorBoxIsOpenWaitsForTheFrameToReturn) {
    MakeHost();
    MakeClient();
    host->Adapter().Send(StartPacket(Record(11, 2, 2)).data(), StartPacketSize, host->Adapter().GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; }));
    const TGame* running = client->GetGame();
    TNetShell::TGameWindowModel* window = clientShell.window.get();
    ASSERT_NE(window, nullptr);
    // A frame whose checksum no game has: the client's frame raises.
    const TBytes wrong = EmptyFramePacket(0, client->RequireGame().Checksum() + 1);
    host->Adapter().Send(wrong.data(), wrong.size(), host->Adapter().GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->QueuedFrames() == 1; }));

    const TStartInfo second = Record(22, 2, 2);
    bool boxShown = false;
    clientShell.onShowError = [&] {
        boxShown = true;
        host->Adapter().Send(StartPacket(second).data(), StartPacketSize, host->Adapter().GetClient(0));
        RunUntil(loop, [&] { return client->StartPending(); });
        EXPECT_EQ(client->GetGame(), running) << "the game the frame used is still there";
        EXPECT_EQ(clientShell.window.get(), window) << "the window whose timer runs is still there";
    };
    EXPECT_FALSE(window->Tick(*client));
    clientShell.onShowError = nullptr;
    EXPECT_TRUE(boxShown);
    ASSERT_EQ(clientShell.errors.size(), 1u);
    EXPECT_EQ(clientShell.errors[0].rfind("Game asynchron", 0), 0u) << clientShell.errors[0];

    ASSERT_TRUE(RunUntil(loop, [&] { return !client->StartPending(); }));
    EXPECT_EQ(client->StartInfo().RandomSeed, 22) << "the new game starts once the frame has returned";
    EXPECT_NE(clientShell.window.get(), window);
    const TBytes first = EmptyFramePacket(0, FirstChecksum(second));
    host->Adapter().Send(first.data(), first.size(), host->Adapter().GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->QueuedFrames() == 1; }));
    EXPECT_TRUE(clientShell.window->Tick(*client)) << clientShell.errors.back();
}

TEST_F(TcpControllerTest, StartRecordIsCheckedAsAStartFileIs) {
    MakeHost();
    MakeClient();
    struct TCase {
        const char* name;
        void (*spoil)(TStartInfo&);
    };
    const TCase cases[] = {
        {"name length 129", [](TStartInfo& i) { i.MapNameLength = 129; }},
        {"no players", [](TStartInfo& i) { i.PlayerCount = 0; }},
        {"16 players", [](TStartInfo& i) { i.PlayerCount = 16; }},
        {"player beyond the count", [](TStartInfo& i) { i.PlayerNumber = 3; }},
        {"the neutral player", [](TStartInfo& i) { i.PlayerNumber = 0; }},
        {"NUL inside the map name", [](TStartInfo& i) { i.MapNameChars[2] = '\0'; }},
    };
    int refused = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TStartInfo info = Record(5, 2, 2);
        c.spoil(info);
        host->Adapter().Send(StartPacket(info).data(), StartPacketSize, host->Adapter().GetClient(0));
        // One line, counting up.
        const std::string line = ++refused == 1 ? "Packet-Error" : "Packet-Error (" + std::to_string(refused) + ")";
        ASSERT_TRUE(RunUntil(loop, [&] { return clientShell.lobby == std::vector<std::string>{line}; }));
        EXPECT_EQ(client->GetGame(), nullptr);
    }
    host->Adapter().Send(StartPacket(Record(5, 2, 2)).data(), StartPacketSize, host->Adapter().GetClient(0));
    EXPECT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; })) << "a sound record starts";
}

// 2 MiB of zero-length packets from a peer that had only greeted: each
// taken packet moved the rest of the buffer, and each wrote a lobby line.
TEST_F(TcpControllerTest, ZeroLengthPacketFloodShowsOneCountedLineAndDisconnectsThePeer) {
    MakeHost();
    TRawSocket raw = TRawSocket::ConnectTo(host->Adapter().Port);
    TPacketBytes greeting;
    EncodeGreeting(LocalGreeting(), greeting);
    raw.Write(Framed(greeting));
    ASSERT_TRUE(RunUntil(loop, [&] { return host->PlayerNames().size() == 1; }));
    const TBytes flood(2 << 20, 0);
    std::thread writer([&] {
        try {
            raw.Write(flood);
        } catch (const std::exception&) {
            // The host closes the connection while we still write.
        }
    });
    EXPECT_TRUE(RunUntil(loop, [&] { return host->Adapter().ClientCount() == 0; }, std::chrono::seconds(20)));
    writer.join();
    ASSERT_EQ(hostShell.lobby.size(), 3u);
    EXPECT_EQ(hostShell.lobby[0], "A player joined the game");
    EXPECT_EQ(hostShell.lobby[1],
              "Packet-Error (" + std::to_string(TTcpController::MaxMalformedPackets + 1) + ")");
    EXPECT_EQ(hostShell.lobby[2], TranslateFmt("playerleft", {"Player 1"}));
}

// The host slept up to 250 ms for every command whose frame number, which the
// client sets, was stale: one client could stop everybody's game.
TEST_F(TcpControllerTest, HostSleepsOnDataAClientControlsAtMostOncePerFrame) {
    MakeHost();
    AddPeers(1);
    struct TCase {
        std::int32_t frame;  // of the 50 empty commands sent
        int sleep;           // the one sleep of the next frame, 0 for none
    };
    for (const TCase c : {TCase{40, 0}, TCase{30, 0}, TCase{25, 125}, TCase{5, 250}}) {
        SCOPED_TRACE(c.frame);
        // Reported frames only grow: a fresh game for each case.
        host->StartGame();
        HostFramesTo(40);
        for (int i = 0; i < 50; ++i) peers[0]->Send(CommandPacket(ckEmpty, 2, c.frame));
        Settle();
        hostShell.sleeps.clear();
        ASSERT_TRUE(frames.DoTimer(*host));
        EXPECT_EQ(hostShell.sleeps, c.sleep ? std::vector<int>{c.sleep} : std::vector<int>{});
    }
}

TEST_F(TcpControllerTest, CommandsWithImpossibleFramesOrNoEffectAreDroppedAndNotRelayed) {
    MakeHost();
    AddPeers(2);
    host->StartGame();
    HostFramesTo(20);
    peers[0]->Send(CommandPacket(ckSelectAll, 2, 12));  // taken: reports frame 12
    struct TCase {
        std::uint8_t kind;
        std::int32_t frame;
        bool taken;
    };
    const TCase cases[] = {
        {ckSelectAll, 21, false},  // beyond the host's frame
        {ckSelectAll, 11, false},  // before the frame already reported
        {2, 15, false},           {5, 15, false}, {255, 15, false},  // kinds without effect
        {ckSelectAll, 15, true},  {ckEmpty, 16, false},  // an empty command joins no frame
    };
    for (const TCase& c : cases) peers[0]->Send(CommandPacket(c.kind, 2, c.frame));
    Settle();
    ASSERT_TRUE(frames.DoTimer(*host));
    EXPECT_EQ(host->FrameHeader.Count, 2);
    // Relayed: the two taken commands and the empty one, nothing else.
    EXPECT_EQ(peers[1]->CountOf(ptCommand, CommandPacketSize), 3);
}

// One client sending ptReady several times released the host's ready wait
// before the other clients were ready.
TEST_F(TcpControllerTest, ReadinessCountedPerPacketInsteadOfPerClient) {
    MakeHost();
    AddPeers(2);
    peers[0]->readies = 5;
    peers[1]->readies = 0;
    bool secondReady = false;
    int turns = 0;
    hostShell.onProcessMessages = [&] {
        // Give up rather than hang should the second ready never count.
        if (++turns > 100000) hostShell.terminated = true;
        // Once the first client's five notes are in, and some turns later.
        if (secondReady || host->Adapter().BytesReceived < 5 * 3 || turns < 100) return;
        EXPECT_EQ(host->ReadyCount, 1) << "the first client counts once";
        secondReady = true;
        const std::uint8_t ready = ptReady;
        peers[1]->adapter->Send(&ready, 1);
    };
    host->StartGame();
    hostShell.onProcessMessages = nullptr;
    EXPECT_TRUE(secondReady) << "the wait ended before the second client was ready";
    EXPECT_EQ(host->ReadyCount, 2);
    Settle();
    // Each client's ready goes on to the others once.
    EXPECT_EQ(peers[1]->CountOf(ptReady, 1), 2);
}

TEST_F(TcpControllerTest, FifteenthClientIsRefusedAtOnce) {
    MakeHost();
    std::vector<TRawSocket> sockets;
    TPacketBytes greeting;
    EncodeGreeting(LocalGreeting(), greeting);
    for (int i = 0; i < TTcpController::MaxClients + 1; ++i) {
        sockets.push_back(TRawSocket::ConnectTo(host->Adapter().Port));
        // The last is refused at once, before it could greet.
        if (i < TTcpController::MaxClients) sockets.back().Write(Framed(greeting));
        Settle();
    }
    ASSERT_TRUE(RunUntil(loop, [&] { return hostShell.lobby.size() >= 14u; }));
    Settle();
    EXPECT_EQ(host->Adapter().ClientCount(), TTcpController::MaxClients);
    EXPECT_EQ(host->PlayerNames().size(), 14u);
    EXPECT_EQ(hostShell.lobby.size(), 14u) << "the refused one neither joins nor leaves";
    // The refused connection is closed: reading it ends at once.
    pollfd closed{sockets.back().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&closed, 1, 3000), 1);
    char byte;
    EXPECT_EQ(::recv(sockets.back().Fd(), &byte, 1, MSG_DONTWAIT), 0);
    // The others stay connected: they have the lists of players present to
    // read, and after them no end of the stream.
    char buffer[4096];
    ssize_t got = 0, n = 0;
    while ((n = ::recv(sockets.front().Fd(), buffer, sizeof buffer, MSG_DONTWAIT)) > 0) got += n;
    EXPECT_GT(got, 0);
    EXPECT_EQ(n, -1) << "the others stay connected";
    EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);
}

// A host running far ahead made a client queue frames without bound.
TEST_F(TcpControllerTest, HostFarAheadIsConnectionInterruptedNotAnUnboundedQueue) {
    MakeHost();
    MakeClient();
    const TStartInfo info = Record(3, 2, 2);
    TTcpAdapter& hub = host->Adapter();
    hub.Send(StartPacket(info).data(), StartPacketSize, hub.GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; }));
    const TBytes frame = EmptyFramePacket(0, 0);
    for (std::size_t i = 0; i < TTcpController::MaxQueuedFrames + 50; ++i) {
        hub.Send(frame.data(), frame.size(), hub.GetClient(0));
        if (i % 500 == 0) loop.Poll();
    }
    ASSERT_TRUE(RunUntil(loop, [&] { return client->QueuedFrames() == TTcpController::MaxQueuedFrames; }));
    Settle();
    EXPECT_EQ(client->QueuedFrames(), TTcpController::MaxQueuedFrames);
    TFrameLoop clientFrames;
    EXPECT_FALSE(clientFrames.DoTimer(*client));
    ASSERT_EQ(clientShell.errors.size(), 1u);
    EXPECT_EQ(clientShell.errors[0], Translate("connectioninterrupted"));
}

// A client whose host's connection has ended played the frames it had and
// then waited out its whole frame wait (30 s by default) for frames that
// could not come: on top of the socket's own 25 s, a vanished host went
// unnoticed too long. The wait now gives up once the connection is gone.
TEST_F(TcpControllerTest, ClientPlaysWhatItHasThenGivesUpAtOnceWhenTheHostsConnectionEnds) {
    MakeHost();
    MakeClient();
    client->FrameWait = std::chrono::milliseconds(1000000);
    const TStartInfo info = Record(5, 2, 2);
    TTcpAdapter& hub = host->Adapter();
    hub.Send(StartPacket(info).data(), StartPacketSize, hub.GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; }));
    const TBytes frame = EmptyFramePacket(0, FirstChecksum(info));
    hub.Send(frame.data(), frame.size(), hub.GetClient(0));
    hub.Disconnect(hub.GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->Adapter().State != 2; }));

    TFrameLoop clientFrames;
    EXPECT_TRUE(clientFrames.DoTimer(*client)) << "the frame that came before the close is played";
    EXPECT_EQ(client->RequireGame().Frame, 1);
    const std::uint32_t ticksBefore = clientShell.ticks;
    EXPECT_FALSE(clientFrames.DoTimer(*client));
    ASSERT_EQ(clientShell.errors.size(), 1u);
    EXPECT_EQ(clientShell.errors[0], Translate("connectioninterrupted"));
    // The shell's clock advances one tick per look: the wait looked a few
    // times, not until its frame wait ran out.
    EXPECT_LT(clientShell.ticks - ticksBefore, 100u);
}

}  // namespace
