#include "platform/png_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "infra/file_system.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

TRgbaPicture TwoPixels() { return {2, 1, {255, 0, 0, 255, 0, 0, 255, 128}}; }

TEST(PngFile, RoundTripKeepsEveryChannel) {
    TempFolder dir;
    WritePng(dir.Path() + "a.png", TwoPixels());
    const TRgbaPicture back = ReadPng(dir.Path() + "a.png");
    EXPECT_EQ(back.Width, 2);
    EXPECT_EQ(back.Height, 1);
    EXPECT_EQ(back.Pixels, TwoPixels().Pixels);
}

// A picture written at a name holding a symbolic link emptied the link's
// target and wrote the picture into it.
TEST(PngFile, WritingOverALinkReplacesTheLinkNotItsTarget) {
    TempFolder dir;
    const std::string victim = dir.WriteFile("victim.txt", "keep");
    const std::string path = dir.Path() + "frame-1.png";
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
    WritePng(path, TwoPixels());
    EXPECT_EQ(ReadWholeFile(victim), "keep");
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(ReadPng(path).Pixels, TwoPixels().Pixels);
}

}  // namespace
