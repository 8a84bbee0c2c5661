#include <gtest/gtest.h>

#include <sys/resource.h>

#include <memory>
#include <numeric>

#include "platform/tcp_client.h"
#include "platform/tcp_server.h"
#include "socket_test_support.h"

namespace orbitfall {
namespace {

using testing::RunUntil;
using testing::Settle;
using testing::TRawListener;
using testing::TRawSocket;

// A listening socket with its events counted.
struct TServerProbe {
    explicit TServerProbe(TEventLoop& loop) : server(loop) {
        server.OnClientConnect = [this](TTcpConnection& c) {
            ++connects;
            last = &c;
        };
        server.OnClientDisconnect = [this](TTcpConnection&) { ++disconnects; };
        server.OnClientRead = [this](TTcpConnection& c) {
            ++reads;
            std::vector<std::uint8_t> chunk(c.BytesWaiting());
            chunk.resize(c.ReceiveBuf(chunk.data(), chunk.size()));
            received.insert(received.end(), chunk.begin(), chunk.end());
        };
        server.Open(0);
    }
    TTcpServer server;
    TTcpConnection* last = nullptr;
    int connects = 0;
    int disconnects = 0;
    int reads = 0;
    std::vector<std::uint8_t> received;
};

TEST(TcpSocket, AcceptedConnectionReadsAndEndsOnceWhenThePeerCloses) {
    TEventLoop loop;
    TServerProbe probe(loop);
    ASSERT_NE(probe.server.LocalPort(), 0);
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.connects == 1; }));
    peer.Write({1, 2, 3});
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.received.size() == 3; }));
    EXPECT_GE(probe.reads, 1);
    peer.Close();
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.disconnects == 1; }));
    Settle(loop);
    EXPECT_EQ(probe.connects, 1);
    EXPECT_EQ(probe.disconnects, 1);
    EXPECT_EQ(probe.server.ConnectionCount(), 0u);
}

TEST(TcpSocket, CloseDeliversTheDisconnectBeforeReturningAndOnlyOnce) {
    TEventLoop loop;
    TServerProbe probe(loop);
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.connects == 1; }));
    probe.last->Close();
    EXPECT_EQ(probe.disconnects, 1);
    Settle(loop);
    EXPECT_EQ(probe.disconnects, 1);
    // The peer sees the end of the stream.
    char byte;
    EXPECT_EQ(::recv(peer.Fd(), &byte, 1, 0), 0);
}

TEST(TcpSocket, LargeSendReturnsAtOnceAndArrivesWhole) {
    TEventLoop loop;
    TServerProbe probe(loop);
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.connects == 1; }));
    // Far more than the system buffers take while nobody reads: the rest
    // must be queued, in order, behind the first part.
    std::vector<std::uint8_t> data(8 << 20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 31 + (i >> 16));
    const std::size_t half = data.size() / 2;
    probe.last->SendBuf(data.data(), half);
    probe.last->SendBuf(data.data() + half, data.size() - half);
    EXPECT_EQ(peer.ReadExactly(loop, data.size()), data);
}

TEST(TcpSocket, ResetByThePeerIsThePeerClosingNotAnError) {
    TEventLoop loop;
    TServerProbe probe(loop);
    int errors = 0;
    probe.server.OnClientError = [&](TTcpConnection&, TSocketErrorKind, int&) { ++errors; };
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.connects == 1; }));
    const std::uint8_t unread[] = {1, 2, 3};
    probe.last->SendBuf(unread, sizeof unread);
    Settle(loop);
    peer.Reset();
    int raised = 0;
    ASSERT_TRUE(testing::RunCountingErrors(loop, raised, [&] { return probe.disconnects == 1; }));
    Settle(loop);
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(probe.disconnects, 1);
    EXPECT_EQ(probe.server.ConnectionCount(), 0u);
}

TEST(TcpSocket, ClientConnectsOnceAndEndsOnceWhenTheServerCloses) {
    TEventLoop loop;
    TRawListener listener;
    TTcpClient client(loop);
    int connects = 0;
    int disconnects = 0;
    std::vector<std::uint8_t> received;
    client.OnConnect = [&](TTcpConnection&) { ++connects; };
    client.OnDisconnect = [&](TTcpConnection&) { ++disconnects; };
    client.OnRead = [&](TTcpConnection& c) {
        std::vector<std::uint8_t> chunk(c.BytesWaiting());
        chunk.resize(c.ReceiveBuf(chunk.data(), chunk.size()));
        received.insert(received.end(), chunk.begin(), chunk.end());
    };
    client.Open("127.0.0.1", listener.Port());
    // Sent while still connecting: goes out once connected.
    const std::uint8_t early[] = {7, 8};
    client.Connection().SendBuf(early, sizeof early);
    TRawSocket peer = listener.Accept(loop);
    ASSERT_TRUE(RunUntil(loop, [&] { return connects == 1; }));
    EXPECT_EQ(peer.ReadExactly(loop, 2), (std::vector<std::uint8_t>{7, 8}));
    peer.Write({9});
    ASSERT_TRUE(RunUntil(loop, [&] { return received.size() == 1; }));
    peer.Close();
    ASSERT_TRUE(RunUntil(loop, [&] { return disconnects == 1; }));
    Settle(loop);
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(disconnects, 1);
    EXPECT_FALSE(client.Connection().Connected());
}

