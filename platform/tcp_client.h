#pragma once
// The connecting socket: looks the host up and connects without blocking the
// loop; the outcome arrives as OnConnect or OnError (lookup and connect
// failures included). An error whose code the handler leaves non-zero is
// raised as ESocketError out of the event loop. OnDisconnect comes only for
// a connection that was established.
#include <memory>
#include <string>

#include "platform/tcp_connection.h"

namespace orbitfall {

class TEventLoop;

class TTcpClient {
public:
    explicit TTcpClient(TEventLoop& loop);
    // Closes the connection without events.
    ~TTcpClient();
    TTcpClient(const TTcpClient&) = delete;
    TTcpClient& operator=(const TTcpClient&) = delete;

    TTcpConnection::TEvent OnConnect;
    TTcpConnection::TEvent OnRead;
    TTcpConnection::TEvent OnDisconnect;
    TTcpConnection::TErrorEvent OnError;

    // Host: a name or a dotted address. Returns at once.
    void Open(const std::string& host, int port);
    TTcpConnection& Connection() const { return *connection_; }

private:
    TEventLoop& loop_;
    std::shared_ptr<TTcpClient*> alive_;
    std::shared_ptr<TTcpConnection> connection_;
};

}  // namespace orbitfall
