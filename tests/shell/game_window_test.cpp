// The game window's frames in this process, on the test display: the caption,
// the key table, an error that stops the frames, closing.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "control/controller.h"
#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/key_state.h"
#include "infra/language.h"
#include "infra/random.h"
#include "infra/settings.h"
#include "platform/png_file.h"
#include "render/bmp_font.h"
#include "render/fog.h"
#include "render/opengl_setup.h"
#include "render/texture.h"
#include "render/texture_image.h"
#include "shell/game/form_input.h"
#include "shell/game/window_shell.h"
#include "simulation/game.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

// Plays empty frames; raises "Game asynchron" when the game reaches FailAt.
class TTestController : public TController {
public:
    explicit TTestController(TShellLink& shell) : TController(shell) { Recording = false; }
    std::int32_t FailAt = -1;
    std::string Map = "Zweikampf";
    void Start() {
        TStartInfo info;
        info.SetMapName(Map);
        info.PlayerCount = 2;
        info.PlayerNumber = 1;
        info.RandomSeed = 7;
        SetRandomState(7);
        CreateGame(info);
        StartGame();
    }
    void ExecuteCommands() override {
        TController::ExecuteCommands();
        if (RequireGame().Frame == FailAt) throw Exception("Game asynchron");
    }
    void IssueCommand(TCommand) override {}
};

struct TRecordedInput : TFormInput {
    std::vector<std::string> events;
    void MouseDown(int b, int x, int y, bool, bool) override {
        events.push_back("down " + std::to_string(b) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void KeyDown(int key, bool ctrl, bool) override {
        events.push_back("key " + std::to_string(key) + (ctrl ? " ctrl" : ""));
    }
    void Wheel(int dy) override { events.push_back("wheel " + std::to_string(dy)); }
};

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", user.Path());
        LoadLanguage("DE");
        OpenEventLog();
        InitSettings("");
        settings.FrameMs = 1;
        settings.ClientWidth = 512;
        settings.ClientHeight = 384;
    }
    void TearDown() override {
        Controller = nullptr;
        FreeSettings();
        CloseEventLog();
        ClearLanguage();
        ClearDataDirs();
    }

    // Runs the event loop until done() or the timeout.
    template <class F>
    bool Pump(F done, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            Fl::wait(0.005);
        }
        return true;
    }

    std::vector<std::string> LogLines() const {
        std::ifstream in(user.Path() + "log.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    TempFolder user;
    TFormSettings settings;
};

}  // namespace

TEST_F(GameWindow, CaptionShowsTheTimingsAfterEveryFrame) {
    TWindowShell shell(settings);
    TTestController controller(shell);
    Controller = &controller;
    controller.Start();
    TForm1* form = shell.Form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Form1, form);
    EXPECT_EQ(form->Caption(), "Orbitfall");
    EXPECT_TRUE(form->Timer1.Enabled());
    EXPECT_EQ(form->ViewState().CameraTilt, 30);
    EXPECT_EQ(form->ViewState().CameraDistance, 12);
    EXPECT_EQ(controller.RequireGame().Engine->ChildCount() > 400, true) << "start units placed";
    ASSERT_TRUE(Pump([&] { return form->FramesRun() >= 3; }));
    EXPECT_TRUE(std::regex_match(form->Caption(), std::regex("Move:[0-9]+ms Render:[0-9]+ms no error")))
        << form->Caption();
    EXPECT_EQ(std::string(form->label()), form->Caption());
    EXPECT_EQ(controller.RequireGame().Frame, form->FramesRun());
}

TEST_F(GameWindow, ErrorInAFrameStopsTheTimerForGood) {
    TWindowShell shell(settings);
    std::vector<std::string> boxes;
    shell.ErrorBox = [&](const std::string& m) { boxes.push_back(m); };
    TTestController controller(shell);
    controller.FailAt = 4;
    Controller = &controller;
    controller.Start();
    TForm1* form = shell.Form();
    ASSERT_TRUE(Pump([&] { return !boxes.empty(); }));
    EXPECT_EQ(boxes, std::vector<std::string>{"Game asynchron"});
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_EQ(form->FramesRun(), 4);
    // Later events, even a timer enabled again, run no frame.
    form->Timer1.SetEnabled(true);
    Pump([] { return false; }, std::chrono::milliseconds(100));
    form->DoTimer();
    EXPECT_EQ(form->FramesRun(), 4);
    EXPECT_EQ(controller.RequireGame().Frame, 4);
    EXPECT_EQ(boxes.size(), 1u);
    int except = 0;
    for (const std::string& line : LogLines()) except += line.rfind("Except\t5\t", 0) == 0 && line.find("Game asynchron") != std::string::npos;
    EXPECT_EQ(except, 1);
}

