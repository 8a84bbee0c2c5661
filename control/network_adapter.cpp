#include "control/network_adapter.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "control/host_list.h"
#include "control/packet_buffer.h"
#include "infra/data_dirs.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "platform/tcp_client.h"
#include "platform/tcp_server.h"

namespace orbitfall {

namespace {

// The frame length is 16 bits; two values below its top stay unused when sending.
constexpr std::size_t MaxSendSize = 65533;

}  // namespace

void TPointerStream::SetPointer(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    position_ = 0;
}

void TPointerStream::Read(void* out, std::size_t size) {
    if (size > Remaining()) throw EReadError();
    if (size > 0) std::memcpy(out, data_ + position_, size);
    position_ += size;
}

void TPointerStream::Write(const void*, std::size_t) { throw EWriteError(); }

void TPointerStream::Seek(std::size_t position) {
    position_ = CheckedRange<std::size_t>(position, 0, static_cast<std::int64_t>(size_));
}

struct TTcpAdapter::TImpl {
    // A connection and the bytes received on it. Shared so that a drain loop
    // keeps the buffer alive when a handler ends the connection under it;
    // `closed` tells the loop to stop.
    struct TPeer {
        explicit TPeer(TTcpConnection* c) : connection(c) {}
        TTcpConnection* connection;
        TPacketBuffer buffer;
        bool closed = false;
    };

    TImpl(TTcpAdapter& s, TEventLoop& l) : self(s), loop(l) {}

    TTcpAdapter& self;
    TEventLoop& loop;
    std::unique_ptr<TTcpServer> server;
    std::unique_ptr<TTcpClient> client;
    std::shared_ptr<TPeer> serverPeer;            // client: the connection to the server
    std::vector<std::shared_ptr<TPeer>> clients;  // server: in order of acceptance
    std::vector<std::uint8_t> sendBuffer;

    std::shared_ptr<TPeer> FindClient(const TTcpConnection* connection) const {
        auto it = std::find_if(clients.begin(), clients.end(),
                               [connection](const auto& p) { return p->connection == connection; });
        return it == clients.end() ? nullptr : *it;
    }

    bool Addresses(const TTcpConnection* connection) const {
        if (server) return FindClient(connection) != nullptr;
        return serverPeer && serverPeer->connection == connection;
    }

    void Receive(std::shared_ptr<TPeer> peer) {
        TTcpConnection* connection = peer->connection;
        const std::size_t waiting = connection->BytesWaiting();
        peer->buffer.Append(waiting, [connection](std::uint8_t* to, std::size_t n) {
            return connection->ReceiveBuf(to, n);
        });
        self.BytesReceived += waiting;
        while (!peer->closed) {
            auto packet = peer->buffer.FrontPacket();
            if (!packet) break;
            // Compacted after the handler, also when it throws: a packet is
            // delivered once.
            struct TPop {
                TPacketBuffer& buffer;
                ~TPop() { buffer.PopPacket(); }
            } pop{peer->buffer};
            Deliver(packet->data(), packet->size(), connection);
        }
    }

    void Deliver(const std::uint8_t* payload, std::size_t size, TTcpConnection* source) {
        if (server && self.RelayFilter && self.RelayFilter(payload, size, source))
            self.Send(payload, size, nullptr);
        // A handler that waits for events may receive another packet in the
        // meantime; the outer packet's view is put back afterwards.
        struct TRestore {
            TPointerStream& view;
            TPointerStream saved;
            ~TRestore() { view = saved; }
        } restore{self.receiveView_, self.receiveView_};
        self.receiveView_.SetPointer(payload, size);
        if (self.OnReceive) {
            TReceiveEvent handler = self.OnReceive;
            handler(self, self.receiveView_, payload, size, source);
        }
    }

    void ClientAccepted(TTcpConnection& connection) {
        clients.push_back(std::make_shared<TPeer>(&connection));
        if (self.OnClientConnect) {
            TConnectionEvent handler = self.OnClientConnect;
            handler(self, &connection);
        }
    }

    void ClientEnded(TTcpConnection& connection) {
        std::shared_ptr<TPeer> peer = FindClient(&connection);
        if (!peer) return;
        // The handler sees the entry still in place; it goes afterwards, also
        // when the handler throws.
        struct TRemove {
            TImpl& impl;
            std::shared_ptr<TPeer> peer;
            ~TRemove() {
                peer->closed = true;
                std::erase(impl.clients, peer);
            }
        } remove{*this, peer};
        if (self.OnClientDisconnect) {
            TConnectionEvent handler = self.OnClientDisconnect;
            handler(self, &connection);
        }
    }

