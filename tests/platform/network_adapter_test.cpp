#include "control/network_adapter.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/tcp_connection_state.h"
#include "socket_test_support.h"

namespace orbitfall {
namespace {

using testing::Frame;
using testing::RunUntil;
using testing::Settle;
using testing::TRawListener;
using testing::TRawSocket;
using TBytes = std::vector<std::uint8_t>;

struct TReceived {
    TBytes payload;
    TNetworkadapter::TConnection connection;
};

// An adapter with every event recorded.
struct TProbe {
    explicit TProbe(TEventLoop& loop) : adapter(std::make_unique<TTcpAdapter>(loop)) {
        adapter->OnReceive = [this](TNetworkadapter&, TPointerStream& stream, const std::uint8_t* buffer,
                                    std::size_t size, TNetworkadapter::TConnection connection) {
            EXPECT_EQ(stream.Size(), size);
            EXPECT_EQ(stream.Position(), 0u);
            TBytes payload(size);
            if (size > 0) stream.Read(payload.data(), size);
            EXPECT_TRUE(size == 0 || std::equal(payload.begin(), payload.end(), buffer));
            received.push_back({payload, connection});
            if (onPacket) onPacket(connection);
        };
        adapter->OnClientConnect = [this](TNetworkadapter&, TNetworkadapter::TConnection c) {
            connected.push_back(c);
        };
        adapter->OnClientDisconnect = [this](TNetworkadapter& a, TNetworkadapter::TConnection c) {
            disconnected.push_back(c);
            countsAtDisconnect.push_back(a.ClientCount());
            bool listed = false;
            for (int i = 0; i < a.ClientCount(); ++i) listed = listed || a.GetClient(i) == c;
            EXPECT_TRUE(listed) << "the leaving client is gone before its event";
        };
        adapter->OnDisconnect = [this](TNetworkadapter&) { ++serverLost; };
    }
    // Destruction disconnects every client and reports it: the records must
    // still exist then.
    ~TProbe() { adapter.reset(); }

    void Listen() {
        adapter->Port = 0;
        adapter->Listen();
    }
    // Connects to a listening adapter's port and waits for the outcome.
    void Join(TEventLoop& loop, int port, const std::string& host = "127.0.0.1") {
        adapter->Port = port;
        adapter->Connect(host);
        EXPECT_EQ(adapter->State, 1);
        RunUntil(loop, [&] { return adapter->State != 1; });
    }

