#include "shell/game/game_window.h"

#include <FL/Fl.H>

#include "control/controller.h"
#include "control/replay_controller.h"
#include "control/shell_link.h"
#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/key_state.h"
#include "render/fog.h"
#include "render/opengl_setup.h"
#include "render/texture_image.h"
#include "shell/escape_key.h"
#include "shell/game/form_input.h"
#include "shell/game/fltk_keys.h"
#include "simulation/game.h"

namespace orbitfall {

TForm1* Form1 = nullptr;

TForm1::TForm1(TController& controller, TShellLink& shell, const TFormSettings& settings)
    : TGlWindow(settings.Left, settings.Top, settings.ClientWidth, settings.ClientHeight, "Orbitfall"),
      Timer1([this] { DoTimer(); }, settings.FrameMs),
      controller_(controller),
      shell_(shell),
      settings_(settings),
      frameView_(*this) {
    // The close box (and nothing else, Escape included) closes the window.
    callback([](Fl_Widget*, void* self) {
        if (IsEscapeKeyClose()) return;
        static_cast<TForm1*>(self)->FormClose();
    }, this);
    if (Form1 == nullptr) Form1 = this;
}

TForm1::~TForm1() {
    Timer1.SetEnabled(false);
    if (glReady_) {
        MakeCurrent();
        FreeContextObjects();
        fog_.reset();
        DoneOpenGL();
    }
    if (Form1 == this) Form1 = nullptr;
}

TGame& TForm1::Game() const {
    if (!game_) throw Exception("The game window has no game");
    return *game_;
}

TFogOfWar& TForm1::Fog() const {
    if (!fog_) throw Exception("The game window has no fog texture");
    return *fog_;
}

void TForm1::FormCreate(TGame& game) {
    game_ = &game;
    show();
    // The exception hook of the event loop belongs to the window's owner
    // (it calls ExceptionHandler while this window exists).
    InitOpenGL(*this);
    glReady_ = true;
    view_.CameraTilt = 30;
    view_.CameraDistance = 12;
    WriteGraphicCardInfo(ResolveFileName("GraphicCardInfo.txt"));
    StartUnits(game);
    fog_ = CreateFogTexture(game.Width, game.Height);
    Timer1.SetEnabled(true);
}

void TForm1::DoTimer() {
    if (closed_) return;
    if (!settings_.PlaybackControls) {
        PlayFrame(true);
        return;
    }
    if (playback_.Paused()) return;
    if (playback_.IsMax()) {
        using namespace std::chrono;
        auto since = [this] { return duration_cast<microseconds>(steady_clock::now() - lastPictureEnd_).count(); };
        for (int undrawn = 0; !TPlaybackSpeed::PictureDue(undrawn, since(), renderUs_); ++undrawn)
            if (!PlayFrame(false)) return;
        PlayFrame(true);
        return;
    }
    const int frames = playback_.FramesPerEvent();
    for (int i = 1; i <= frames; ++i)
        if (!PlayFrame(i == frames)) return;
}

bool TForm1::PlayFrame(bool draw) {
    if (closed_) return false;
    draw = draw || WantsScreenshot(Game().Frame);
    if (!frameLoop_.DoTimer(controller_, &frameView_, draw)) return false;
    ++framesRun_;
    if (draw) lastPictureEnd_ = std::chrono::steady_clock::now();
    if (settings_.ExitAfter >= 0 && framesRun_ >= settings_.ExitAfter) {
        FormClose();
        return false;
    }
    return true;
}

void TForm1::PlaybackChanged() {
    if (!settings_.PlaybackControls) return;
    Timer1.SetInterval(playback_.IntervalMs(settings_.FrameMs));
    // Re-armed, so that the new interval counts from now: leaving 1/4x does
    // not wait out its long interval first.
    if (Timer1.Enabled()) {
        Timer1.SetEnabled(false);
        Timer1.SetEnabled(true);
    }
    RefreshCaption();
}

void TForm1::FormClose() {
    if (closed_) return;
    closed_ = true;
    Timer1.SetEnabled(false);
    ReleaseAllKeys();
    hide();
    shell_.ShowLobby(true);
}

void TForm1::ExceptionHandler(const std::exception& e) {
    Timer1.SetEnabled(false);
    try {
        Log("Except", 5, e.what());
    } catch (const std::exception&) {
        // The error itself must still be shown.
    }
    shell_.ShowError(e.what());
}

void TForm1::ShowFullscreen(int width, int height, int bits, int frequency) {
    if (Fullscreen()) return;
    ReplaceContext([&] {
        orbitfall::SetFullscreen(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                                 static_cast<std::uint16_t>(bits), static_cast<std::uint16_t>(frequency));
    });
}

void TForm1::ShowWindowed() {
    if (!Fullscreen()) return;
    ReplaceContext([] { orbitfall::LeaveFullscreen(); });
}

void TForm1::ReplaceContext(const std::function<void()>& change) {
    if (!glReady_ || closed_) return;
    MakeCurrent();
    FreeContextObjects();
    change();
    ContextRecreated();
    // The window may be a new X window now, made without its title.
    SetCaption(caption_);
    // A paused replay draws no frames: the new window would stay empty
    // until playback resumes. The picture of the current frame is drawn
    // again instead (drawing changes nothing of the game).
    if (settings_.PlaybackControls && playback_.Paused() && !frameLoop_.InFrame()) frameView_.Render();
    Log("Status", 4, "Graphics set up again for " + std::to_string(ClientWidth()) + "x" +
                         std::to_string(ClientHeight()) + " pixels");
}

void TForm1::FreeContextObjects() {
    if (fog_ && fog_->FogTexture) fog_->FogTexture->DeleteTextureObject();
    backdrop_.Free();
}

void TForm1::ContextRecreated() {
    if (fog_) MarkFogForUpload(*fog_);
}

void TForm1::SetCaption(const std::string& caption) {
    caption_ = caption;
    copy_label(caption_.c_str());
}

void TForm1::ShowFrameCaption(const std::string& timings) {
    timingsCaption_ = timings;
    shownFrame_ = Game().Frame;
    RefreshCaption();
}

void TForm1::RefreshCaption() {
    // Before the first picture the caption stays the program's name.
    if (timingsCaption_.empty()) return;
    if (!settings_.PlaybackControls) {
        SetCaption(timingsCaption_);
        return;
    }
    const auto* replay = dynamic_cast<const TReplayController*>(&controller_);
    SetCaption(timingsCaption_ + PlaybackCaption(shownFrame_, playback_, replay && replay->AtEnd));
}

void TForm1::WriteTimings(std::uint32_t moveMs, std::uint32_t renderMs) {
    if (settings_.TimingsFile.empty()) return;
    if (!timings_) {
        timings_.reset(std::fopen(settings_.TimingsFile.c_str(), "w"));
        if (!timings_) throw EFCreateError(settings_.TimingsFile);
    }
    std::fprintf(timings_.get(), "%d %u %u %lld\n", Game().Frame, moveMs, renderMs, static_cast<long long>(renderUs_));
    // Whole lines as they come, for tools that follow the file while the game runs.
    std::fflush(timings_.get());
}

std::string TForm1::ScreenshotPath(std::int32_t frame) const {
    std::string dir = settings_.ScreenshotDir.empty() ? "." : settings_.ScreenshotDir;
    if (dir.back() != '/') dir += '/';
    return dir + "frame-" + std::to_string(frame) + ".png";
}

int TForm1::handle(int event) {
    switch (event) {
        case FL_FOCUS:
        case FL_UNFOCUS:
            if (event == FL_UNFOCUS) ReleaseAllKeys();
            return 1;
        case FL_KEYDOWN:
        case FL_KEYUP:
            SetKeyDown(VirtualKeyFromFltk(Fl::event_key()), event == FL_KEYDOWN);
            Forward(event);
            // Every key is the game's: none may reach the default handling,
            // which closes a window on Escape.
            return 1;
        case FL_SHORTCUT:
            return Fl::event_key() == FL_Escape ? 1 : TGlWindow::handle(event);
        case FL_ENTER:
        case FL_LEAVE:
            return 1;
        case FL_PUSH:
            Fl::focus(this);
            Forward(event);
            return 1;
        case FL_RELEASE:
        case FL_DRAG:
        case FL_MOVE:
        case FL_MOUSEWHEEL:
            Forward(event);
            return 1;
        default:
            return TGlWindow::handle(event);
    }
}

void TForm1::Forward(int event) {
    if (!input_) return;
    const bool shift = Fl::event_state(FL_SHIFT) != 0, ctrl = Fl::event_state(FL_CTRL) != 0;
    try {
        switch (event) {
            case FL_KEYDOWN: input_->KeyDown(VirtualKeyFromFltk(Fl::event_key()), ctrl, shift); break;
            case FL_PUSH: input_->MouseDown(Fl::event_button(), Fl::event_x(), Fl::event_y(), shift, ctrl); break;
            case FL_RELEASE: input_->MouseUp(Fl::event_button(), Fl::event_x(), Fl::event_y(), shift, ctrl); break;
            case FL_DRAG:
            case FL_MOVE:
                input_->MouseMove(Fl::event_x(), Fl::event_y(), shift, Fl::event_state(FL_BUTTON1) != 0);
                break;
            case FL_MOUSEWHEEL:
                if (Fl::event_dy() != 0) input_->Wheel(Fl::event_dy());
                break;
            default: break;
        }
    } catch (const std::exception& e) {
        ExceptionHandler(e);
    }
}

}  // namespace orbitfall
