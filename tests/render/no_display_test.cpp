// A start without a usable X display: the GL window answers false and the
// message box falls back to standard error; nothing ends the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/desktop_display.h"
#include "platform/gl_window.h"
#include "platform/message_box.h"
#include "render/opengl_setup.h"

namespace orbitfall {
namespace {

// A display number nobody serves on this machine.
std::string DeadDisplay() {
    for (int n = 4095; n > 3000; --n) {
        const std::string number = std::to_string(n);
        if (!std::filesystem::exists(std::filesystem::path("/tmp/.X11-unix") / ("X" + number))) {
            return ":" + number;
        }
    }
    return ":4095";
}

struct DisplayCase {
    const char* name;
    bool unset;
};

void PrintTo(const DisplayCase& c, std::ostream* out) { *out << c.name; }

class NoDisplay : public ::testing::TestWithParam<DisplayCase> {
protected:
    void SetUp() override {
        if (GetParam().unset) {
            unsetenv("DISPLAY");
            expectedName_ = "";
        } else {
            expectedName_ = DeadDisplay();
            setenv("DISPLAY", expectedName_.c_str(), 1);
        }
    }
    std::string expectedName_;
};

TEST_P(NoDisplay, WindowCannotBeMadeCurrent) {
    TGlWindow window(320, 200, "no display");
    EXPECT_FALSE(window.MakeCurrent());
    EXPECT_FALSE(window.shown());
    EXPECT_EQ(window.DisplayName(), expectedName_);
    EXPECT_FALSE(OpenDesktopDisplay());
    // Everything else stays safe to call.
    window.SwapBuffers();
    window.DestroyContext();
}

TEST_P(NoDisplay, MessageBoxWritesToStandardError) {
    ::testing::internal::CaptureStderr();
    // In the data files' encoding: shown as UTF-8 all the same.
    TFltkMessageBox().ShowError("Keine Grafik f\xfcr Sie");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Keine Grafik f\u00fcr Sie\n");
}

TEST_P(NoDisplay, InitOpenGLRaisesAClearErrorAndSetsNothingUp) {
    TGlWindow window(320, 200, "no display");
    try {
        InitOpenGL(window);
        ADD_FAILURE() << "InitOpenGL went through without a display";
    } catch (const EGraphicsUnavailable& e) {
        const std::string message = e.Message();
        if (expectedName_.empty())
            EXPECT_NE(message.find("DISPLAY is not set"), std::string::npos) << message;
        else
            EXPECT_NE(message.find("\"" + expectedName_ + "\""), std::string::npos) << message;
    }
    EXPECT_EQ(ResourceManager, nullptr);
    EXPECT_EQ(NebulaTexture, nullptr);
    EXPECT_EQ(MainFont, nullptr);
    EXPECT_EQ(CurrentSurface(), nullptr);
    DoneOpenGL();   // nothing to release, and no crash
}

INSTANTIATE_TEST_SUITE_P(Displays, NoDisplay,
                         ::testing::Values(DisplayCase{"Unset", true}, DisplayCase{"Dead", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbitfall
