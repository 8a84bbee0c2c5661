#pragma once
// Shipped data, a temporary user folder and an open event log for the tests
// of the controllers; a shell that records what the controllers asked of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/shell_link.h"
#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "platform/event_loop.h"
#include "simulation/game.h"
#include "tests/support/temp_folder.h"

namespace orbitfall::testing {

inline constexpr const char* kTestMap = "Zweikampf";

class TRecordingShell : public TShellLink {
public:
    void CreateGameWindow(TGame& game) override {
        ++windowsCreated;
        StartUnits(game);
    }
    void SetFrameInterval(int ms) override { frameInterval = ms; }
    void CreateLobby(bool) override {}
    void ShowLobby(bool) override {}
    void AddLobbyMessage(const std::string& text) override { lobby.push_back(text); }
    // The last line shows the count, as a lobby window would.
    void RepeatLobbyMessage(const std::string& text, int count) override {
        if (!lobby.empty()) lobby.back() = text + " (" + std::to_string(count) + ")";
    }
    void SetLobbyPlayers(const std::vector<TLobbyPlayer>& list) override { players.push_back(list); }
    std::string SelectedMap() override { return selectedMap; }
    TEventLoop& EventLoop() override { return loop; }
    void ProcessMessages() override {
        if (onProcessMessages) onProcessMessages();
    }
    bool Terminated() override { return terminated; }
    void Sleep(int) override {}
    std::uint32_t TickCount() override { return ticks++; }
    void ShowError(const std::string& message) override { errors.push_back(message); }

    TEventLoop loop;
    bool terminated = false;
    int windowsCreated = 0;
    int frameInterval = 50;
    std::uint32_t ticks = 0;
    std::vector<std::string> lobby;
    // Every list of players present the controller gave, in order.
    std::vector<std::vector<TLobbyPlayer>> players;
    std::string selectedMap = kTestMap;
    std::vector<std::string> errors;
    std::function<void()> onProcessMessages;
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", user.Path());
        LoadLanguage("DE");
        OpenEventLog();
    }
    void TearDown() override {
        CloseEventLog();
        ClearLanguage();
        ClearDataDirs();
    }
    std::string ReplayPath() const { return user.Path() + "Replays/Latest.ofr"; }

    TempFolder user;
    TRecordingShell shell;
};

}  // namespace orbitfall::testing
