#include "shell/game/game_frame_view.h"

#include <chrono>

#include "control/tcp_controller.h"
#include "infra/key_state.h"
#include "infra/settings.h"
#include "platform/png_file.h"
#include "render/game_frame.h"
#include "render/opengl_setup.h"
#include "render/screenshot.h"
#include "shell/game/game_window.h"
#include "simulation/game.h"

namespace orbitfall {

void ScrollCameraByKeys(double& cameraX, double& cameraY) {
    if (IsKeyDown(VkRight, true)) cameraX += 1;
    if (IsKeyDown(VkLeft, true)) cameraX -= 1;
    if (IsKeyDown(VkUp, true)) cameraY -= 1;
    if (IsKeyDown(VkDown, true)) cameraY += 1;
}

std::string FrameCaption(std::uint32_t moveMs, std::uint32_t renderMs, const std::string& glErrorText,
                         std::optional<std::int32_t> lag) {
    std::string caption = "Move:" + std::to_string(moveMs) + "ms Render:" + std::to_string(renderMs) + "ms " +
                          glErrorText;
    if (lag) caption += " Lag:" + std::to_string(*lag);
    return caption;
}

std::string PlaybackCaption(std::int32_t frame, const TPlaybackSpeed& speed, bool replayEnded) {
    std::string caption = " Frame:" + std::to_string(frame) + " Speed:" + speed.Text();
    if (speed.Paused()) caption += " Paused";
    if (replayEnded) caption += " End of replay";
    return caption;
}

void TGameFrameView::ScrollCamera() {
    TPlayer& local = *form_.Game().LocalPlayer;
    ScrollCameraByKeys(local.CameraX, local.CameraY);
}

void TGameFrameView::Render() {
    const auto start = std::chrono::steady_clock::now();
    TGame& game = form_.Game();
    form_.MakeCurrent();
    const TViewState& v = form_.ViewState();
    TFrameDrawState state;
    state.CameraTilt = v.CameraTilt;
    state.CameraDistance = v.CameraDistance;
    state.Drag = {v.Selecting, v.SelectStart[0], v.SelectStart[1], v.SelectEnd[0], v.SelectEnd[1]};
    const int w = form_.ClientWidth(), h = form_.ClientHeight();
    DrawGameFrame(game, form_.Fog(), form_.Backdrop(), *GameSettings, state, w, h);
    if (form_.WantsScreenshot(game.Frame)) {
        TRgbaPicture picture{w, h, ReadFramePixels(w, h)};
        WritePng(form_.ScreenshotPath(game.Frame), picture);
    }
    PresentFrame();
    form_.NoteRenderMicroseconds(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
}

void TGameFrameView::ShowTimings(std::uint32_t moveMs, std::uint32_t renderMs) {
    std::optional<std::int32_t> lag;
    if (auto* tcp = dynamic_cast<TTcpController*>(&form_.Controller())) lag = tcp->Lag;
    form_.ShowFrameCaption(FrameCaption(moveMs, renderMs, PendingGlErrorText(), lag));
    form_.WriteTimings(moveMs, renderMs);
}

void TGameFrameView::StopTimer() { form_.Timer1.SetEnabled(false); }

}  // namespace orbitfall