    std::unique_ptr<TTcpAdapter> adapter;
    std::vector<TReceived> received;
    std::vector<TNetworkadapter::TConnection> connected;
    std::vector<TNetworkadapter::TConnection> disconnected;
    std::vector<int> countsAtDisconnect;
    int serverLost = 0;
    std::function<void(TNetworkadapter::TConnection)> onPacket;
};

// A listening adapter with raw peers connected in order.
struct TServerWithPeers {
    TServerWithPeers(TEventLoop& l, int count) : loop(l), server(l) {
        server.Listen();
        for (int i = 0; i < count; ++i) {
            peers.push_back(TRawSocket::ConnectTo(server.adapter->Port));
            // One at a time, so the acceptance order is the peers' order.
            EXPECT_TRUE(RunUntil(loop, [&] { return server.adapter->ClientCount() == i + 1; }));
        }
    }
    TEventLoop& loop;
    TProbe server;
    std::vector<TRawSocket> peers;
};

TBytes Payload(std::size_t size, int seed = 1) {
    TBytes payload(size);
    for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 13 + seed);
    return payload;
}

TEST(TcpAdapter, ListenWithPortZeroReportsTheBoundPort) {
    TEventLoop loop;
    TProbe server(loop);
    server.Listen();
    EXPECT_NE(server.adapter->Port, 0);
    EXPECT_EQ(server.adapter->State, 2);
    EXPECT_TRUE(server.adapter->IsServer);
    EXPECT_EQ(server.adapter->ClientCount(), 0);
}

TEST(TcpAdapter, OperationsInTheWrongStateAreRefused) {
    TEventLoop loop;
    auto expectError = [](auto action, const char* text) {
        try {
            action();
            ADD_FAILURE() << "no exception, expected " << text;
        } catch (const ETcpAdapterError& e) {
            EXPECT_STREQ(e.what(), text);
        }
    };
    TTcpAdapter idle(loop);
    expectError([&] { idle.Disconnect(); }, "Not connected");
    expectError([&] { idle.GetClient(0); }, "Invalid Client Index");
    expectError([&] { idle.Send(nullptr, 65534); }, "Packet too large");

    TServerWithPeers hub(loop, 1);
    TTcpAdapter& server = *hub.server.adapter;
    expectError([&] { server.Connect("127.0.0.1"); }, "Already Connected");
    expectError([&] { server.Listen(); }, "Already Connected");
    expectError([&] { server.GetClient(1); }, "Invalid Client Index");
    expectError([&] { server.GetClient(-1); }, "Invalid Client Index");
    EXPECT_EQ(server.State, 2);
    EXPECT_NE(server.GetClient(0), nullptr);

    TProbe connecting(loop);
    connecting.adapter->Port = server.Port;
    connecting.adapter->Connect("127.0.0.1");
    expectError([&] { connecting.adapter->Connect("127.0.0.1"); }, "Already Connected");
    expectError([&] { connecting.adapter->Disconnect(); }, "Not connected");
}

TEST(TcpAdapter, TwoPacketsInOneWriteAreDeliveredInOrder) {
    TEventLoop loop;
    TServerWithPeers hub(loop, 1);
    TBytes bytes = Frame({'o', 'n', 'e'});
    TBytes second = Frame({'t', 'w', 'o', '!'});
    bytes.insert(bytes.end(), second.begin(), second.end());
    hub.peers[0].Write(bytes);
    ASSERT_TRUE(RunUntil(loop, [&] { return hub.server.received.size() == 2; }));
    EXPECT_EQ(hub.server.received[0].payload, (TBytes{'o', 'n', 'e'}));
    EXPECT_EQ(hub.server.received[1].payload, (TBytes{'t', 'w', 'o', '!'}));
    EXPECT_EQ(hub.server.received[0].connection, hub.server.adapter->GetClient(0));
}

TEST(TcpAdapter, PacketArrivingOneByteAtATimeIsDeliveredOnceAfterItsLastByte) {
    TEventLoop loop;
    TServerWithPeers hub(loop, 1);
    const TBytes frame = Frame({5, 6, 7});
    for (std::size_t i = 0; i < frame.size(); ++i) {
        hub.peers[0].Write({frame[i]});
        Settle(loop);
        EXPECT_EQ(hub.server.received.size(), i + 1 == frame.size() ? 1u : 0u) << "after byte " << i;
    }
    Settle(loop);
    ASSERT_EQ(hub.server.received.size(), 1u);
    EXPECT_EQ(hub.server.received[0].payload, (TBytes{5, 6, 7}));
}

TEST(TcpAdapter, EdgeLengthsAreReceived) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65533}, std::size_t{65535}}) {
        SCOPED_TRACE(size);
        TEventLoop loop;
        TServerWithPeers hub(loop, 1);
        const TBytes payload = Payload(size);
        hub.peers[0].Write(Frame(payload));
        ASSERT_TRUE(RunUntil(loop, [&] { return hub.server.received.size() == 1; }));
        EXPECT_EQ(hub.server.received[0].payload, payload);
    }
}

TEST(TcpAdapter, SendFramesUpTo65533BytesAndRefusesMore) {
    TEventLoop loop;
    TServerWithPeers hub(loop, 1);
    TTcpAdapter& server = *hub.server.adapter;
    const TBytes largest = Payload(65533);
    server.Send(largest.data(), largest.size(), server.GetClient(0));
    const TBytes frame = hub.peers[0].ReadExactly(loop, 65535);
    ASSERT_EQ(frame.size(), 65535u);
    EXPECT_EQ(frame[0], 0xFD);
    EXPECT_EQ(frame[1], 0xFF);
    EXPECT_TRUE(std::equal(largest.begin(), largest.end(), frame.begin() + 2));

    const TBytes tooLarge = Payload(65534);
    EXPECT_THROW(server.Send(tooLarge.data(), tooLarge.size()), ETcpAdapterError);
    server.Send(nullptr, 0);  // an empty packet is a valid one
    EXPECT_EQ(hub.peers[0].ReadExactly(loop, 2), (TBytes{0, 0}));
    Settle(loop);
    EXPECT_TRUE(hub.peers[0].ReadNow().empty());
}