TEST_F(GameWindow, KeysFeedTheKeyTableAndReachTheInput) {
    TWindowShell shell(settings);
    TRecordedInput input;
    shell.Input = &input;
    TTestController controller(shell);
    Controller = &controller;
    controller.Start();
    TForm1* form = shell.Form();
    form->Timer1.SetEnabled(false);
    ReleaseAllKeys();

    Fl::e_keysym = FL_Left;
    EXPECT_EQ(form->handle(FL_KEYDOWN), 1);
    EXPECT_TRUE(IsKeyDown(VkLeft, true));
    TPlayer& local = *controller.RequireGame().LocalPlayer;
    const double x = local.CameraX;
    form->Timer1.SetEnabled(true);
    ASSERT_TRUE(Pump([&] { return form->FramesRun() >= 2; }));
    form->Timer1.SetEnabled(false);
    EXPECT_EQ(local.CameraX, x - form->FramesRun());
    EXPECT_EQ(form->handle(FL_KEYUP), 1);
    EXPECT_FALSE(IsKeyDown(VkLeft, true));

    // Escape is the game's key like any other: the window stays open.
    Fl::e_keysym = FL_Escape;
    EXPECT_EQ(form->handle(FL_KEYDOWN), 1);
    EXPECT_EQ(form->handle(FL_SHORTCUT), 1);
    EXPECT_FALSE(form->Closed());
    EXPECT_TRUE(form->shown());

    Fl::e_keysym = 'a';
    Fl::e_state = FL_CTRL;
    form->handle(FL_KEYDOWN);
    Fl::e_state = 0;
    Fl::e_keysym = FL_Button + 3;
    Fl::e_x = 40;
    Fl::e_y = 50;
    form->handle(FL_PUSH);
    Fl::e_dy = 1;
    form->handle(FL_MOUSEWHEEL);
    EXPECT_EQ(input.events, (std::vector<std::string>{"key 37", "key 27", "key 65 ctrl", "down 3 40 50", "wheel 1"}));
}

TEST_F(GameWindow, ClosingStopsTheTimerAndTheShellFreesTheWindowAfterwards) {
    TWindowShell shell(settings);
    TTestController controller(shell);
    Controller = &controller;
    controller.Start();
    TForm1* form = shell.Form();
    ASSERT_TRUE(Pump([&] { return form->FramesRun() >= 1; }));
    form->FormClose();
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_FALSE(form->shown());
    const auto frames = form->FramesRun();
    Pump([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(form->FramesRun(), frames);
    shell.ReleaseClosedForm();
    EXPECT_EQ(shell.Form(), nullptr);
    EXPECT_EQ(Form1, nullptr);
}

namespace {

// Every texture object the frames draw with, each a live texture of the
// current context and no two the same.
void ExpectLiveDistinctTextures(TForm1& form, const std::string& when) {
    std::vector<GLuint> names;
    for (TTexture* t : {NebulaTexture, LaserTexture, BackgroundTexture, AuraTexture, SelectionTexture, MoonTexture,
                        InterfaceTexture, ExplosionTexture, FogPatternTexture}) {
        ASSERT_NE(t, nullptr) << when;
        names.push_back(t->Image().TextureObject());
    }
    ASSERT_NE(MainFont, nullptr) << when;
    names.push_back(MainFont->Image().TextureObject());
    names.push_back(form.Fog().FogTexture->TextureObject());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(glIsTexture(names[i]), GL_TRUE) << when << ", texture " << i;
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]) << when << ", textures " << j << ", " << i;
    }
}

}  // namespace

