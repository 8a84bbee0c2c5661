#include "platform/tcp_server.h"

#include <algorithm>
#include <string>

#include <asio/ip/v6_only.hpp>
#include <asio/steady_timer.hpp>

#include "infra/checked.h"
#include "platform/event_loop.h"
#include "platform/tcp_connection_state.h"

namespace orbitfall {

struct TTcpServer::TImpl {
    explicit TImpl(TEventLoop& l) : loop(l), acceptor(l.Context()), retry(l.Context()) {}

    TEventLoop& loop;
    asio::ip::tcp::acceptor acceptor;
    // After a failed accept: the cause (no descriptors left) usually lasts a
    // while, and accepting again at once would spin.
    asio::steady_timer retry;
    static constexpr std::chrono::milliseconds RetryDelay{100};

    void TryListen(const asio::ip::tcp& protocol, std::uint16_t port, asio::error_code& ec) {
        asio::error_code ignored;
        acceptor.open(protocol, ec);
        // Both address families on one socket where the system allows it.
        if (!ec && protocol == asio::ip::tcp::v6())
            acceptor.set_option(asio::ip::v6_only(false), ec);
        if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
        if (!ec) acceptor.bind(asio::ip::tcp::endpoint(protocol, port), ec);
        if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
        if (ec) acceptor.close(ignored);
    }

    static void StartAccept(const std::shared_ptr<TTcpServer*>& alive) {
        TTcpServer* server = *alive;
        server->impl_->acceptor.async_accept(
            [alive](const asio::error_code& ec, asio::ip::tcp::socket socket) {
                if (*alive == nullptr) return;
                Accepted(alive, ec, std::move(socket));
            });
    }

    static void Accepted(const std::shared_ptr<TTcpServer*>& alive, const asio::error_code& ec,
                         asio::ip::tcp::socket socket) {
        TTcpServer* server = *alive;
        if (ec == asio::error::operation_aborted) return;
        if (ec && ec != asio::error::connection_aborted) {  // an abort: the peer gave up first
            server->impl_->retry.expires_after(RetryDelay);
            server->impl_->retry.async_wait([alive](const asio::error_code& timerError) {
                if (*alive != nullptr && !timerError) StartAccept(alive);
            });
            if (!server->OnAcceptError)
                throw ESocketError("Socket error " + std::to_string(ec.value()) + ": " + ec.message());
            auto handler = server->OnAcceptError;
            handler(ec.value(), ec.message());
            return;
        }
        StartAccept(alive);
        if (ec) return;

        auto state = std::make_unique<TTcpConnection::TState>(std::move(socket));
        state->onConnect = ForwardEvent(alive, &TTcpServer::OnClientConnect);
        state->onRead = ForwardEvent(alive, &TTcpServer::OnClientRead);
        state->onError = ForwardError(alive, &TTcpServer::OnClientError);
        auto notify = ForwardEvent(alive, &TTcpServer::OnClientDisconnect);
        state->onDisconnect = [alive, notify](TTcpConnection& connection) {
            // Dropped after its event, even when the handler throws; the
            // delivering stack still holds the object.
            struct TForget {
                const std::shared_ptr<TTcpServer*>& alive;
                TTcpConnection& connection;
                ~TForget() {
                    TTcpServer* s = *alive;
                    if (s == nullptr) return;
                    std::erase_if(s->active_,
                                  [this](const auto& c) { return c.get() == &connection; });
                }
            } forget{alive, connection};
            notify(connection);
        };
        auto connection = TTcpConnection::Create(std::move(state));
        server->active_.push_back(connection);
        connection->State().Begin();
    }
};

TTcpServer::TTcpServer(TEventLoop& loop)
    : impl_(std::make_unique<TImpl>(loop)), alive_(std::make_shared<TTcpServer*>(this)) {}

TTcpServer::~TTcpServer() {
    *alive_ = nullptr;
    asio::error_code ignored;
    impl_->acceptor.close(ignored);
    impl_->retry.cancel();
    for (auto& connection : active_) {
        connection->State().ClearEvents();
        connection->Close();
    }
}

void TTcpServer::Open(int port) {
    const auto value = CheckedRange<std::uint16_t>(port, 0, 65535);
    asio::error_code ec;
    impl_->TryListen(asio::ip::tcp::v6(), value, ec);
    if (ec) impl_->TryListen(asio::ip::tcp::v4(), value, ec);
    if (ec)
        throw ESocketError("Socket error " + std::to_string(ec.value()) + ": " + ec.message());
    TImpl::StartAccept(alive_);
}

int TTcpServer::LocalPort() const {
    asio::error_code ec;
    auto endpoint = impl_->acceptor.local_endpoint(ec);
    return ec ? 0 : endpoint.port();
}

}  // namespace orbitfall