TEST(TcpAdapter, ServerRelaysAClientPacketOnlyWhenTheFilterAcceptsIt) {
    enum class TFilter { AcceptAll, RefuseAll, Unset };
    for (TFilter filter : {TFilter::AcceptAll, TFilter::RefuseAll, TFilter::Unset}) {
        SCOPED_TRACE(static_cast<int>(filter));
        TEventLoop loop;
        TServerWithPeers hub(loop, 3);
        TTcpAdapter& server = *hub.server.adapter;
        const bool relays = filter == TFilter::AcceptAll;
        std::vector<std::size_t> filtered;
        if (filter != TFilter::Unset) {
            server.RelayFilter = [&](const std::uint8_t*, std::size_t size, TNetworkadapter::TConnection c) {
                EXPECT_EQ(c, server.GetClient(1));
                filtered.push_back(size);
                return relays;
            };
        }
        // The relay goes out before the server's own handler runs.
        hub.server.onPacket = [&](TNetworkadapter::TConnection) {
            pollfd waiting{hub.peers[0].Fd(), POLLIN, 0};
            EXPECT_EQ(::poll(&waiting, 1, 0), relays ? 1 : 0);
        };
        const TBytes payload{'c', 'm', 'd'};
        hub.peers[1].Write(Frame(payload));
        ASSERT_TRUE(RunUntil(loop, [&] { return hub.server.received.size() == 1; }));
        EXPECT_EQ(hub.server.received[0].payload, payload);
        EXPECT_EQ(hub.server.received[0].connection, server.GetClient(1));
        EXPECT_EQ(filtered.size(), filter == TFilter::Unset ? 0u : 1u);
        for (auto& peer : hub.peers) {
            TBytes got = relays ? peer.ReadExactly(loop, 5) : TBytes{};
            Settle(loop);
            TBytes rest = peer.ReadNow();
            got.insert(got.end(), rest.begin(), rest.end());
            EXPECT_EQ(got, relays ? Frame(payload) : TBytes{});
        }
    }
}

TEST(TcpAdapter, ClientIndexesShiftWhenAnEarlierClientLeaves) {
    for (bool serverCloses : {false, true}) {
        SCOPED_TRACE(serverCloses ? "server closes" : "peer closes");
        TEventLoop loop;
        TServerWithPeers hub(loop, 3);
        TTcpAdapter& server = *hub.server.adapter;
        TNetworkadapter::TConnection first = server.GetClient(0);
        TNetworkadapter::TConnection second = server.GetClient(1);
        TNetworkadapter::TConnection third = server.GetClient(2);
        if (serverCloses) {
            server.Disconnect(first);
            EXPECT_EQ(hub.server.disconnected.size(), 1u);  // before Disconnect returned
        } else {
            hub.peers[0].Close();
            ASSERT_TRUE(RunUntil(loop, [&] { return !hub.server.disconnected.empty(); }));
        }
        Settle(loop);
        ASSERT_EQ(hub.server.disconnected.size(), 1u);
        EXPECT_EQ(hub.server.disconnected[0], first);
        EXPECT_EQ(hub.server.countsAtDisconnect[0], 3);
        EXPECT_EQ(server.ClientCount(), 2);
        EXPECT_EQ(server.GetClient(0), second);
        EXPECT_EQ(server.GetClient(1), third);
        // The remaining clients are still addressed by their new index.
        const TBytes hello{'h', 'i'};
        server.Send(hello.data(), hello.size(), server.GetClient(0));
        EXPECT_EQ(hub.peers[1].ReadExactly(loop, 4), Frame(hello));
    }
}

