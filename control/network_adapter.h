#pragma once
// Packets over TCP: every packet is a 2-byte little-endian length L and a
// payload of L bytes (at most 65533 when sending; up to 65535 accepted).
// One side listens (the server), the others connect (clients). The adapter
// knows nothing of packet contents.
//
// The server is the hub: a packet from a client goes on to all clients. Unlike
// a blind relay, it goes on only when the owner's RelayFilter accepts it, so a
// client cannot pass packets to the others as if the server had sent them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "infra/errors.h"

namespace orbitfall {

class TEventLoop;
class TTcpConnection;  // the socket layer's per-connection object; an opaque handle here

class ETcpAdapterError : public Exception {
public:
    using Exception::Exception;
};

// A read-only stream over memory it does not own; writing fails.
class TPointerStream {
public:
    void SetPointer(const std::uint8_t* data, std::size_t size);
    // Reads exactly size bytes; EReadError when fewer remain.
    void Read(void* out, std::size_t size);
    void Write(const void*, std::size_t);  // always raises
    void Seek(std::size_t position);
    std::size_t Position() const { return position_; }
    std::size_t Size() const { return size_; }
    std::size_t Remaining() const { return size_ - position_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

class TNetworkadapter {
public:
    using TConnection = TTcpConnection*;
    using TReceiveEvent = std::function<void(TNetworkadapter& sender, TPointerStream& stream,
                                             const std::uint8_t* buffer, std::size_t size,
                                             TConnection connection)>;
    using TConnectionEvent = std::function<void(TNetworkadapter& sender, TConnection connection)>;
    using TNotifyEvent = std::function<void(TNetworkadapter& sender)>;
    // Server only: whether a client's packet goes on to all clients.
    using TRelayFilter = std::function<bool(const std::uint8_t* buffer, std::size_t size,
                                            TConnection connection)>;

    virtual ~TNetworkadapter() = default;

    TConnectionEvent OnClientDisconnect;
    TNotifyEvent OnDisconnect;
    std::uint8_t State = 0;  // 0 idle/disconnected, 1 connecting, 2 connected or listening
    TReceiveEvent OnReceive;
    bool IsServer = false;
    TConnectionEvent OnClientConnect;
    TRelayFilter RelayFilter;  // unset: nothing is relayed

    virtual TConnection GetClient(int index) const = 0;
    virtual int ClientCount() const = 0;
    // connection nullptr: server to every client, client to the server.
    virtual void Send(const void* buffer, std::size_t size, TConnection connection = nullptr) = 0;
    virtual void Disconnect(TConnection connection = nullptr) = 0;
    virtual void Connect(const std::string& host) = 0;
    virtual void Listen() = 0;

protected:
    TPointerStream receiveView_;
};

class TTcpAdapter : public TNetworkadapter {
public:
    explicit TTcpAdapter(TEventLoop& loop);
    ~TTcpAdapter() override;

    int Port = 0;
    // Bytes put on and taken off the wire, length prefixes included.
    std::uint64_t BytesSent = 0;
    std::uint64_t BytesReceived = 0;

    TConnection GetClient(int index) const override;
    int ClientCount() const override;
    void Send(const void* buffer, std::size_t size, TConnection connection = nullptr) override;
    void Disconnect(TConnection connection = nullptr) override;
    void Connect(const std::string& host) override;
    void Listen() override;
    // Server: the IP address a client connection comes from (empty when it
    // is not one of this adapter's clients or is gone).
    std::string PeerAddress(TConnection connection) const;

    // The computers to offer for joining: the hosts joined before and the
    // user's Hosts.txt (control/host_list.h); nothing is sent to the network.
    static void EnumerateHosts(std::vector<std::string>& strings, bool clearFirst);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace orbitfall
