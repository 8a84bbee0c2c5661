#pragma once
// The listening socket: accepts clients on all local interfaces and reports
// each accepted connection's events (see tcp_connection.h for the guarantees).
// A client error with no OnClientError handler (or one that leaves the code
// non-zero) is raised as ESocketError out of the event loop. A failed accept
// (out of descriptors, out of memory) is reported to OnAcceptError and
// accepting resumes a little later; with no handler it is raised the same way.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/tcp_connection.h"

namespace orbitfall {

class TEventLoop;

class TTcpServer {
public:
    explicit TTcpServer(TEventLoop& loop);
    // Closes the listening socket and every connection without events: an
    // owner that wants the disconnect events closes the connections first.
    ~TTcpServer();
    TTcpServer(const TTcpServer&) = delete;
    TTcpServer& operator=(const TTcpServer&) = delete;

    TTcpConnection::TEvent OnClientConnect;
    TTcpConnection::TEvent OnClientRead;
    TTcpConnection::TEvent OnClientDisconnect;
    TTcpConnection::TErrorEvent OnClientError;
    std::function<void(int code, const std::string& text)> OnAcceptError;

    // Listens on the port (0: one the system picks); ESocketError when the
    // port cannot be bound or listened on.
    void Open(int port);
    // The port actually listened on.
    int LocalPort() const;
    std::size_t ConnectionCount() const { return active_.size(); }

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
    // Read by pending handlers; set to null when the server goes away.
    std::shared_ptr<TTcpServer*> alive_;
    std::vector<std::shared_ptr<TTcpConnection>> active_;
};

}  // namespace orbitfall
