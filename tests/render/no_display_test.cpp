// A start without a usable X display: the GL window answers false and the
// message box falls back to standard error; nothing ends the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/desktop_display.h"
#include "platform/gl_window.h"
#include "platform/message_box.h"

namespace orbitfall {
namespace {

// A display number nobody serves on this machine.
std::string DeadDisplay() {
    for (int n = 4095; n > 3000; --n) {
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) return ":" + std::to_string(n);
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
    DesktopMessageBox().ShowError("Keine Grafik");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Keine Grafik\n");
}

INSTANTIATE_TEST_SUITE_P(Displays, NoDisplay,
                         ::testing::Values(DisplayCase{"Unset", true}, DisplayCase{"Dead", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbitfall
