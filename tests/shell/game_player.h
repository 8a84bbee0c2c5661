#pragma once
// One copy of orbitfall for the window tests, with its own user folder, and
// what a person does with it: find its windows, click, type, read its log.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/sim_network.h"
#include "tests/support/temp_folder.h"
#include "tests/support/x_display.h"

namespace orbitfall::testing {

using namespace std::chrono_literals;

// The close box, as a window manager would handle a click on it.
inline void CloseWindow(const std::string& window) { RunCommand({X_CLOSE, window}); }

// Design positions inside the windows.
constexpr int HostX = 80, HostY = 18;
constexpr int OpenX = 32, JoinX = 88, UpdateX = 144, ButtonY = 212;
constexpr int StartX = 45, StartY = 220;

// One copy of the game with its own user folder.
class Player {
public:
    // isolated: in a network namespace of its own with only loopback, for
    // host names that would otherwise be looked up beyond this machine.
    explicit Player(bool isolated = false, const std::string& hostsFile = "", std::vector<std::string> extra = {}) {
        if (!hostsFile.empty()) folder.WriteFile("Hosts.txt", hostsFile);
        const std::string game = std::string(ORBITFALL_GAME) + " --user-dir " + folder.Path() + " --port 0";
        std::vector<std::string> args{ORBITFALL_GAME, "--user-dir", folder.Path(), "--port", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        if (isolated) args = {"/usr/bin/unshare", "-rn", "/bin/sh", "-c", "ip link set lo up && exec " + game};
        process = std::make_unique<ChildProcess>(args, folder.Path() + "out.txt");
    }
    std::string Log() const { return ReadFile(folder.Path() + "log.txt"); }
    bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout = 10s) const {
        for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;) {
            if (Log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    std::string Window(const std::string& title, std::chrono::milliseconds timeout = 10s) const {
        return FindWindow(process->Pid(), title, timeout);
    }
    // The port a hosting copy listens on, from its log.
    int HostedPort() const {
        if (!WaitForLog("Hosting on port ")) return 0;
        std::smatch m;
        const std::string log = Log();
        std::regex_search(log, m, std::regex("Hosting on port ([0-9]+)"));
        return std::stoi(m[1]);
    }
    // Presses OK in the error box; its text comes from the log.
    std::string DismissError() const {
        const std::string box = Window("^Orbitfall$");
        if (box.empty()) return "(no error box)";
        PressKey(box, "Return");
        WindowGone(process->Pid(), "^Orbitfall$");
        const std::string log = Log();
        const std::regex line("Error box: ([^\r\n]*)");
        std::string last;
        for (std::sregex_iterator it(log.begin(), log.end(), line), end; it != end; ++it) last = (*it)[1];
        return last;
    }
    TempFolder folder;
    std::unique_ptr<ChildProcess> process;
};

inline int Count(const std::string& text, const std::string& what) { return CountOf(text, what); }


// Opens a game on host and joins it from client as two people would: the
// host's port, 0 when a step failed. Both selection windows open centred on
// the same spot, so the client's must be up before the host's Open is
// clicked: one mapped after the click's raise would take the click.
inline int HostAndJoin(const Player& host, const Player& client) {
    const std::string hostSelection = host.Window("^Serverauswahl$");
    const std::string clientSelection = client.Window("^Serverauswahl$");
    EXPECT_FALSE(hostSelection.empty()) << host.process->Output();
    EXPECT_FALSE(clientSelection.empty()) << client.process->Output();
    if (hostSelection.empty() || clientSelection.empty()) return 0;
    ClickAt(hostSelection, OpenX, ButtonY);
    const int port = host.HostedPort();
    EXPECT_GT(port, 0) << host.process->Output() << host.Log();
    if (port == 0 || host.Window("^lobbyform$").empty()) return 0;
    TypeInto(clientSelection, HostX, HostY, "127.0.0.1:" + std::to_string(port));
    ClickAt(clientSelection, JoinX, ButtonY);
    const bool joined = host.WaitForLog("Lobby: A player joined the game") && !client.Window("^lobbyform$").empty();
    EXPECT_TRUE(joined) << client.process->Output() << client.Log();
    return joined ? port : 0;
}

#ifdef ORBITFALL_SIM
// Chooses the entry at index of the hosting lobby's map list with the keys,
// and asks the hosted game on port which map its lobby shows, as a player
// looking for games would: on a busy machine the keys may come before the
// list has opened, so the choice is made again until the answer names map.
inline bool ChooseLobbyMap(const std::string& lobby, int index, int port, const std::string& map) {
    ::setenv("ORBITFALL_DISCOVERY", "loopback", 1);
    TempFolder scratch;
    for (int attempt = 0; attempt < 4; ++attempt) {
        ClickAt(lobby, 80, 18);
        std::this_thread::sleep_for(std::chrono::milliseconds(300 * (attempt + 1)));
        std::vector<std::string> keys{"key"};
        for (int i = 0; i < index; ++i) keys.push_back("Down");
        keys.push_back("Return");
        Xdotool(keys);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ChildProcess find({ORBITFALL_SIM, "find", "--port", std::to_string(port), "--seconds", "1"},
                          scratch.Path() + "find.txt");
        find.Wait(std::chrono::seconds(10));
        // "game ADDRESS PORT NAME MAP PLAYERS STARTS"
        std::istringstream answer(find.Output());
        std::string word, portWord, name, shown;
        while (answer >> word >> word >> portWord >> name >> shown) {
            if (portWord == std::to_string(port) && shown == map) return true;
            std::getline(answer, word);
        }
    }
    return false;
}
#endif

}  // namespace orbitfall::testing
