#pragma once
// The headless runner's side of the controller seam: no windows, the lobby
// is standard output ("lobby: " lines), errors go to standard error.
#include <cstdint>
#include <string>

#include "control/shell_link.h"

namespace orbitfall {

class TConsoleShell : public TShellLink {
public:
    void CreateGameWindow(TGame& game) override;
    void SetFrameInterval(int milliseconds) override { frameInterval_ = milliseconds; }
    void CreateLobby(bool) override {}
    void ShowLobby(bool) override {}
    void AddLobbyMessage(const std::string& text) override;
    void ProcessMessages() override {}
    void Sleep(int milliseconds) override;
    std::uint32_t TickCount() override;
    void ShowError(const std::string& message) override;

    int FrameInterval() const { return frameInterval_; }
    const std::string& LastError() const { return lastError_; }

private:
    int frameInterval_ = 50;
    std::string lastError_;
};

}  // namespace orbitfall