TEST(TcpAdapter, DisconnectingAllKeepsListeningAndEndsEveryClientOnce) {
    TEventLoop loop;
    TServerWithPeers hub(loop, 3);
    TTcpAdapter& server = *hub.server.adapter;
    server.Disconnect();
    EXPECT_EQ(hub.server.countsAtDisconnect, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(server.ClientCount(), 0);
    EXPECT_EQ(server.State, 2);
    Settle(loop);
    EXPECT_EQ(hub.server.disconnected.size(), 3u);
    TRawSocket late = TRawSocket::ConnectTo(server.Port);
    EXPECT_TRUE(RunUntil(loop, [&] { return server.ClientCount() == 1; }));
}

TEST(TcpAdapter, ClientJoinsTalksBothWaysAndLeaves) {
    TEventLoop loop;
    TProbe server(loop);
    server.Listen();
    TProbe client(loop);
    client.Join(loop, server.adapter->Port, "localhost");
    ASSERT_EQ(client.adapter->State, 2);
    EXPECT_FALSE(client.adapter->IsServer);
    EXPECT_EQ(client.adapter->ClientCount(), 0);
    ASSERT_TRUE(RunUntil(loop, [&] { return server.connected.size() == 1; }));

    const TBytes up{'u', 'p'};
    client.adapter->Send(up.data(), up.size());
    ASSERT_TRUE(RunUntil(loop, [&] { return server.received.size() == 1; }));
    EXPECT_EQ(server.received[0].payload, up);

    const TBytes down{'d', 'o', 'w', 'n'};
    server.adapter->Send(down.data(), down.size());
    ASSERT_TRUE(RunUntil(loop, [&] { return client.received.size() == 1; }));
    EXPECT_EQ(client.received[0].payload, down);

    client.adapter->Disconnect();
    EXPECT_EQ(client.serverLost, 1);
    EXPECT_EQ(client.adapter->State, 0);
    ASSERT_TRUE(RunUntil(loop, [&] { return server.disconnected.size() == 1; }));
    // Sending after the end reaches nobody and raises nothing.
    client.adapter->Send(up.data(), up.size());
    Settle(loop);
    EXPECT_EQ(client.serverLost, 1);
    EXPECT_EQ(server.received.size(), 1u);
}

TEST(TcpAdapter, ClientSeesTheServerGoOnceAndCanJoinAgain) {
    TEventLoop loop;
    TProbe client(loop);
    {
        TProbe server(loop);
        server.Listen();
        client.Join(loop, server.adapter->Port);
        ASSERT_EQ(client.adapter->State, 2);
        ASSERT_TRUE(RunUntil(loop, [&] { return server.connected.size() == 1; }));
        server.adapter.reset();  // destruction disconnects every client first
        EXPECT_EQ(server.disconnected.size(), 1u);
    }
    ASSERT_TRUE(RunUntil(loop, [&] { return client.serverLost == 1; }));
    EXPECT_EQ(client.adapter->State, 0);
    Settle(loop);
    EXPECT_EQ(client.serverLost, 1);

    TProbe other(loop);
    other.Listen();
    client.Join(loop, other.adapter->Port);
    EXPECT_EQ(client.adapter->State, 2);
}

TEST(TcpAdapter, RefusedConnectionEndsInStateZeroWithoutException) {
    TEventLoop loop;
    TProbe client(loop);
    testing::TRefusingPort refusing;
    client.adapter->Port = refusing.Port();
    client.adapter->Connect("127.0.0.1");
    EXPECT_EQ(client.adapter->State, 1);
    EXPECT_NO_THROW(RunUntil(loop, [&] { return client.adapter->State != 1; }));
    EXPECT_EQ(client.adapter->State, 0);
    EXPECT_EQ(client.serverLost, 0);
    EXPECT_THROW(client.adapter->Disconnect(), ETcpAdapterError);
    const TBytes lost{1};
    EXPECT_NO_THROW(client.adapter->Send(lost.data(), lost.size()));
}

TEST(TcpAdapter, HandlerThatDisconnectsItsOwnConnectionStopsTheDrain) {
    for (bool onServer : {true, false}) {
        SCOPED_TRACE(onServer ? "server" : "client");
        TEventLoop loop;
        TBytes three = Frame({1});
        for (std::uint8_t n : {2, 3}) {
            TBytes more = Frame({n});
            three.insert(three.end(), more.begin(), more.end());
        }
        if (onServer) {
            TServerWithPeers hub(loop, 2);
            TTcpAdapter& server = *hub.server.adapter;
            hub.server.onPacket = [&](TNetworkadapter::TConnection c) { server.Disconnect(c); };
            hub.peers[1].Write(three);
            ASSERT_TRUE(RunUntil(loop, [&] { return !hub.server.disconnected.empty(); }));
            Settle(loop);
            ASSERT_EQ(hub.server.received.size(), 1u);
            EXPECT_EQ(hub.server.received[0].payload, TBytes{1});
            EXPECT_EQ(hub.server.disconnected.size(), 1u);
            EXPECT_EQ(server.ClientCount(), 1);
        } else {
            TRawListener listener;
            TProbe client(loop);
            client.adapter->Port = listener.Port();
            client.adapter->Connect("127.0.0.1");
            TRawSocket peer = listener.Accept(loop);
            ASSERT_TRUE(RunUntil(loop, [&] { return client.adapter->State == 2; }));
            client.onPacket = [&](TNetworkadapter::TConnection) { client.adapter->Disconnect(); };
            peer.Write(three);
            ASSERT_TRUE(RunUntil(loop, [&] { return client.serverLost == 1; }));
            Settle(loop);
            ASSERT_EQ(client.received.size(), 1u);
            EXPECT_EQ(client.serverLost, 1);
            EXPECT_EQ(client.adapter->State, 0);
        }
    }
}

TEST(TcpAdapter, ClientDeliversWhatTheServerSendsInAnyChunking) {
    TEventLoop loop;
    TRawListener listener;
    TProbe client(loop);
    client.adapter->Port = listener.Port();
    client.adapter->Connect("127.0.0.1");
    TRawSocket peer = listener.Accept(loop);
    ASSERT_TRUE(RunUntil(loop, [&] { return client.adapter->State == 2; }));
    TBytes stream;
    for (std::size_t size : {0u, 3u, 65535u, 1u}) {
        TBytes frame = Frame(Payload(size, static_cast<int>(size)));
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    // Split inside a length field and inside a payload.
    peer.Write(TBytes(stream.begin(), stream.begin() + 3));
    Settle(loop);
    peer.Write(TBytes(stream.begin() + 3, stream.begin() + 40));
    Settle(loop);
    peer.Write(TBytes(stream.begin() + 40, stream.end()));
    ASSERT_TRUE(RunUntil(loop, [&] { return client.received.size() == 4; }));
    EXPECT_EQ(client.received[2].payload, Payload(65535, 65535));
    EXPECT_EQ(client.received[3].payload, Payload(1, 1));
}

// What a correct reader makes of a byte stream: every complete packet.
std::vector<TBytes> Packets(const TBytes& stream) {
    std::vector<TBytes> packets;
    std::size_t at = 0;
    while (stream.size() - at >= 2) {
        std::size_t length = stream[at] | (stream[at + 1] << 8);
        if (stream.size() - at - 2 < length) break;
        packets.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at + 2),
                             stream.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    return packets;
}

TEST(TcpAdapter, ArbitraryBytesFromAPeerNeverBreakTheServer) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        TEventLoop loop;
        TServerWithPeers hub(loop, 2);
        hub.server.adapter->RelayFilter = [](const std::uint8_t*, std::size_t size,
                                             TNetworkadapter::TConnection) { return size <= 65533; };
        std::mt19937 random(seed);
        TBytes stream;
        // Random bytes with small lengths mixed in, so that packets complete,
        // and a truncated frame at the end.
        while (stream.size() < 200000) {
            if (random() % 4 == 0) {
                TBytes frame = Frame(Payload(random() % 300, static_cast<int>(random())));
                stream.insert(stream.end(), frame.begin(), frame.end());
            } else {
                stream.push_back(static_cast<std::uint8_t>(random()));
            }
        }
        for (std::size_t at = 0; at < stream.size();) {
            std::size_t chunk = std::min<std::size_t>(1 + random() % 5000, stream.size() - at);
            hub.peers[1].Write(TBytes(stream.begin() + static_cast<std::ptrdiff_t>(at),
                                      stream.begin() + static_cast<std::ptrdiff_t>(at + chunk)));
            at += chunk;
            loop.Poll();
            hub.peers[0].ReadNow();  // keep the relay flowing
        }
        const std::vector<TBytes> expected = Packets(stream);
        RunUntil(loop, [&] {
            hub.peers[0].ReadNow();
            return hub.server.received.size() >= expected.size();
        });
        hub.peers[1].Close();
        ASSERT_TRUE(RunUntil(loop, [&] { return hub.server.disconnected.size() == 1; }));
        ASSERT_EQ(hub.server.received.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(hub.server.received[i].payload, expected[i]) << "packet " << i;
        EXPECT_EQ(hub.server.adapter->ClientCount(), 1);
    }
}

// A failure on one client's connection (other than the peer closing) was
// raised out of the event loop and ended the host's game for everyone.
TEST(TcpAdapter, OneClientsSocketErrorEndedTheServersLoop) {
    for (TSocketErrorKind kind : {TSocketErrorKind::Receive, TSocketErrorKind::Send}) {
        SCOPED_TRACE(static_cast<int>(kind));
        TEventLoop loop;
        TServerWithPeers hub(loop, 2);
        TTcpAdapter& server = *hub.server.adapter;
        TNetworkadapter::TConnection failing = server.GetClient(0);
        TNetworkadapter::TConnection staying = server.GetClient(1);
        // The socket layer's own error path, as a timed-out connection takes it.
        EXPECT_NO_THROW(failing->State().Fail(kind, asio::error::timed_out));
        ASSERT_EQ(hub.server.disconnected, std::vector<TNetworkadapter::TConnection>{failing});
        ASSERT_EQ(server.ClientCount(), 1);
        EXPECT_EQ(server.GetClient(0), staying);
        const TBytes hello{'o', 'n'};
        server.Send(hello.data(), hello.size());
        EXPECT_EQ(hub.peers[1].ReadExactly(loop, 4), Frame(hello));
    }
}

TEST(TcpAdapter, EnumerateHostsListsNothingAndClearsWhenAsked) {
    std::vector<std::string> hosts{"kept"};
    TTcpAdapter::EnumerateHosts(hosts, false);
    EXPECT_EQ(hosts, std::vector<std::string>{"kept"});
    TTcpAdapter::EnumerateHosts(hosts, true);
    EXPECT_TRUE(hosts.empty());
}

}  // namespace
}  // namespace orbitfall
