#include "platform/tcp_connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <string>

#include <asio/connect.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>

#include "platform/tcp_connection_state.h"

namespace orbitfall {

namespace {

// A peer that closes with unread data resets the connection instead of ending
// it in order: for this side it is the peer closing, not a failure.
bool PeerClosed(const asio::error_code& ec) {
    return ec == asio::error::eof || ec == asio::error::connection_reset ||
           ec == asio::error::broken_pipe;
}

// A peer that vanishes without closing (its machine switched off, its cable
// pulled) must not hold the connection open for the hours the system's
// defaults allow: probes after 10 s of silence, 5 s apart, 3 unanswered
// end it (25 s); data unacknowledged for 25 s ends it as well.
void KeepAlive(int fd) {
    const int on = 1, idle = 10, interval = 5, count = 3;
    const unsigned int unacknowledgedMs = 25000;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &unacknowledgedMs, sizeof unacknowledgedMs);
}

}  // namespace

TTcpConnection::TTcpConnection(std::unique_ptr<TState> state) : state_(std::move(state)) {
    state_->self = this;
}

TTcpConnection::~TTcpConnection() = default;

std::shared_ptr<TTcpConnection> TTcpConnection::Create(std::unique_ptr<TState> state) {
    return std::shared_ptr<TTcpConnection>(new TTcpConnection(std::move(state)));
}

std::size_t TTcpConnection::BytesWaiting() const {
    if (state_->closed) return 0;
    asio::error_code ec;
    std::size_t n = state_->socket.available(ec);
    return ec ? 0 : n;
}

std::size_t TTcpConnection::ReceiveBuf(void* buffer, std::size_t count) {
    if (state_->closed) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        asio::error_code ec;
        std::size_t n = state_->socket.receive(asio::buffer(out + total, count - total), 0, ec);
        // Errors show up at the next readiness check; here they only end the copy.
        if (ec || n == 0) break;
        total += n;
    }
    return total;
}

void TTcpConnection::SendBuf(const void* data, std::size_t count) {
    if (state_->closed || state_->overflowed || count == 0) return;
    if (state_->pending.size() + state_->inflight.size() + count > MaxUnsentBytes) {
        state_->overflowed = true;
        state_->pending.clear();
        // Failing here would run the owner's disconnect handling inside its
        // own send; the loop delivers it as any other error.
        asio::post(state_->socket.get_executor(), [keep = shared_from_this()] {
            keep->State().Fail(TSocketErrorKind::Send, asio::error::no_buffer_space);
        });
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    state_->pending.insert(state_->pending.end(), bytes, bytes + count);
    state_->StartWriting();
}

void TTcpConnection::Close() { state_->Shut(true); }

bool TTcpConnection::Connected() const { return state_->connected; }

void TTcpConnection::TState::Begin() {
    asio::error_code ignored;
    socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    KeepAlive(socket.native_handle());
    // Receiving is synchronous inside the read event and must never wait.
    socket.non_blocking(true, ignored);
    connected = true;
    Fire(onConnect);
    if (closed) return;
    StartReading();
    StartWriting();
}

void TTcpConnection::TState::StartReading() {
    if (reading || closed) return;
    reading = true;
    socket.async_wait(asio::socket_base::wait_read,
                      [keep = self->shared_from_this()](const asio::error_code& ec) {
                          keep->State().Readable(ec);
                      });
}

void TTcpConnection::TState::StartWriting() {
    if (writing || closed || overflowed || !connected || pending.empty()) return;
    inflight.swap(pending);
    pending.clear();
    writing = true;
    asio::async_write(socket, asio::buffer(inflight),
                      [keep = self->shared_from_this()](const asio::error_code& ec, std::size_t) {
                          keep->State().Written(ec);
                      });
}

void TTcpConnection::TState::Readable(const asio::error_code& ec) {
    reading = false;
    if (closed) return;
    if (PeerClosed(ec)) return Shut(true);
    if (ec) return Fail(TSocketErrorKind::Receive, ec);
    asio::error_code availableError;
    std::size_t waiting = socket.available(availableError);
    if (availableError) return Fail(TSocketErrorKind::Receive, availableError);
    if (waiting == 0) {
        // Readable with nothing to read: the peer closed, or the connection failed.
        std::uint8_t probe = 0;
        asio::error_code peekError;
        std::size_t got = socket.receive(asio::buffer(&probe, 1), asio::socket_base::message_peek,
                                         peekError);
        if (peekError == asio::error::would_block || peekError == asio::error::try_again) {
            StartReading();
            return;
        }
        if (PeerClosed(peekError) || (!peekError && got == 0)) return Shut(true);
        if (peekError) return Fail(TSocketErrorKind::Receive, peekError);
    }
    std::shared_ptr<TTcpConnection> keep = self->shared_from_this();
    // Waiting again only after the handler keeps read events of one
    // connection from nesting; rearm even when the handler throws.
    struct TRearm {
        TState& state;
        ~TRearm() {
            if (!state.closed) state.StartReading();
        }
    } rearm{*this};
    Fire(onRead);
}

void TTcpConnection::TState::Written(const asio::error_code& ec) {
    writing = false;
    inflight.clear();
    if (closed) return;
    if (PeerClosed(ec)) return Shut(true);
    if (ec) return Fail(TSocketErrorKind::Send, ec);
    StartWriting();
}

void TTcpConnection::TState::Fail(TSocketErrorKind kind, const asio::error_code& ec) {
    if (closed) return;
    std::shared_ptr<TTcpConnection> keep = self->shared_from_this();
    int code = ec.value() != 0 ? ec.value() : -1;
    const std::string text = ec.message();
    Fire(onError, kind, code);
    Shut(true);
    if (code != 0) throw ESocketError("Socket error " + std::to_string(code) + ": " + text);
}

void TTcpConnection::TState::Shut(bool notify) {
    if (closed) return;
    closed = true;
    asio::error_code ignored;
    if (resolver) resolver->cancel();
    socket.close(ignored);
    pending.clear();  // `inflight` stays: a write may still refer to it
    const bool wasConnected = connected;
    connected = false;
    if (notify && wasConnected) Fire(onDisconnect);
}

void TTcpConnection::TState::ClearEvents() {
    onConnect = nullptr;
    onRead = nullptr;
    onDisconnect = nullptr;
    onError = nullptr;
}

}  // namespace orbitfall
