#include "platform/machine_name.h"

#include <unistd.h>

#include <array>

namespace orbitfall {

std::string MachineName() {
    std::array<char, 256> buffer{};
    if (gethostname(buffer.data(), buffer.size() - 1) != 0) return "localhost";
    std::string name;
    for (const char* c = buffer.data(); *c != '\0'; ++c)
        if (static_cast<unsigned char>(*c) > 0x20 && *c != 0x7F) name += *c;
    return name.empty() ? "localhost" : name;
}

}  // namespace orbitfall