    void ServerEnded() {
        struct TRelease {
            TImpl& impl;
            ~TRelease() {
                if (impl.serverPeer) impl.serverPeer->closed = true;
                impl.serverPeer.reset();
                // Safe inside the client's own event: the socket layer keeps
                // what is delivering the event alive until it returns.
                impl.client.reset();
                impl.clients.clear();
                impl.self.State = 0;
            }
        } release{*this};
        if (self.OnDisconnect) {
            TNotifyEvent handler = self.OnDisconnect;
            handler(self);
        }
    }
};

TTcpAdapter::TTcpAdapter(TEventLoop& loop) : impl_(std::make_unique<TImpl>(*this, loop)) {}

TTcpAdapter::~TTcpAdapter() {
    if (State == 2) {
        // Nothing can be raised out of a destructor; the connections are
        // closed either way.
        try {
            Disconnect();
        } catch (...) {
        }
    }
    impl_->server.reset();
    impl_->client.reset();
}

TNetworkadapter::TConnection TTcpAdapter::GetClient(int index) const {
    if (index < 0 || std::cmp_greater_equal(index, impl_->clients.size()))
        throw ETcpAdapterError("Invalid Client Index");
    return impl_->clients[static_cast<std::size_t>(index)]->connection;
}

int TTcpAdapter::ClientCount() const { return static_cast<int>(impl_->clients.size()); }

std::string TTcpAdapter::PeerAddress(TConnection connection) const {
    for (const auto& client : impl_->clients)
        if (client->connection == connection) return connection->RemoteAddress();
    return "";
}

void TTcpAdapter::Send(const void* buffer, std::size_t size, TConnection connection) {
    if (size > MaxSendSize) throw ETcpAdapterError("Packet too large");
    std::vector<std::uint8_t>& frame = impl_->sendBuffer;
    frame.resize(size + 2);
    frame[0] = static_cast<std::uint8_t>(size & 0xFF);
    frame[1] = static_cast<std::uint8_t>(size >> 8);
    if (size > 0) std::memcpy(frame.data() + 2, buffer, size);

    if (connection != nullptr) {
        // A connection that has already gone is no longer addressable.
        if (impl_->Addresses(connection)) {
            connection->SendBuf(frame.data(), frame.size());
            BytesSent += frame.size();
        }
    } else if (impl_->server) {
        // A copy: a connection may end while we send (not today, but a
        // send that fails at once must not break this loop).
        const auto snapshot = impl_->clients;
        for (const auto& peer : snapshot) {
            if (peer->closed) continue;
            peer->connection->SendBuf(frame.data(), frame.size());
            BytesSent += frame.size();
        }
    } else if (impl_->serverPeer) {
        impl_->serverPeer->connection->SendBuf(frame.data(), frame.size());
        BytesSent += frame.size();
    }
}

void TTcpAdapter::Disconnect(TConnection connection) {
    if (State != 2) throw ETcpAdapterError("Not connected");
    if (impl_->server) {
        if (connection != nullptr) {
            if (impl_->FindClient(connection)) connection->Close();
            return;
        }
        // Each close removes its entry; a handler may close others too.
        const auto snapshot = impl_->clients;
        for (const auto& peer : snapshot)
            if (!peer->closed) peer->connection->Close();
    } else if (impl_->serverPeer) {
        impl_->serverPeer->connection->Close();
    }
}

void TTcpAdapter::Connect(const std::string& host) {
    if (State != 0) throw ETcpAdapterError("Already Connected");
    TImpl* impl = impl_.get();
    auto client = std::make_unique<TTcpClient>(impl->loop);
    client->OnConnect = [impl](TTcpConnection&) { impl->self.State = 2; };
    client->OnDisconnect = [impl](TTcpConnection&) { impl->ServerEnded(); };
    client->OnError = [impl](TTcpConnection&, TSocketErrorKind, int& code) {
        impl->self.State = 0;
        code = 0;
    };
    client->OnRead = [impl](TTcpConnection&) {
        if (impl->serverPeer) impl->Receive(impl->serverPeer);
    };
    State = 1;
    try {
        client->Open(host, Port);
    } catch (...) {
        State = 0;
        throw;
    }
    impl->serverPeer = std::make_shared<TImpl::TPeer>(&client->Connection());
    impl->client = std::move(client);
    IsServer = false;
}

void TTcpAdapter::Listen() {
    if (State != 0) throw ETcpAdapterError("Already Connected");
    TImpl* impl = impl_.get();
    auto server = std::make_unique<TTcpServer>(impl->loop);
    server->OnClientConnect = [impl](TTcpConnection& c) { impl->ClientAccepted(c); };
    server->OnClientDisconnect = [impl](TTcpConnection& c) { impl->ClientEnded(c); };
    server->OnClientRead = [impl](TTcpConnection& c) {
        if (auto peer = impl->FindClient(&c)) impl->Receive(peer);
    };
    // One client's failing connection is that client leaving: the layer
    // closes it (its disconnect event follows) and the others play on.
    server->OnClientError = [](TTcpConnection&, TSocketErrorKind, int& code) {
        Log("Network", 3, "Client connection failed: " + std::system_category().message(code));
        code = 0;
    };
    server->OnAcceptError = [](int code, const std::string& text) {
        Log("Network", 3, "Accepting a connection failed (" + std::to_string(code) + "): " + text);
    };
    server->Open(Port);
    if (Port == 0) Port = server->LocalPort();
    impl->serverPeer.reset();
    impl->client.reset();
    impl->server = std::move(server);
    IsServer = true;
    State = 2;
}

void TTcpAdapter::EnumerateHosts(std::vector<std::string>& strings, bool clearFirst) {
    if (clearFirst) strings.clear();
    for (std::string& name : ReadHostList(UserDir())) strings.push_back(std::move(name));
}

}  // namespace orbitfall
