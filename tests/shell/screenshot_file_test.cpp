// Screenshots go under names of their own: a picture never replaces an
// existing file, and a link placed at a free-looking name is not followed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "infra/errors.h"
#include "infra/file_system.h"
#include "platform/png_file.h"
#include "shell/game/form_input_target.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

TEST(ScreenshotFile, NamesCountUpWithinOneSecond) {
    const std::string first = ScreenshotFileName("/u/", 1000);
    ASSERT_EQ(first.rfind("/u/Screenshots/", 0), 0u);
    EXPECT_EQ(first.size(), std::string("/u/Screenshots/YYYY-MM-DD_HH-MM-SS.png").size());
    EXPECT_EQ(ScreenshotFileName("/u/", 1000, 3), first.substr(0, first.size() - 4) + "-3.png");
}

TEST(ScreenshotFile, TakenNamesAndLinksAreSkippedAndNothingIsOverwritten) {
    TempFolder user;
    user.MakeDir("Screenshots");
    const long long when = 1781000000;
    const std::string first = ScreenshotFileName(user.Path(), when, 1);
    const std::string second = ScreenshotFileName(user.Path(), when, 2);
    // A picture already there, and a dangling link at the next name.
    WriteWholeFile(first, "earlier picture");
    const std::string target = user.Path() + "target";
    ASSERT_EQ(symlink(target.c_str(), second.c_str()), 0);

    const TRgbaPicture picture{1, 1, {1, 2, 3, 4}};
    const std::string written = SaveScreenshot(user.Path(), when, picture);
    EXPECT_EQ(written, ScreenshotFileName(user.Path(), when, 3));
    EXPECT_EQ(ReadWholeFile(first), "earlier picture");
    EXPECT_FALSE(user.Exists("target")) << "the link was followed";
    EXPECT_EQ(ReadPng(written).Pixels, picture.Pixels);
    EXPECT_EQ(SaveScreenshot(user.Path(), when, picture), ScreenshotFileName(user.Path(), when, 4));
}

TEST(ScreenshotFile, FolderThatCannotBeWrittenRaises) {
    TempFolder user;  // no Screenshots folder
    EXPECT_THROW(SaveScreenshot(user.Path(), 1, TRgbaPicture{1, 1, {0, 0, 0, 0}}), EFCreateError);
}

}  // namespace
