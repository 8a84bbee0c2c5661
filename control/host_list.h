#pragma once
// The computers the server selection offers. Linux has no network
// neighbourhood to walk, and the program never probes the network on its
// own: the list is the hosts this user joined successfully before (most
// recent first) followed by the names in the user-editable "Hosts.txt", both
// in the user folder. Either file may be missing or damaged; what can be read
// is listed.
#include <string>
#include <vector>

namespace orbitfall {

inline constexpr const char* RecentHostsFile = "RecentHosts.txt";
inline constexpr const char* HostsFile = "Hosts.txt";
inline constexpr std::size_t MaxRecentHosts = 20;
// Bounds on what a hand-edited file can put into a list box.
inline constexpr std::size_t MaxListedHosts = 500;
inline constexpr std::size_t MaxHostTextLength = 255;

// One host per line; '#' starts a comment; blanks around a name are ignored.
// Lines that cannot be a host text (too long, control characters, not UTF-8)
// are passed over. Duplicates are listed once.
std::vector<std::string> ParseHostLines(const std::string& text);

// Recent hosts, then Hosts.txt, without duplicates, at most MaxListedHosts.
std::vector<std::string> ReadHostList(const std::string& userDir);

// Puts host first in the recent list (once), keeping at most MaxRecentHosts.
// Failures to write are ignored: the list is a convenience.
void RememberJoinedHost(const std::string& userDir, const std::string& host);

}  // namespace orbitfall
