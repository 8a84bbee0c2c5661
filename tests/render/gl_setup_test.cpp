// The game's GL set-up on a real context: the shared textures and the font
// from the shipped art, the global state, full screen and the release.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/file_system.h"
#include "infra/resource_manager.h"
#include "render/bmp_font.h"
#include "render/opengl_setup.h"
#include "render/texture.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/temp_folder.h"

// Last: X11 defines None, a name the texture formats use too.
#include <GL/glx.h>

namespace orbitfall {
namespace {

namespace fs = std::filesystem;

struct SharedTexture {
    TTexture** global;
    const char* fileName;
};

const std::vector<SharedTexture> kTable = {
    {&NebulaTexture, "Graphics\\Nebula.img"},
    {&LaserTexture, "Graphics\\Textures\\Laser.img"},
    {&BackgroundTexture, "Graphics\\Background\\Orion.img"},
    {&AuraTexture, "Graphics\\Textures\\Aura1.img"},
    {&SelectionTexture, "Graphics\\Textures\\Selection.img"},
    {&MoonTexture, "Graphics\\Textures\\Kristallmond.img"},
    {&InterfaceTexture, "Graphics\\Interfaces\\Interface3b.img"},
    {&ExplosionTexture, "Graphics\\Textures\\BlueExplosion.img"},
    {&FogPatternTexture, "Graphics\\Textures\\Fog.img"},
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The shipped graphics copied into a data folder of the test's own, so that
// a test can take a file away.
class GlSetupTest : public testing::GlTest {
protected:
    void SetUp() override {
        testing::GlTest::SetUp();
        if (HasFatalFailure()) return;
        const fs::path shipped = fs::path(ORBITFALL_SOURCE_DIR) / "Game" / "Data" / "Graphics";
        ASSERT_TRUE(fs::is_directory(shipped)) << shipped;
        fs::create_directories(folder_.Path() + "Data");
        fs::copy(shipped, folder_.Path() + "Data/Graphics", fs::copy_options::recursive);
        SetDataDirs(folder_.Path() + "Data", folder_.Path() + "User");
        LogContext = "";
        OpenEventLog();
    }
    void TearDown() override {
        DoneOpenGL();
        CloseEventLog();
        ClearDataDirs();
        testing::GlTest::TearDown();
    }
    std::string Log() const { return ReadWholeFile(folder_.Path() + "User/log.txt"); }
    // Removes every shipped file whose name, without its extension, is stem.
    void RemoveShipped(const std::string& folder, const std::string& fileName) {
        for (const auto& entry : fs::directory_iterator(folder_.Path() + "Data/Graphics/" + folder)) {
            if (entry.path().filename().string() == fileName ||
                entry.path().stem().string() == fileName)
                fs::remove(entry.path());
        }
    }
    testing::TempFolder folder_;
};

TEST_F(GlSetupTest, InitLoadsTheNineTexturesInTableOrderAndTheFont) {
    InitOpenGL(Window());
    ASSERT_NE(ResourceManager, nullptr);
    EXPECT_EQ(CurrentSurface(), &Window());
    EXPECT_EQ(LogContext.Value(), "Init");
    std::vector<TTexture*> seen;
    for (const SharedTexture& shared : kTable) {
        TTexture* texture = *shared.global;
        ASSERT_NE(texture, nullptr) << shared.fileName;
        EXPECT_EQ(texture->FileName, shared.fileName);
        EXPECT_EQ(texture->RefCount, 1) << shared.fileName;
        EXPECT_GT(texture->Image().Width(), 0) << shared.fileName;
        EXPECT_EQ(glIsTexture(texture->Image().TextureObject()), GL_TRUE) << shared.fileName;
        // Uploaded pixel stores are freed unless asked to be kept.
        if (!texture->Image().KeepPixels) {
            EXPECT_EQ(texture->Image().Row(0), nullptr) << shared.fileName;
        }
        seen.push_back(texture);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
    ASSERT_NE(MainFont, nullptr);
    EXPECT_GT(MainFont->LineHeight(), 0);
    EXPECT_TRUE(MainFont->Glyphs()['A'].Defined);

    // The resource log shows the nine loads in table order.
    const std::string log = Log();
    std::size_t previous = 0;
    for (const SharedTexture& shared : kTable) {
        const std::size_t at = log.find(std::string("Requre \"") + shared.fileName + "\" loaded from ");
        ASSERT_NE(at, std::string::npos) << shared.fileName << "\n" << log;
        EXPECT_GT(at, previous) << shared.fileName;
        previous = at;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlSetupTest, GlobalStateAndClearFrame) {
    InitOpenGL(Window());
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.1f);
    EXPECT_FLOAT_EQ(clear[1], 0.1f);
    EXPECT_FLOAT_EQ(clear[2], 0.2f);
    EXPECT_FLOAT_EQ(clear[3], 0.0f);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_TRUE);
    GLint value = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    EXPECT_EQ(GLExtensions(), reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    EXPECT_TRUE(HasGLExtension("GL_EXT_bgra"));
    EXPECT_FALSE(HasGLExtension("GL_EXT_bgr"));   // a prefix of a name is no name

    // Whatever was drawn before, ClearFrame leaves the clear colour and the
    // far depth everywhere.
    glClearColor(1, 1, 1, 1);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.1f, 0.1f, 0.2f, 0.0f);
    glClearDepth(1.0);
    ClearFrame();
    const auto pixels = TestWindow().ReadBackBuffer(0, 0, 640, 480);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] != 26 || pixels[i + 1] != 26 || pixels[i + 2] != 51 || pixels[i + 3] != 0) ++wrong;
    EXPECT_EQ(wrong, 0u);
    GLfloat depth = 0;
    glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}

TEST_F(GlSetupTest, DoneReleasesEverySharedTextureBeforeTheManagerGoes) {
    InitOpenGL(Window());
    DoneOpenGL();
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Refcount>0 at destruction of Resman for "), 0u) << log;
    EXPECT_EQ(Count(log, "ResourceManager destroyed"), 1u);
    EXPECT_EQ(ResourceManager, nullptr);
    for (const SharedTexture& shared : kTable) EXPECT_EQ(*shared.global, nullptr) << shared.fileName;
    EXPECT_EQ(MainFont, nullptr);
    EXPECT_EQ(CurrentSurface(), nullptr);
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
    DoneOpenGL();   // a second release finds nothing to do
}

TEST_F(GlSetupTest, SetFullscreenTwiceLeavesOneManagerAndNineTextures) {
    InitOpenGL(Window());
    SetFullscreen(1024, 768, 32, 75);
    SetFullscreen(1024, 768, 32, 75);
    testing::PumpEvents();
    ASSERT_NE(ResourceManager, nullptr);
    EXPECT_EQ(Window().ClientWidth(), Fl::w());
    EXPECT_EQ(Window().ClientHeight(), Fl::h());
    EXPECT_NE(glXGetCurrentContext(), nullptr);

    const std::string log = Log();
    EXPECT_EQ(Count(log, "ResourceManager created"), 3u);
    EXPECT_EQ(Count(log, "ResourceManager destroyed"), 2u);
    EXPECT_EQ(Count(log, "Refcount>0 at destruction of Resman for "), 0u) << log;
    for (const SharedTexture& shared : kTable) {
        // Loaded again after each switch, and alive in the new context.
        EXPECT_EQ(Count(log, std::string("Requre \"") + shared.fileName + "\" loaded from "), 3u) << shared.fileName;
        ASSERT_NE(*shared.global, nullptr);
        EXPECT_EQ((*shared.global)->RefCount, 1);
        EXPECT_EQ(glIsTexture((*shared.global)->Image().TextureObject()), GL_TRUE) << shared.fileName;
    }
    ASSERT_NE(MainFont, nullptr);
}

TEST_F(GlSetupTest, LeavingFullscreenGivesBackTheWindowWithEverythingLoadedAgain) {
    InitOpenGL(Window());
    testing::PumpEvents();
    const int x = Window().x(), y = Window().y(), w = Window().ClientWidth(), h = Window().ClientHeight();
    SetFullscreen(1024, 768, 32, 75);
    testing::PumpEvents();
    ASSERT_TRUE(Window().Fullscreen());
    LeaveFullscreen();
    testing::PumpEvents();
    EXPECT_FALSE(Window().Fullscreen());
    EXPECT_EQ(Window().x(), x);
    EXPECT_EQ(Window().y(), y);
    EXPECT_EQ(Window().ClientWidth(), w);
    EXPECT_EQ(Window().ClientHeight(), h);
    ASSERT_NE(glXGetCurrentContext(), nullptr);
    // The state set once per context is there again.
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_TRUE);
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[2], 0.2f);

    const std::string log = Log();
    EXPECT_EQ(Count(log, "ResourceManager created"), 3u);
    EXPECT_EQ(Count(log, "Refcount>0 at destruction of Resman for "), 0u) << log;
    for (const SharedTexture& shared : kTable) {
        ASSERT_NE(*shared.global, nullptr);
        EXPECT_EQ(glIsTexture((*shared.global)->Image().TextureObject()), GL_TRUE) << shared.fileName;
    }
    ASSERT_NE(MainFont, nullptr);
    EXPECT_EQ(glIsTexture(MainFont->Image().TextureObject()), GL_TRUE);
    // Leaving again, not being in full screen, changes nothing but the context.
    LeaveFullscreen();
    testing::PumpEvents();
    EXPECT_EQ(Window().ClientWidth(), w);
    EXPECT_EQ(Window().x(), x);
}

