#pragma once
// One TCP connection of the socket layer: the per-connection object that the
// listening and the connecting socket hand out. Its events reach the owner on
// the event loop's thread, one at a time:
// - connect: once, when the connection is established (accepted connections
//   are established from the start);
// - read: at least one byte is waiting; no further read event of the same
//   connection arrives while one is being handled;
// - disconnect: exactly once per established connection, whichever side
//   closed it (a reset by the peer counts as the peer closing); Close
//   delivers it before returning;
// - error: every failure, with a code the handler may set to 0; otherwise
//   the layer raises ESocketError out of the loop, after the connection has
//   been closed (and its disconnect event delivered).
// The object stays valid until its disconnect event has been delivered; the
// stack that delivers an event keeps it alive, so its owner may drop it from
// inside any of its events.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "infra/errors.h"

namespace orbitfall {

class ESocketError : public Exception {
public:
    using Exception::Exception;
};

enum class TSocketErrorKind { General, Send, Receive, Connect, Disconnect, Accept, Lookup };

class TTcpConnection : public std::enable_shared_from_this<TTcpConnection> {
public:
    using TEvent = std::function<void(TTcpConnection&)>;
    using TErrorEvent = std::function<void(TTcpConnection&, TSocketErrorKind kind, int& code)>;

    ~TTcpConnection();
    TTcpConnection(const TTcpConnection&) = delete;
    TTcpConnection& operator=(const TTcpConnection&) = delete;

    // Bytes that can be read now.
    std::size_t BytesWaiting() const;
    // Copies up to count waiting bytes; never waits. Returns the number copied.
    std::size_t ReceiveBuf(void* buffer, std::size_t count);
    // Takes the whole buffer without blocking; what the system does not take
    // at once is queued and written in order. A peer that stops reading must
    // not make us hold its data without end: once more than MaxUnsentBytes
    // wait, the data is dropped and the connection fails with a send error
    // (reported from the event loop, not from inside this call).
    void SendBuf(const void* data, std::size_t count);
    inline static constexpr std::size_t MaxUnsentBytes = std::size_t{8} << 20;
    // Closes the connection; an established one delivers its disconnect event
    // before this returns. Unsent bytes are dropped.
    void Close();
    bool Connected() const;
    // The peer's IP address as text ("192.168.1.7", "::1"; an IPv4 peer of
    // a dual-stack socket in its IPv4 form); empty once closed or unknown.
    std::string RemoteAddress() const;

    // Platform-internal: the asio side of the connection.
    struct TState;
    static std::shared_ptr<TTcpConnection> Create(std::unique_ptr<TState> state);
    TState& State() { return *state_; }

private:
    explicit TTcpConnection(std::unique_ptr<TState> state);
    std::unique_ptr<TState> state_;
};

}  // namespace orbitfall
