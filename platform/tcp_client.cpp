#include "platform/tcp_client.h"

#include <asio/connect.hpp>

#include "infra/checked.h"
#include "platform/event_loop.h"
#include "platform/tcp_connection_state.h"

namespace orbitfall {

TTcpClient::TTcpClient(TEventLoop& loop)
    : loop_(loop), alive_(std::make_shared<TTcpClient*>(this)) {
    auto state = std::make_unique<TTcpConnection::TState>(asio::ip::tcp::socket(loop.Context()));
    state->onConnect = ForwardEvent(alive_, &TTcpClient::OnConnect);
    state->onRead = ForwardEvent(alive_, &TTcpClient::OnRead);
    state->onDisconnect = ForwardEvent(alive_, &TTcpClient::OnDisconnect);
    state->onError = ForwardError(alive_, &TTcpClient::OnError);
    connection_ = TTcpConnection::Create(std::move(state));
}

TTcpClient::~TTcpClient() {
    *alive_ = nullptr;
    connection_->State().ClearEvents();
    connection_->Close();
}

void TTcpClient::Open(const std::string& host, int port) {
    const auto service = std::to_string(CheckedRange<std::uint16_t>(port, 0, 65535));
    TTcpConnection::TState& state = connection_->State();
    state.resolver.emplace(loop_.Context());
    // The lookup itself runs on asio's resolver thread; its completion, like
    // everything here, runs on the loop.
    state.resolver->async_resolve(
        host, service,
        [keep = connection_](const asio::error_code& ec,
                             const asio::ip::tcp::resolver::results_type& results) {
            TTcpConnection::TState& s = keep->State();
            if (s.closed) return;
            if (ec) return s.Fail(TSocketErrorKind::Lookup, ec);
            asio::async_connect(s.socket, results,
                                [keep](const asio::error_code& connectError,
                                       const asio::ip::tcp::endpoint&) {
                                    TTcpConnection::TState& c = keep->State();
                                    if (c.closed) return;
                                    if (connectError)
                                        return c.Fail(TSocketErrorKind::Connect, connectError);
                                    c.Begin();
                                });
        });
}

}  // namespace orbitfall
