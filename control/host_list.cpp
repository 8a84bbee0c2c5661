#include "control/host_list.h"

#include <algorithm>
#include <exception>

#include "infra/file_system.h"
#include "infra/text_encoding.h"

namespace orbitfall {
namespace {

// Files are read only this far: a host list is a few lines, not megabytes.
constexpr std::size_t MaxFileBytes = 1 << 20;

std::string ReadIfPossible(const std::string& path) {
    try {
        return ReadFileUpTo(path, MaxFileBytes);
    } catch (const std::exception&) {
        return {};
    }
}

bool Plausible(const std::string& name) {
    if (name.empty() || name.size() > MaxHostTextLength || !IsValidUtf8(name)) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F || b == ' ';
    });
}

void AddOnce(std::vector<std::string>& list, const std::string& name) {
    if (list.size() < MaxListedHosts && std::find(list.begin(), list.end(), name) == list.end())
        list.push_back(name);
}

}  // namespace

std::vector<std::string> ParseHostLines(const std::string& text) {
    std::vector<std::string> hosts;
    std::size_t start = 0;
    while (start < text.size() && hosts.size() < MaxListedHosts) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (Plausible(line)) AddOnce(hosts, line);
    }
    return hosts;
}

std::vector<std::string> ReadHostList(const std::string& userDir) {
    std::vector<std::string> hosts = ParseHostLines(ReadIfPossible(userDir + RecentHostsFile));
    if (hosts.size() > MaxRecentHosts) hosts.resize(MaxRecentHosts);
    for (const std::string& name : ParseHostLines(ReadIfPossible(userDir + HostsFile))) AddOnce(hosts, name);
    return hosts;
}

void RememberJoinedHost(const std::string& userDir, const std::string& host) {
    if (!Plausible(host)) return;
    std::vector<std::string> recent = ParseHostLines(ReadIfPossible(userDir + RecentHostsFile));
    recent.erase(std::remove(recent.begin(), recent.end(), host), recent.end());
    recent.insert(recent.begin(), host);
    if (recent.size() > MaxRecentHosts) recent.resize(MaxRecentHosts);
    std::string text = "# Hosts joined from this computer, most recent first (written by the game)\n";
    for (const std::string& name : recent) text += name + "\n";
    try {
        WriteWholeFile(userDir + RecentHostsFile, text);
    } catch (const std::exception&) {
    }
}

}  // namespace orbitfall
