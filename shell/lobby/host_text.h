#pragma once
// The host text typed into the server selection: empty (open a game here),
// a name or address, or "name:port" for a host that is not on the default
// port (several copies on one machine). "[address]:port" takes an IPv6
// address; a text with several colons and no brackets is an IPv6 address on
// the default port.
#include <string>

namespace orbitfall {

struct THostAddress {
    std::string Name;  // empty: this machine hosts
    int Port = 0;
};

// A port part that is empty, not a number or outside 1..65535 raises the
// translated "joinfailed": there is nothing such a text could join.
THostAddress ParseHostText(const std::string& text, int defaultPort);

}  // namespace orbitfall
