#include "platform/udp_discovery.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include <asio/ip/udp.hpp>

#include "platform/event_loop.h"

namespace orbitfall {
namespace {

using asio::ip::udp;

bool LoopbackOnly() {
    const char* value = std::getenv(DiscoveryEnvironment);
    return value != nullptr && std::strcmp(value, "loopback") == 0;
}

// A query is a handful of bytes: anything much longer is not one and is not
// worth handing on.
constexpr std::size_t MaxQueryBytes = 64;

}  // namespace

std::vector<std::string> DiscoveryTargets() {
    if (LoopbackOnly()) return {"127.0.0.1"};
    std::vector<std::string> targets;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) == 0) {
        for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
            if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_BROADCAST) == 0) continue;
            if ((entry->ifa_flags & IFF_LOOPBACK) != 0 || entry->ifa_broadaddr == nullptr) continue;
            const auto* broadcast = reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr);
            const asio::ip::address_v4 address(ntohl(broadcast->sin_addr.s_addr));
            const std::string text = address.to_string();
            if (std::find(targets.begin(), targets.end(), text) == targets.end()) targets.push_back(text);
        }
        ::freeifaddrs(list);
    }
    // A machine on no network still finds the games it hosts itself.
    if (targets.empty()) targets.push_back("127.0.0.1");
    return targets;
}

// ---------------------------------------------------------------- responder

struct TUdpResponder::TImpl {
    TImpl(TEventLoop& loop, TAnswer a) : socket(loop.Context()), answer(std::move(a)) {}

    udp::socket socket;
    TAnswer answer;
    std::array<std::uint8_t, MaxQueryBytes + 1> buffer{};
    udp::endpoint from;
    bool open = false;
    std::uint64_t answers = 0;
    std::uint64_t bytes = 0;
    std::chrono::steady_clock::time_point windowStart{};
    int inWindow = 0;

    bool MayAnswer() {
        const auto now = std::chrono::steady_clock::now();
        if (now - windowStart >= std::chrono::seconds(1)) {
            windowStart = now;
            inWindow = 0;
        }
        if (inWindow >= MaxAnswersPerSecond) return false;
        ++inWindow;
        return true;
    }

    static void Read(const std::shared_ptr<TImpl>& self) {
        self->socket.async_receive_from(
            asio::buffer(self->buffer), self->from,
            [self](const asio::error_code& ec, std::size_t size) {
                if (!self->open || ec == asio::error::operation_aborted) return;
                if (!ec && size <= MaxQueryBytes) self->Answer(size);
                Read(self);
            });
    }

    void Answer(std::size_t size) {
        const std::vector<std::uint8_t> reply = answer ? answer(buffer.data(), size) : std::vector<std::uint8_t>{};
        if (reply.empty() || !MayAnswer()) return;
        asio::error_code ec;
        const std::size_t sent = socket.send_to(asio::buffer(reply), from, 0, ec);
        if (ec) return;  // a full send queue or an unreachable sender: the query may be repeated
        ++answers;
        bytes += sent;
    }
};

TUdpResponder::TUdpResponder(TEventLoop& loop, TAnswer answer)
    : impl_(std::make_shared<TImpl>(loop, std::move(answer))) {}

TUdpResponder::~TUdpResponder() {
    impl_->open = false;
    impl_->answer = nullptr;
    asio::error_code ignored;
    impl_->socket.close(ignored);
}

bool TUdpResponder::Open(int port) {
    if (port < 1 || port > 65535 || impl_->open) return false;
    asio::error_code ec;
    impl_->socket.open(udp::v4(), ec);
    if (!ec) impl_->socket.non_blocking(true, ec);
    if (!ec) impl_->socket.bind(udp::endpoint(udp::v4(), static_cast<unsigned short>(port)), ec);
    if (ec) {
        asio::error_code ignored;
        impl_->socket.close(ignored);
        return false;
    }
    impl_->open = true;
    TImpl::Read(impl_);
    return true;
}

std::uint64_t TUdpResponder::AnswersSent() const { return impl_->answers; }
std::uint64_t TUdpResponder::BytesSent() const { return impl_->bytes; }

// ---------------------------------------------------------------- querier

struct TUdpQuerier::TImpl {
    explicit TImpl(TEventLoop& l) : loop(l) {}

    // One query's socket and what its pending read writes into; pending
    // handlers keep it alive, and inactive it no longer reaches the owner.
    struct TRead {
        explicit TRead(TEventLoop& loop) : socket(loop.Context()) {}
        udp::socket socket;
        std::array<std::uint8_t, DiscoveryReceiveBuffer + 1> buffer{};
        udp::endpoint from;
        TUdpQuerier* owner = nullptr;
    };

    TEventLoop& loop;
    std::shared_ptr<TRead> read;

    static void Next(const std::shared_ptr<TRead>& r) {
        r->socket.async_receive_from(asio::buffer(r->buffer), r->from, [r](const asio::error_code& ec, std::size_t size) {
            if (r->owner == nullptr || ec == asio::error::operation_aborted) return;
            if (!ec && r->owner->OnDatagram) {
                const bool truncated = size > DiscoveryReceiveBuffer;
                const std::string address = r->from.address().to_string();
                r->owner->OnDatagram(address, r->buffer.data(), std::min(size, DiscoveryReceiveBuffer), truncated);
            }
            // The owner may have stopped (or sent again) from its handler.
            if (r->owner != nullptr) Next(r);
        });
    }
};

TUdpQuerier::TUdpQuerier(TEventLoop& loop) : impl_(std::make_shared<TImpl>(loop)) {}

TUdpQuerier::~TUdpQuerier() { Stop(); }

void TUdpQuerier::Stop() {
    if (!impl_->read) return;
    impl_->read->owner = nullptr;
    asio::error_code ignored;
    impl_->read->socket.close(ignored);
    impl_->read.reset();
}

bool TUdpQuerier::Listening() const { return impl_->read != nullptr; }

int TUdpQuerier::Send(const std::vector<std::string>& targets, int port, const std::vector<std::uint8_t>& query) {
    Stop();
    if (port < 1 || port > 65535) return 0;
    auto r = std::make_shared<TImpl::TRead>(impl_->loop);
    asio::error_code ec;
    r->socket.open(udp::v4(), ec);
    if (!ec) r->socket.non_blocking(true, ec);
    if (!ec) r->socket.set_option(asio::socket_base::broadcast(true), ec);
    if (!ec) r->socket.bind(udp::endpoint(udp::v4(), 0), ec);
    if (ec) return 0;
    int sent = 0;
    for (const std::string& target : targets) {
        const auto address = asio::ip::make_address_v4(target, ec);
        if (ec) continue;
        r->socket.send_to(asio::buffer(query), udp::endpoint(address, static_cast<unsigned short>(port)), 0, ec);
        if (!ec) ++sent;
    }
    r->owner = this;
    impl_->read = r;
    TImpl::Next(r);
    return sent;
}

}  // namespace orbitfall
