#include "platform/event_loop.h"

#include <thread>

#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

namespace orbitfall {

// Concurrency hint 1: only this thread runs handlers. It also lets a nested
// Poll (a wait inside an event handler) see work the outer handler queued.
TEventLoop::TEventLoop() : context_(std::make_unique<asio::io_context>(1)) {}

TEventLoop::~TEventLoop() = default;

void TEventLoop::Poll() {
    context_->poll();
    // Out of work, asio stops itself; the next socket must find it running.
    if (context_->stopped()) context_->restart();
}

void TEventLoop::RunFor(std::chrono::milliseconds timeout) {
    if (context_->poll() > 0) return;
    if (context_->stopped()) {
        // Nothing is pending (no socket, no lookup): nothing can arrive, so
        // the wait is only the time.
        context_->restart();
        std::this_thread::sleep_for(timeout);
        return;
    }
    if (context_->run_one_for(timeout) > 0) context_->poll();
    if (context_->stopped()) context_->restart();
}

void TEventLoop::Post(std::function<void()> work) { asio::post(*context_, std::move(work)); }

void TEventLoop::PostAfter(std::chrono::milliseconds delay, std::function<void()> work) {
    auto timer = std::make_shared<asio::steady_timer>(*context_, delay);
    // The timer lives until its handler has run (or the loop is destroyed).
    timer->async_wait([timer, work = std::move(work)](const asio::error_code& ec) {
        if (!ec) work();
    });
}

asio::io_context& TEventLoop::Context() { return *context_; }

}  // namespace orbitfall
