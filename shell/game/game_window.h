#pragma once
// The game window Form1: it sets up the graphics, has the start units placed,
// owns the frame timer Timer1 and runs one frame per timer event.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "control/frame_loop.h"
#include "control/playback_speed.h"
#include "platform/gl_window.h"
#include "render/backdrop.h"
#include "shell/game/form_timer.h"
#include "shell/game/game_frame_view.h"
#include "shell/game/view_state.h"

namespace orbitfall {

class TController;
class TFormInput;
class TGame;
class TShellLink;
struct TFogOfWar;

// How a game window is made: the design values unless tools ask otherwise.
struct TFormSettings {
    int Left = 309;
    int Top = 256;
    int ClientWidth = 696;
    int ClientHeight = 480;
    int FrameMs = 50;
    bool FrameMsFixed = false;  // a client's 1 ms does not replace it
    std::set<std::int32_t> ScreenshotAt;  // Frame values
    std::string ScreenshotDir = ".";
    std::int64_t ExitAfter = -1;          // frames, then the window closes
    std::string TimingsFile;              // "frame move-ms render-ms render-us" lines
    // Watching a replay: the playback speed and pause, shown in the caption.
    bool PlaybackControls = false;
};

class TForm1 : public TGlWindow {
public:
    TForm1(TController& controller, TShellLink& shell, const TFormSettings& settings);
    // FormDestroy: the fog texture, then the graphics (DoneOpenGL).
    ~TForm1() override;

    // Shows the window, then: graphics set-up, camera tilt and distance,
    // graphics-card report, start units, fog texture, timer on.
    void FormCreate(TGame& game);
    // One timer event: the frame procedure with this window's view; with
    // playback controls as many frames as the speed asks for (none paused),
    // only the last drawn (and any frame a screenshot is wanted of).
    void DoTimer();
    // Timer off, the window hidden (freed by its owner once no frame runs),
    // the lobby shown again. Closing twice does nothing more.
    void FormClose();
    // An exception that reached the event loop: timer off, "Except" log line,
    // the error box.
    void ExceptionHandler(const std::exception& e);

    TFormTimer Timer1;

    TController& Controller() const { return controller_; }
    TGame& Game() const;
    TFogOfWar& Fog() const;
    TBackdrop& Backdrop() { return backdrop_; }
    TViewState& ViewState() { return view_; }
    const TFrameLoop& FrameLoop() const { return frameLoop_; }
    bool Closed() const { return closed_; }
    std::int64_t FramesRun() const { return framesRun_; }
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The caption of a drawn frame: its timings text, and with playback
    // controls the frame, the speed and whether playback is paused.
    void ShowFrameCaption(const std::string& timings);

    // The replay's playback speed; nullptr without playback controls.
    TPlaybackSpeed* Playback() { return settings_.PlaybackControls ? &playback_ : nullptr; }
    // After the speed or the pause changed: the timer's interval, the caption.
    void PlaybackChanged();

    // F11: the window covers the screen, and back to its former place and
    // size. Everything drawn from the GL context is made again in the new
    // one (ReplaceContext). Asking for the state the window is in does nothing.
    void ShowFullscreen(int width, int height, int bits, int frequency);
    void ShowWindowed();

    // The one path on which the GL context is replaced while the window
    // lives: the window's own objects in the context (fog texture, backdrop
    // cache) are freed while the old context is current, `change` replaces
    // the context (DoneOpenGL, the window's change, InitOpenGL: the shared
    // textures, the font, the GL state), and the window's objects are marked
    // to be made again in the new context. A new kind of object kept in the
    // context joins FreeContextObjects and ContextRecreated.
    void ReplaceContext(const std::function<void()>& change);

    // Mouse, wheel and keys go here (nullptr: nowhere); the key table is fed
    // either way.
    void SetInput(TFormInput* input) { input_ = input; }

    bool WantsScreenshot(std::int32_t frame) const { return settings_.ScreenshotAt.count(frame) != 0; }
    std::string ScreenshotPath(std::int32_t frame) const;

    int handle(int event) override;

    // Measurements of the frame being drawn (for the timings file).
    void NoteRenderMicroseconds(std::int64_t us) { renderUs_ = us; }
    void WriteTimings(std::uint32_t moveMs, std::uint32_t renderMs);

private:
    void Forward(int event);
    // Deletes the GL objects the window keeps; the context must be current.
    void FreeContextObjects();
    void ContextRecreated();
    // One frame; false when none ran or the window closed after it.
    bool PlayFrame(bool draw);
    void RefreshCaption();
    TController& controller_;
    TShellLink& shell_;
    TFormSettings settings_;
    TGame* game_ = nullptr;
    std::unique_ptr<TFogOfWar> fog_;
    TBackdrop backdrop_;
    TFrameLoop frameLoop_;
    TGameFrameView frameView_;
    TViewState view_;
    TFormInput* input_ = nullptr;
    bool closed_ = false;
    bool glReady_ = false;
    std::int64_t framesRun_ = 0;
    std::string caption_ = "Orbitfall";
    std::string timingsCaption_;
    std::int32_t shownFrame_ = 0;
    TPlaybackSpeed playback_;
    std::chrono::steady_clock::time_point lastPictureEnd_{};
    std::int64_t renderUs_ = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> timings_{nullptr, &std::fclose};
};

// The game window while one exists.
extern TForm1* Form1;

}  // namespace orbitfall
