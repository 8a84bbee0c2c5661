#include "control/lobby_beacon.h"

#include "control/discovery_datagram.h"
#include "infra/event_log.h"
#include "platform/machine_name.h"
#include "platform/udp_discovery.h"

namespace orbitfall {

std::vector<std::uint8_t> TLobbyBeacon::Answer(const std::uint8_t* data, std::size_t size, int port,
                                               const std::string& machine, const std::optional<TLobbyState>& state) {
    const auto token = DecodeDiscoveryQuery(data, size);
    if (!token || !state) return {};
    TDiscoveryAnswer answer;
    answer.Token = *token;
    answer.Port = port;
    answer.Players = state->Players;
    answer.StartViews = state->StartViews;
    // The machine name is whatever the system says: cleaned as a receiver
    // would, so that what is sent is what is shown.
    answer.Name = CleanDiscoveryText(machine.empty() ? std::string(1, '?') : machine);
    answer.Map = CleanDiscoveryText(state->Map);
    return EncodeDiscoveryAnswer(answer);
}

TLobbyBeacon::TLobbyBeacon(TEventLoop& loop, int port, TStateSource state) {
    const std::string machine = MachineName();
    responder_ = std::make_unique<TUdpResponder>(
        loop, [port, machine, state = std::move(state)](const std::uint8_t* data, std::size_t size) {
            return Answer(data, size, port, machine, state ? state() : std::nullopt);
        });
    listening_ = responder_->Open(port);
    if (!listening_)
        Log("Network", 3, "UDP port " + std::to_string(port) + " is taken: this game cannot be found on the network");
}

TLobbyBeacon::~TLobbyBeacon() = default;

std::uint64_t TLobbyBeacon::AnswersSent() const { return responder_->AnswersSent(); }
std::uint64_t TLobbyBeacon::BytesSent() const { return responder_->BytesSent(); }

}  // namespace orbitfall