TEST_F(GlSetupTest, InitAgainReleasesTheEarlierSetUpFirst) {
    InitOpenGL(Window());
    InitOpenGL(Window());
    const std::string log = Log();
    EXPECT_EQ(Count(log, "ResourceManager created"), 2u);
    EXPECT_EQ(Count(log, "ResourceManager destroyed"), 1u);
    EXPECT_EQ(Count(log, "Refcount>0 at destruction of Resman for "), 0u) << log;
    ASSERT_NE(NebulaTexture, nullptr);
    EXPECT_EQ(NebulaTexture->RefCount, 1);
}

struct MissingCase {
    const char* name;
    const char* folder;
    const char* file;       // shipped file name or stem to take away
    const char* required;   // the name Require fails on, "" for the font
    std::size_t loaded;     // shared textures set before the failure
};

class GlSetupMissing : public GlSetupTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(GlSetupMissing, StopsInitOpenGLWithTheLoadersError) {
    const MissingCase& c = GetParam();
    RemoveShipped(c.folder, c.file);
    EXPECT_ANY_THROW(InitOpenGL(Window()));
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (i < c.loaded) {
            EXPECT_NE(*kTable[i].global, nullptr) << kTable[i].fileName;
        } else {
            EXPECT_EQ(*kTable[i].global, nullptr) << kTable[i].fileName;
        }
    }
    EXPECT_EQ(MainFont, nullptr);
    const std::string log = Log();
    if (*c.required != '\0') {
        const std::string line = std::string("Resource\t5\tInit\tError in Require('") + c.required +
                                 "'); AbsoluteFilename='";
        EXPECT_EQ(Count(log, line), 1u) << log;
    } else {
        EXPECT_EQ(Count(log, "Error in Require("), 0u) << log;
    }
    // What was loaded is released again without complaint.
    DoneOpenGL();
    EXPECT_EQ(Count(Log(), "Refcount>0 at destruction of Resman for "), 0u) << Log();
}

INSTANTIATE_TEST_SUITE_P(
    Files, GlSetupMissing,
    ::testing::Values(MissingCase{"FirstTexture", "", "Nebula", "Graphics\\Nebula.img", 0},
                      MissingCase{"SelectionTexture", "Textures", "Selection", "Graphics\\Textures\\Selection.img", 4},
                      MissingCase{"LastTexture", "Textures", "Fog", "Graphics\\Textures\\Fog.img", 8},
                      MissingCase{"FontMetrics", "Fonts", "Verdana14B.bmf", "", 9}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbitfall
