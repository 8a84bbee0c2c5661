#pragma once
// The game window as the input sees it: its client size, the main camera's
// pixel-to-map conversion, full screen and the player's screenshots.
#include <string>

#include "platform/png_file.h"
#include "shell/game/game_input.h"

namespace orbitfall {

class TForm1;

class TFormInputTarget : public TInputTarget {
public:
    explicit TFormInputTarget(TForm1& form) : form_(form) {}
    int ClientWidth() const override;
    int ClientHeight() const override;
    std::optional<TMapPoint> ScreenToMap(int x, int y) const override;
    void SetFullscreen(int width, int height, int bits, int refresh) override;
    void LeaveFullscreen() override;
    bool IsFullscreen() const override;
    // What the window shows now, as "Screenshots/<date>_<time>.png" in the
    // user folder; the log names the file.
    void RequestScreenshot() override;

private:
    TForm1& form_;
};

// "Screenshots/2026-12-09_01-30-05.png" for that local time, inside the user
// folder; attempt 2, 3, ... give "-2", "-3", ... (more pictures in one second).
std::string ScreenshotFileName(const std::string& userDir, long long unixSeconds, int attempt = 1);
// Writes the picture under the first of those names that is free, never over
// an existing file (nor through a link); the path written. EFCreateError
// when none of the first thousand names is free or the folder cannot be written.
std::string SaveScreenshot(const std::string& userDir, long long unixSeconds, const TRgbaPicture& picture);

}  // namespace orbitfall