TEST(TcpSocket, RefusedConnectionIsAnErrorRaisedUnlessHandled) {
    for (bool handled : {false, true}) {
        SCOPED_TRACE(handled ? "handled" : "unhandled");
        TEventLoop loop;
        TTcpClient client(loop);
        int errors = 0;
        int disconnects = 0;
        if (handled) {
            client.OnError = [&](TTcpConnection&, TSocketErrorKind kind, int& code) {
                EXPECT_EQ(kind, TSocketErrorKind::Connect);
                EXPECT_NE(code, 0);
                ++errors;
                code = 0;
            };
        }
        client.OnDisconnect = [&](TTcpConnection&) { ++disconnects; };
        testing::TRefusingPort refusing;
        client.Open("127.0.0.1", refusing.Port());
        int raised = 0;
        testing::RunCountingErrors(loop, raised, [&] { return raised > 0 || errors > 0; });
        testing::RunCountingErrors(loop, raised, [] { return false; }, std::chrono::milliseconds(50));
        EXPECT_EQ(raised, handled ? 0 : 1);
        EXPECT_EQ(errors, handled ? 1 : 0);
        EXPECT_EQ(disconnects, 0);  // never established
    }
}

TEST(TcpSocket, OwnerMayDestroyTheClientInsideItsOwnEvents) {
    TEventLoop loop;
    TRawListener listener;
    auto client = std::make_unique<TTcpClient>(loop);
    int reads = 0;
    client->OnRead = [&](TTcpConnection& c) {
        ++reads;
        c.Close();
        client.reset();
    };
    client->Open("127.0.0.1", listener.Port());
    TRawSocket peer = listener.Accept(loop);
    peer.Write({1, 2, 3});
    ASSERT_TRUE(RunUntil(loop, [&] { return client == nullptr; }));
    Settle(loop);
    EXPECT_EQ(reads, 1);
}

TEST(EventLoop, RunForReturnsWhenNothingIsPending) {
    TEventLoop loop;
    loop.Poll();
    loop.RunFor(std::chrono::milliseconds(1));
    // And it still serves sockets created afterwards.
    TServerProbe probe(loop);
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    EXPECT_TRUE(RunUntil(loop, [&] { return probe.connects == 1; }));
}


// A peer that stops reading made us queue whatever we sent it, without end.
TEST(TcpSocket, UnsentDataWithoutBoundToAPeerThatStopsReading) {
    TEventLoop loop;
    TServerProbe probe(loop);
    std::vector<TSocketErrorKind> errors;
    probe.server.OnClientError = [&](TTcpConnection&, TSocketErrorKind kind, int& code) {
        errors.push_back(kind);
        code = 0;
    };
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.connects == 1; }));
    const std::vector<std::uint8_t> chunk(64 << 10, 7);
    std::size_t sent = 0;
    // Far beyond what the system buffers and the limit together hold.
    for (; sent < 4 * TTcpConnection::MaxUnsentBytes && probe.disconnects == 0; sent += chunk.size()) {
        probe.last->SendBuf(chunk.data(), chunk.size());
        loop.Poll();
    }
    ASSERT_TRUE(RunUntil(loop, [&] { return probe.disconnects == 1; }));
    EXPECT_EQ(errors, std::vector<TSocketErrorKind>{TSocketErrorKind::Send});
    EXPECT_EQ(probe.server.ConnectionCount(), 0u);
}

// An accept that failed (here: no descriptor left) was raised out of the
// event loop and ended the host's game.
// These two run the process out of file descriptors. The sanitizer runtime
// opens a pipe whenever it checks the dynamic type of an object it has not
// seen yet, so with no descriptor left it reports valid objects as invalid:
// they run in the plain build only.
#ifdef __SANITIZE_ADDRESS__
#define SKIP_WITHOUT_FREE_DESCRIPTORS_FOR_THE_SANITIZER() \
    GTEST_SKIP() << "the sanitizer runtime itself needs free file descriptors"
#else
#define SKIP_WITHOUT_FREE_DESCRIPTORS_FOR_THE_SANITIZER() (void)0
#endif

TEST(TcpSocket, AcceptErrorEndedTheLoopInsteadOfWaitingAndAcceptingAgain) {
    SKIP_WITHOUT_FREE_DESCRIPTORS_FOR_THE_SANITIZER();
    TEventLoop loop;
    TServerProbe probe(loop);
    std::vector<int> acceptErrors;
    probe.server.OnAcceptError = [&](int code, const std::string&) { acceptErrors.push_back(code); };
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 256);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::dup(0)) >= 0;) filler.push_back(fd);
    int raised = 0;
    testing::RunCountingErrors(loop, raised, [&] { return !acceptErrors.empty(); });
    for (int fd : filler) ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(raised, 0);
    ASSERT_FALSE(acceptErrors.empty());
    EXPECT_EQ(acceptErrors.front(), EMFILE);
    EXPECT_EQ(probe.connects, 0);
    EXPECT_TRUE(testing::RunCountingErrors(loop, raised, [&] { return probe.connects == 1; }));
    EXPECT_EQ(raised, 0);
}

TEST(TcpSocket, AcceptErrorWithoutAHandlerIsRaised) {
    SKIP_WITHOUT_FREE_DESCRIPTORS_FOR_THE_SANITIZER();
    TEventLoop loop;
    TServerProbe probe(loop);
    TRawSocket peer = TRawSocket::ConnectTo(probe.server.LocalPort());
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 256);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::dup(0)) >= 0;) filler.push_back(fd);
    int raised = 0;
    testing::RunCountingErrors(loop, raised, [&] { return raised > 0; });
    for (int fd : filler) ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(testing::RunCountingErrors(loop, raised, [&] { return probe.connects == 1; }));
}

}  // namespace
}  // namespace orbitfall
