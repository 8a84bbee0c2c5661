#pragma once
// Networked games of orbitfall-sim processes on loopback, for the tests:
// a host on a port the system picks, clients joining it in turn, raw peers
// that speak bytes, and the readers of the runner's output.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "control/greeting.h"
#include "infra/data_dirs.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace orbitfall::testing {

// frame number -> checksum, from the "frame f checksum h" lines.
inline std::map<int, std::string> Checksums(const std::string& output) {
    std::map<int, std::string> frames;
    const std::regex line(R"(frame ([0-9]+) checksum ([0-9a-f]{8}))");
    std::istringstream in(output);
    for (std::string s; std::getline(in, s);) {
        std::smatch m;
        if (std::regex_match(s, m, line)) frames[std::stoi(m[1])] = m[2];
    }
    return frames;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// A peer on loopback that speaks raw bytes to the host.
// What a copy of this program on the shipped data greets with: a raw peer
// sends it first to take a seat.
inline std::string GreetingPayload() {
    SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", TempFolder().Path());
    TPacketBytes greeting;
    EncodeGreeting(LocalGreeting(), greeting);
    return std::string(greeting.begin(), greeting.end());
}

class RawPeer {
public:
    explicit RawPeer(int port) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<std::uint16_t>(port));
        for (int i = 0; i < 100; ++i) {
            fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
            if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) break;
            Close();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        timeval wait{10, 0};
        if (fd_ >= 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;
    ~RawPeer() { Close(); }

    bool Connected() const { return fd_ >= 0; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void Send(const std::string& bytes) {
        std::size_t sent = 0;
        while (fd_ >= 0 && sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }
    // The payload with its 2-byte little-endian length in front.
    void SendPacket(const std::string& payload) {
        Send(std::string{static_cast<char>(payload.size() & 0xFF), static_cast<char>(payload.size() >> 8)} +
             payload);
    }
    // Reads until size bytes came (false on a timeout or a closed stream).
    bool Receive(std::size_t size) {
        std::size_t got = 0;
        char buffer[512];
        while (got < size) {
            const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, size - got), 0);
            if (n <= 0) return false;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_ = -1;
};

class SimNetworkTest : public ::testing::Test {
protected:
    // The host listens on a port the system picks and names it first thing,
    // so tests running side by side never share a port.
    std::unique_ptr<ChildProcess> Host(const std::string& userDir, std::vector<std::string> args) {
        std::vector<std::string> all{ORBITFALL_SIM, "host", "--port", "0", "--user-dir", userDir};
        all.insert(all.end(), args.begin(), args.end());
        auto host = std::make_unique<ChildProcess>(all, userDir + "out.txt");
        const std::regex portLine(R"(^port ([0-9]+)\n)");
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             std::chrono::steady_clock::now() < end;) {
            std::smatch m;
            const std::string out = host->Output();
            if (std::regex_search(out, m, portLine)) {
                port = std::stoi(m[1]);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return host;
    }

    std::unique_ptr<ChildProcess> Join(const std::string& userDir, std::vector<std::string> args) {
        std::vector<std::string> all{ORBITFALL_SIM, "join", "127.0.0.1", "--port", std::to_string(port),
                                     "--user-dir", userDir};
        all.insert(all.end(), args.begin(), args.end());
        return std::make_unique<ChildProcess>(all, userDir + "out.txt");
    }

    static bool WaitForJoins(const ChildProcess& host, int joined) {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             std::chrono::steady_clock::now() < end;) {
            if (CountOf(host.Output(), "lobby: A player joined the game\n") >= joined) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // Starts a client and waits until the host has seen it join, so that
    // clients get their player numbers in the order they are started.
    std::unique_ptr<ChildProcess> JoinInTurn(const ChildProcess& host, int joined, const std::string& userDir,
                                             std::vector<std::string> args) {
        auto client = Join(userDir, std::move(args));
        WaitForJoins(host, joined);
        return client;
    }

    int port = 0;
};

}  // namespace orbitfall::testing
