// Finding games over UDP on loopback: a hosting copy's beacon answers, the
// finder lists it, and a peer that answers with garbage or floods the finder
// gets nowhere. Everything here stays on 127.0.0.1.
#include <gtest/gtest.h>

#include <ifaddrs.h>
#include <net/if.h>

#include <cstdlib>

#include "control/discovery_datagram.h"
#include "control/game_finder.h"
#include "control/lobby_beacon.h"
#include "platform/udp_discovery.h"
#include "tests/platform/socket_test_support.h"

using namespace orbitfall;
using namespace orbitfall::testing;
using namespace std::chrono_literals;

namespace {

const std::vector<std::string> Here{"127.0.0.1"};

// A UDP socket on a free loopback port that plays a host by hand.
class RawUdp {
public:
    RawUdp() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address = Loopback(0);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        timeval wait{3, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~RawUdp() { ::close(fd_); }
    int Port() const { return port_; }
    // The next datagram and who sent it.
    std::vector<std::uint8_t> Receive(sockaddr_in& from) {
        std::vector<std::uint8_t> buffer(2048);
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
        buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return buffer;
    }
    void SendTo(const sockaddr_in& to, const std::vector<std::uint8_t>& bytes) {
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    void SendTo(int port, const std::vector<std::uint8_t>& bytes) { SendTo(Loopback(port), bytes); }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A free UDP port on loopback (bound and released).
int FreeUdpPort() {
    RawUdp probe;
    return probe.Port();
}

}  // namespace

TEST(UdpDiscovery, LoopbackSettingKeepsQueriesOnThisMachine) {
    const char* old = std::getenv(DiscoveryEnvironment);
    const std::string saved = old ? old : "";
    ::setenv(DiscoveryEnvironment, "loopback", 1);
    EXPECT_EQ(DiscoveryTargets(), Here);
    ::unsetenv(DiscoveryEnvironment);
    // Without it: the broadcast addresses of this machine's interfaces (or
    // loopback), never a single host elsewhere.
    std::vector<std::string> broadcasts{"127.0.0.1"};
    ifaddrs* list = nullptr;
    ASSERT_EQ(::getifaddrs(&list), 0);
    for (const ifaddrs* e = list; e != nullptr; e = e->ifa_next)
        if (e->ifa_addr && e->ifa_addr->sa_family == AF_INET && (e->ifa_flags & IFF_BROADCAST) && e->ifa_broadaddr) {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(e->ifa_broadaddr)->sin_addr, text, sizeof text);
            broadcasts.push_back(text);
        }
    ::freeifaddrs(list);
    const auto targets = DiscoveryTargets();
    EXPECT_FALSE(targets.empty());
    for (const std::string& target : targets)
        EXPECT_NE(std::find(broadcasts.begin(), broadcasts.end(), target), broadcasts.end()) << target;
    if (old) ::setenv(DiscoveryEnvironment, saved.c_str(), 1);
    else ::unsetenv(DiscoveryEnvironment);
}

TEST(UdpDiscovery, AHostInItsLobbyIsFoundAndAStartedOneIsNot) {
    TEventLoop loop;
    const int port = FreeUdpPort();
    bool started = false;
    int players = 2;
    TLobbyBeacon beacon(loop, port, [&]() -> std::optional<TLobbyState> {
        if (started) return std::nullopt;
        return TLobbyState{players, "Kreuzung", 4};
    });
    ASSERT_TRUE(beacon.Listening());
    TGameFinder finder(loop);
    ASSERT_EQ(finder.Begin(port, Here), 1);
    ASSERT_TRUE(RunUntil(loop, [&] { return finder.Games().size() == 1; }));
    const TFoundGame& game = finder.Games()[0];
    EXPECT_EQ(game.Address, "127.0.0.1");
    EXPECT_EQ(game.Answer.Port, port);
    EXPECT_EQ(game.Answer.Map, "Kreuzung");
    EXPECT_EQ(game.Answer.Players, 2);
    EXPECT_EQ(game.Answer.StartViews, 4);
    EXPECT_EQ(finder.QueryBytes(), DiscoveryQuerySize);
    EXPECT_EQ(beacon.AnswersSent(), 1u);
    EXPECT_EQ(finder.AnswerBytes(), beacon.BytesSent());

    // A new round sees the lobby as it is now.
    players = 3;
    finder.Begin(port, Here);
    ASSERT_TRUE(RunUntil(loop, [&] { return finder.Games().size() == 1; }));
    EXPECT_EQ(finder.Games()[0].Answer.Players, 3);

    started = true;
    finder.Begin(port, Here);
    for (int i = 0; i < 20; ++i) loop.RunFor(10ms);
    EXPECT_TRUE(finder.Games().empty());
    EXPECT_EQ(beacon.AnswersSent(), 2u);
}

TEST(UdpDiscovery, ASecondBeaconOnATakenPortSaysSoAndTheFirstGoesOn) {
    TEventLoop loop;
    const int port = FreeUdpPort();
    auto state = []() -> std::optional<TLobbyState> { return TLobbyState{1, "Weite", 6}; };
    TLobbyBeacon first(loop, port, state);
    TLobbyBeacon second(loop, port, state);
    EXPECT_TRUE(first.Listening());
    EXPECT_FALSE(second.Listening());
    TGameFinder finder(loop);
    finder.Begin(port, Here);
    EXPECT_TRUE(RunUntil(loop, [&] { return finder.Games().size() == 1; }));
}

TEST(UdpDiscovery, GarbageAndFloodsFromOnePeerLeaveOneCleanEntryAndTheLoopResponsive) {
    TEventLoop loop;
    RawUdp peer;
    TGameFinder finder(loop);
    ASSERT_EQ(finder.Begin(peer.Port(), Here), 1);
    sockaddr_in from{};
    const auto query = peer.Receive(from);
    const auto token = DecodeDiscoveryQuery(query.data(), query.size());
    ASSERT_TRUE(token);

    // Empty, truncated, 64 KiB, wrong magic: all dropped.
    TDiscoveryAnswer answer;
    answer.Token = *token;
    answer.Port = peer.Port();
    answer.Players = 1;
    answer.StartViews = 2;
    answer.Name = "ok";
    const auto good = EncodeDiscoveryAnswer(answer);
    peer.SendTo(from, {});
    peer.SendTo(from, std::vector<std::uint8_t>(good.begin(), good.begin() + 10));
    peer.SendTo(from, std::vector<std::uint8_t>(65507, 'A'));
    auto huge = good;
    huge.resize(65507, 'A');
    peer.SendTo(from, huge);
    // A name with control bytes and invalid UTF-8, sent raw.
    std::vector<std::uint8_t> dirty(good.begin(), good.begin() + 13);
    const std::string name = "evil\x1b[31m\xFF";
    dirty.push_back(static_cast<std::uint8_t>(name.size()));
    dirty.insert(dirty.end(), name.begin(), name.end());
    dirty.push_back(0);
    peer.SendTo(from, dirty);
    ASSERT_TRUE(RunUntil(loop, [&] { return finder.Games().size() == 1; }));
    EXPECT_EQ(finder.Games()[0].Answer.Name, "evil?[31m?");
    EXPECT_EQ(finder.Datagrams(), 5u);

    // A thousand answers from the same address: still one entry, and every
    // turn of the loop returns quickly.
    for (int i = 0; i < 1000; ++i) {
        answer.Players = 1 + i % 15;
        peer.SendTo(from, EncodeDiscoveryAnswer(answer));
    }
    auto longest = 0ms;
    for (int i = 0; i < 50 && finder.Running(); ++i) {
        const auto before = std::chrono::steady_clock::now();
        loop.RunFor(5ms);
        longest = std::max(longest, std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - before));
    }
    EXPECT_EQ(finder.Games().size(), 1u);
    EXPECT_EQ(finder.Games()[0].Answer.Name, "ok");
    EXPECT_GE(finder.Datagrams(), 50u);  // many were read (the kernel drops what its buffer cannot hold)
    EXPECT_LE(finder.Datagrams(), TDiscoveryRound::MaxDatagrams);
    EXPECT_LT(longest, 1000ms);
}

TEST(UdpDiscovery, TheResponderHoldsAFloodOfQueriesToItsAnswerRate) {
    TEventLoop loop;
    const int port = FreeUdpPort();
    TLobbyBeacon beacon(loop, port, [] { return std::optional<TLobbyState>(TLobbyState{1, "Zweikampf", 2}); });
    ASSERT_TRUE(beacon.Listening());
    RawUdp peer;
    for (int i = 0; i < 500; ++i) peer.SendTo(port, EncodeDiscoveryQuery(static_cast<std::uint32_t>(i)));
    for (int i = 0; i < 20; ++i) loop.RunFor(5ms);
    EXPECT_GT(beacon.AnswersSent(), 0u);
    EXPECT_LE(beacon.AnswersSent(), static_cast<std::uint64_t>(TUdpResponder::MaxAnswersPerSecond) * 2);
}
