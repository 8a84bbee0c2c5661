#include "shell/game/form_input_target.h"

#include <cerrno>
#include <ctime>
#include <exception>
#include <memory>

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/file_system.h"
#include "platform/png_file.h"
#include "render/camera.h"
#include "shell/game/game_window.h"

namespace orbitfall {

int TFormInputTarget::ClientWidth() const { return form_.ClientWidth(); }
int TFormInputTarget::ClientHeight() const { return form_.ClientHeight(); }

std::optional<TMapPoint> TFormInputTarget::ScreenToMap(int x, int y) const {
    TMapPoint p;
    if (!orbitfall::ScreenToMap(x, y, p.X, p.Y)) return std::nullopt;
    return p;
}

void TFormInputTarget::SetFullscreen(int width, int height, int bits, int frequency) {
    form_.ShowFullscreen(width, height, bits, frequency);
}

void TFormInputTarget::LeaveFullscreen() { form_.ShowWindowed(); }

bool TFormInputTarget::IsFullscreen() const { return form_.Fullscreen(); }

std::string ScreenshotFileName(const std::string& userDir, long long unixSeconds, int attempt) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    const std::string folder = userDir + "Screenshots/";
    if (attempt <= 1) return folder + stamp + ".png";
    return folder + stamp + "-" + std::to_string(attempt) + ".png";
}

std::string SaveScreenshot(const std::string& userDir, long long unixSeconds, const TRgbaPicture& picture) {
    // The name is taken by creating the file: a name checked first and
    // written later could be taken (or turned into a link) in between.
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string name = ScreenshotFileName(userDir, unixSeconds, attempt);
        if (WriteNewPng(name, picture)) return name;
    }
    errno = EEXIST;
    throw EFCreateError(ScreenshotFileName(userDir, unixSeconds));
}

void TFormInputTarget::RequestScreenshot() {
    // What the X server shows of the window: the frame last presented.
    const int w = form_.ClientWidth(), h = form_.ClientHeight();
    form_.Fl_Window::make_current();
    std::unique_ptr<uchar[]> pixels(fl_read_image(nullptr, 0, 0, w, h, 255));
    if (!pixels) return;
    TRgbaPicture picture{w, h, std::vector<std::uint8_t>(pixels.get(), pixels.get() + std::size_t(w) * h * 4)};
    CreateDir(UserDir() + "Screenshots");
    try {
        const std::string path = SaveScreenshot(UserDir(), static_cast<long long>(std::time(nullptr)), picture);
        Log("Status", 1, "Screenshot saved to " + path);
    } catch (const std::exception& e) {
        Log("Status", 3, std::string("Screenshot not saved: ") + e.what());
    }
}

}  // namespace orbitfall
