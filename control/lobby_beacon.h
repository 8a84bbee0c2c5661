#pragma once
// A hosting copy's answer to players looking for games: while the lobby is
// open (the state callback gives its map and players), every well-formed
// query on the game port gets one answer; once a game runs (the callback
// gives nothing) queries go unanswered. The controller is not involved: the
// program around it says what its lobby shows.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbitfall {

class TEventLoop;
class TUdpResponder;

struct TLobbyState {
    int Players = 1;      // host included
    std::string Map;      // UTF-8; empty: none chosen
    int StartViews = -1;  // -1: unknown
};

class TLobbyBeacon {
public:
    using TStateSource = std::function<std::optional<TLobbyState>()>;

    // Listens on UDP at the port (the game's TCP port number); a port that is
    // taken leaves the game unfindable but running, noted in the log.
    TLobbyBeacon(TEventLoop& loop, int port, TStateSource state);
    ~TLobbyBeacon();
    TLobbyBeacon(const TLobbyBeacon&) = delete;
    TLobbyBeacon& operator=(const TLobbyBeacon&) = delete;

    bool Listening() const { return listening_; }
    std::uint64_t AnswersSent() const;
    std::uint64_t BytesSent() const;

    // The answer to a datagram, empty when it is no query or the lobby is
    // closed. What the socket calls; pure apart from the callback.
    static std::vector<std::uint8_t> Answer(const std::uint8_t* data, std::size_t size, int port,
                                            const std::string& machine, const std::optional<TLobbyState>& state);

private:
    std::unique_ptr<TUdpResponder> responder_;
    bool listening_ = false;
};

}  // namespace orbitfall
