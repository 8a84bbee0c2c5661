#pragma once
// The asio side of a TTcpConnection; included only by platform's socket
// sources. Every asio handler holds the connection alive and first checks
// `closed`, so a closed connection never reports anything again.
#include <cstdint>
#include <optional>
#include <vector>

#include <asio/ip/tcp.hpp>

#include "platform/tcp_connection.h"

namespace orbitfall {

struct TTcpConnection::TState {
    explicit TState(asio::ip::tcp::socket s) : socket(std::move(s)) {}

    TTcpConnection* self = nullptr;
    asio::ip::tcp::socket socket;
    std::optional<asio::ip::tcp::resolver> resolver;  // connecting side only

    // Bytes handed to SendBuf: `inflight` is being written, `pending` waits for it.
    std::vector<std::uint8_t> inflight;
    std::vector<std::uint8_t> pending;
    bool writing = false;
    bool reading = false;
    bool connected = false;
    bool closed = false;
    bool overflowed = false;  // unsent data passed the limit; failing soon

    TEvent onConnect;
    TEvent onRead;
    TEvent onDisconnect;
    TErrorEvent onError;

    // The connection is established: connect event, then reading and writing.
    void Begin();
    void StartReading();
    void StartWriting();
    void Readable(const asio::error_code& ec);
    void Written(const asio::error_code& ec);
    // Error event; then close (disconnect event); then ESocketError unless
    // the handler set the code to 0.
    void Fail(TSocketErrorKind kind, const asio::error_code& ec);
    void Shut(bool notify);
    void ClearEvents();

    // Calls a copy of the handler with the connection kept alive, so the
    // owner may drop the connection or replace the handler from inside it.
    template <class Event, class... Args>
    void Fire(const Event& event, Args&... args) {
        if (!event) return;
        std::shared_ptr<TTcpConnection> keep = self->shared_from_this();
        Event copy = event;
        copy(*self, args...);
    }
};

// A connection event passed on to the owning socket object's handler of the
// same kind, as long as that object exists (`alive` holds it, or null).
template <class Owner>
TTcpConnection::TEvent ForwardEvent(std::shared_ptr<Owner*> alive,
                                    TTcpConnection::TEvent Owner::*handler) {
    return [alive, handler](TTcpConnection& connection) {
        Owner* owner = *alive;
        if (owner == nullptr || !(owner->*handler)) return;
        TTcpConnection::TEvent copy = owner->*handler;
        copy(connection);
    };
}

template <class Owner>
TTcpConnection::TErrorEvent ForwardError(std::shared_ptr<Owner*> alive,
                                         TTcpConnection::TErrorEvent Owner::*handler) {
    return [alive, handler](TTcpConnection& connection, TSocketErrorKind kind, int& code) {
        Owner* owner = *alive;
        if (owner == nullptr || !(owner->*handler)) return;
        TTcpConnection::TErrorEvent copy = owner->*handler;
        copy(connection, kind, code);
    };
}

}  // namespace orbitfall
