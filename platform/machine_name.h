#pragma once
// This computer's name on the network, as the system knows it.
#include <string>

namespace orbitfall {

// The host name (gethostname), printable characters only; "localhost" when
// the system has none.
std::string MachineName();

}  // namespace orbitfall
