#pragma once
// The process's one event loop, on the main thread. Socket events (and, in the
// game, timers and window events) are dispatched from it one at a time; no
// other thread runs program logic. A wait that "processes pending messages"
// runs one turn of it.
#include <chrono>
#include <functional>
#include <memory>

namespace asio {
class io_context;
}

namespace orbitfall {

class TEventLoop {
public:
    TEventLoop();
    ~TEventLoop();
    TEventLoop(const TEventLoop&) = delete;
    TEventLoop& operator=(const TEventLoop&) = delete;

    // Dispatches every event that is ready now; returns at once.
    void Poll();
    // Dispatches ready events; when none is ready, waits up to timeout for
    // the first one.
    void RunFor(std::chrono::milliseconds timeout);
    // Runs work at a later turn of the loop, as one more event.
    void Post(std::function<void()> work);
    // Runs work as one more event once delay has passed (at the first turn
    // of the loop after it). Work that may outlive its owner checks a flag.
    void PostAfter(std::chrono::milliseconds delay, std::function<void()> work);

    // The socket layer's access to the loop; only platform/ uses it.
    asio::io_context& Context();

private:
    std::unique_ptr<asio::io_context> context_;
};

}  // namespace orbitfall
