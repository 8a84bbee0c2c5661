#pragma once
// Loopback helpers for the socket tests: a bounded loop driver and raw POSIX
// peers whose bytes the test controls exactly.
#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/event_loop.h"
#include "platform/tcp_connection.h"

namespace orbitfall::testing {

// Turns the loop until done() holds or the limit passes; returns done().
template <class Done>
bool RunUntil(TEventLoop& loop, Done done,
              std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        loop.RunFor(std::chrono::milliseconds(5));
    }
    return true;
}

// RunUntil, counting the ESocketErrors raised out of the loop instead of
// letting them end the test.
template <class Done>
bool RunCountingErrors(TEventLoop& loop, int& raised, Done done,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    auto turn = [&] {
        try {
            loop.RunFor(std::chrono::milliseconds(5));
        } catch (const ESocketError&) {
            ++raised;
        }
        return done();
    };
    return RunUntil(loop, turn, limit);
}

// A few loop turns, for events that arrive at once on loopback.
inline void Settle(TEventLoop& loop) {
    for (int i = 0; i < 5; ++i) loop.RunFor(std::chrono::milliseconds(5));
}

inline sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

class TRawSocket {
public:
    explicit TRawSocket(int fd) : fd_(fd) {}
    TRawSocket(const TRawSocket&) = delete;
    TRawSocket& operator=(const TRawSocket&) = delete;
    ~TRawSocket() { Close(); }

    // A blocking connection to 127.0.0.1:port (the kernel completes it
    // before the listener accepts).
    static TRawSocket ConnectTo(int port) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(port);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            throw std::runtime_error("raw connect failed");
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return TRawSocket(fd);
    }
    TRawSocket(TRawSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

    void Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) throw std::runtime_error("raw write failed");
            done += static_cast<std::size_t>(n);
        }
    }
    // Bytes waiting now, without waiting.
    std::vector<std::uint8_t> ReadNow() const {
        std::vector<std::uint8_t> out;
        std::uint8_t chunk[65536];
        for (;;) {
            ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }
    // Reads until count bytes arrived, turning the loop meanwhile.
    std::vector<std::uint8_t> ReadExactly(TEventLoop& loop, std::size_t count) const {
        std::vector<std::uint8_t> out;
        RunUntil(loop, [&] {
            auto more = ReadNow();
            out.insert(out.end(), more.begin(), more.end());
            return out.size() >= count;
        });
        return out;
    }
    // Closing with a reset instead of an orderly end.
    void Reset() {
        linger option{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
        Close();
    }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int Fd() const { return fd_; }

private:
    int fd_;
};

class TRawListener {
public:
    TRawListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 8);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~TRawListener() { ::close(fd_); }
    int Port() const { return port_; }
    // Accepts one pending connection, turning the loop while none is there.
    TRawSocket Accept(TEventLoop& loop) const {
        int fd = -1;
        RunUntil(loop, [&] {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 0) == 1) fd = ::accept(fd_, nullptr, nullptr);
            return fd >= 0;
        });
        if (fd < 0) throw std::runtime_error("raw accept failed");
        return TRawSocket(fd);
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A port nobody listens on: bound once by the system, then released.
// A loopback port that refuses connections for as long as this lives: bound
// but not listening. (A port merely released again could be handed out as
// the source port of the very connection that tries it, and on loopback that
// connection would then succeed by connecting to itself.)
class TRefusingPort {
public:
    TRefusingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    TRefusingPort(const TRefusingPort&) = delete;
    TRefusingPort& operator=(const TRefusingPort&) = delete;
    ~TRefusingPort() { ::close(fd_); }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// The frame of one packet: 2-byte little-endian length, then the payload.
inline std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> frame(payload.size() + 2);
    frame[0] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    frame[1] = static_cast<std::uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), frame.begin() + 2);
    return frame;
}

}  // namespace orbitfall::testing