TEST_F(GameWindow, FullscreenAndBackMakeEveryTextureAgainInTheNewContext) {
    TWindowShell shell(settings);
    TTestController controller(shell);
    Controller = &controller;
    controller.Start();
    TForm1* form = shell.Form();
    ASSERT_TRUE(Pump([&] { return form->FramesRun() >= 2; }));
    Fl::wait(0.05);
    const int x = form->x(), y = form->y();
    ExpectLiveDistinctTextures(*form, "before");
    const unsigned generation = ContextGeneration();

    form->ShowFullscreen(1024, 768, 32, 75);
    EXPECT_TRUE(form->Fullscreen());
    EXPECT_EQ(ContextGeneration(), generation + 1);
    auto frames = form->FramesRun();
    ASSERT_TRUE(Pump([&] { return form->FramesRun() >= frames + 3; }));
    EXPECT_EQ(form->ClientWidth(), Fl::w());
    EXPECT_EQ(form->ClientHeight(), Fl::h());
    ASSERT_TRUE(form->MakeCurrent());
    ExpectLiveDistinctTextures(*form, "in full screen");
    // Asked again: already there, nothing is made anew.
    form->ShowFullscreen(1024, 768, 32, 75);
    EXPECT_EQ(ContextGeneration(), generation + 1);

    form->ShowWindowed();
    EXPECT_FALSE(form->Fullscreen());
    EXPECT_EQ(ContextGeneration(), generation + 2);
    frames = form->FramesRun();
    ASSERT_TRUE(Pump([&] { return form->FramesRun() >= frames + 3; }));
    EXPECT_EQ(form->ClientWidth(), 512);
    EXPECT_EQ(form->ClientHeight(), 384);
    EXPECT_EQ(form->x(), x);
    EXPECT_EQ(form->y(), y);
    ASSERT_TRUE(form->MakeCurrent());
    ExpectLiveDistinctTextures(*form, "back in the window");
    EXPECT_TRUE(std::regex_match(form->Caption(), std::regex("Move:[0-9]+ms Render:[0-9]+ms no error")))
        << form->Caption();
}

namespace {

// The picture of frame 2 at a detail word, in the given folder.
TRgbaPicture FrameAtDetail(const TempFolder& user, const std::string& word, TFormSettings settings) {
    FreeSettings();
    InitSettings(word);
    settings.ScreenshotAt = {2};
    settings.ScreenshotDir = user.Path() + word;
    std::filesystem::create_directories(settings.ScreenshotDir);
    TWindowShell shell(settings);
    TTestController controller(shell);
    controller.Map = "Breit";
    Controller = &controller;
    controller.Start();
    TForm1* form = shell.Form();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (form->FramesRun() < 3 && std::chrono::steady_clock::now() < end) Fl::wait(0.005);
    Controller = nullptr;
    return ReadPng(settings.ScreenshotDir + "/frame-2.png");
}

}  // namespace

TEST_F(GameWindow, MinimalDetailDrawsTheSameModels) {
    // A map without nebulae; the camera looks at player 1's ships.
    user.WriteFile("Maps/Breit.ofm",
                   "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\n<Map>\n  <Informations>\n"
                   "    <Name>Breit</Name>\n    <Width>300</Width>\n    <Height>150</Height>\n"
                   "  </Informations>\n  <Objects>\n    <Start Player=\"1\" X=\"60\" Y=\"60\"/>\n"
                   "    <Start Player=\"2\" X=\"210\" Y=\"60\"/>\n  </Objects>\n</Map>\n");
    const TRgbaPicture normal = FrameAtDetail(user, "normal", settings);
    const TRgbaPicture minimal = FrameAtDetail(user, "minimal", settings);
    ASSERT_EQ(normal.Pixels.size(), minimal.Pixels.size());
    // Pixels of the main view in strong colours are the ships' faces; the
    // background band and the grid behind them differ between the levels.
    const int viewRows = normal.Height - static_cast<int>(normal.Width * 180 / 1024);
    int model = 0, same = 0;
    for (int y = 0; y < viewRows; ++y)
        for (int x = 0; x < normal.Width; ++x) {
            const std::uint8_t* a = &normal.Pixels[(static_cast<std::size_t>(y) * normal.Width + x) * 4];
            const std::uint8_t* b = &minimal.Pixels[(static_cast<std::size_t>(y) * normal.Width + x) * 4];
            const int hi = std::max({a[0], a[1], a[2]}), lo = std::min({a[0], a[1], a[2]});
            if (hi - lo < 150) continue;
            ++model;
            same += a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
        }
    EXPECT_GT(model, 200);
    EXPECT_EQ(same, model);
}
