// The installed orbitfall-sim: shipped data found relative to the program,
// user files in the XDG data folder, and the bad folders a player's
// environment can hold.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "tests/install/installed_tree.h"

using namespace orbitfall::testing;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kRecordedGame = {"run",    "--map",    "Zweikampf", "--players", "2",
                                                "--seed", "77",       "--frames",  "30",        "--record"};

std::vector<std::string> Args(const std::string& program, std::vector<std::string> rest) {
    rest.insert(rest.begin(), program);
    return rest;
}

class InstalledSim : public InstalledTree {
protected:
    // Plays the recorded game and checks that its files land in userDir and
    // that its replay verifies.
    void ExpectRecordedGameIn(const std::string& userDir, std::optional<std::string> home,
                              std::optional<std::string> xdg) {
        const RunResult run = RunWith(Args(Sim(), kRecordedGame), home, xdg);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(ChecksumLines(run.output), 30u);
        for (const char* file : {"log.txt", "Replays/Latest.ofr", "Replays/Latest.ofs"})
            EXPECT_TRUE(fs::is_regular_file(userDir + file)) << userDir << file;
        EXPECT_TRUE(fs::is_directory(userDir + "Maps"));
        const RunResult verify = RunWith({Sim(), "verify", userDir + "Replays/Latest.ofr"}, home, xdg);
        EXPECT_EQ(verify.exitCode, 0) << verify.output;
        EXPECT_NE(verify.output.find("verified 30 frames in "), std::string::npos) << verify.output;
    }
};

TEST_F(InstalledSim, RecordsIntoXdgDataHomeAndTheReplayVerifies) {
    const auto installed = TreeOf(prefix);
    // The folder need not exist yet: a fresh account has no ~/.local/share either.
    const std::string xdg = tmp.Path() + "xdg/data";
    ExpectRecordedGameIn(xdg + "/orbitfall/", tmp.Path() + "home", xdg);
    EXPECT_FALSE(fs::exists(tmp.Path() + "home")) << "HOME is not used when XDG_DATA_HOME is";
    EXPECT_EQ(TreeOf(prefix), installed) << "nothing is written into the installation";
}

TEST_F(InstalledSim, WithoutXdgDataHomeRecordsIntoTheHomeFolder) {
    const std::string home = tmp.Path() + "home";
    fs::create_directories(home);
    ExpectRecordedGameIn(home + "/.local/share/orbitfall/", home, std::nullopt);
    // The base folders made for the XDG rules are private to the user.
    for (const char* made : {"/.local", "/.local/share"}) {
        struct stat st {};
        ASSERT_EQ(stat((home + made).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
}

// The XDG rules make a relative or empty value invalid: it is passed over,
// never taken relative to the working folder.
TEST_F(InstalledSim, EmptyOrRelativeXdgDataHomeFallsBackToTheHomeFolder) {
    for (const std::string value : {"", "relative/data"}) {
        SCOPED_TRACE("XDG_DATA_HOME=" + value);
        TempFolder case_;
        const std::string home = case_.Path() + "home";
        const std::string cwd = case_.Path() + "cwd";
        fs::create_directories(cwd);
        const fs::path before = fs::current_path();
        fs::current_path(cwd);
        const RunResult run = RunWith(Args(Sim(), kRecordedGame), home, value);
        fs::current_path(before);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_TRUE(fs::is_regular_file(home + "/.local/share/orbitfall/Replays/Latest.ofr"));
        EXPECT_TRUE(TreeOf(cwd).empty()) << "nothing below the working folder";
        const std::string log = ReadFile(home + "/.local/share/orbitfall/log.txt");
        EXPECT_EQ(log.find("XDG_DATA_HOME \"relative/data\" is not an absolute path") != std::string::npos,
                  !value.empty())
            << log;
    }
}

TEST_F(InstalledSim, MovedInstallationStillFindsItsData) {
    const std::string moved = tmp.Path() + "elsewhere/opt/orbitfall";
    fs::create_directories(fs::path(moved).parent_path());
    fs::rename(tmp.Path() + "stage/usr", moved);
    const std::string sim = moved + "/games/orbitfall-sim";
    const std::string xdg = tmp.Path() + "xdg";

    const RunResult help = RunWith({sim, "--help"}, tmp.Path() + "home", xdg);
    ASSERT_EQ(help.exitCode, 0) << help.output;
    EXPECT_NE(help.output.find("  data  " + moved + "/share/orbitfall/Data/\n"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("  user  " + xdg + "/orbitfall/ (from XDG_DATA_HOME)\n"), std::string::npos)
        << help.output;
    EXPECT_FALSE(fs::exists(xdg)) << "--help creates nothing";

    const RunResult run =
        RunWith({sim, "run", "--map", "Kreuzung", "--players", "4", "--frames", "3"}, tmp.Path() + "home", xdg);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ChecksumLines(run.output), 3u);
}

TEST_F(InstalledSim, MapsInTheXdgFolderOverrideAndAddToTheShippedOnes) {
    const std::string xdg = tmp.Path() + "xdg";
    const std::string maps = xdg + "/orbitfall/Maps/";
    fs::create_directories(maps);
    fs::copy_file(prefix + "share/orbitfall/Data/Maps/Zweikampf.ofm", maps + "Eigene.ofm");
    // Named in another letter case, and broken: a run of the shipped map that
    // read this copy fails.
    WriteFile(maps + "zweikampf.ofm", "<not a map");

    const RunResult own = RunWith({Sim(), "run", "--map", "Eigene", "--players", "2", "--frames", "2"},
                                  tmp.Path() + "home", xdg);
    EXPECT_EQ(own.exitCode, 0) << own.output;
    const RunResult overridden = RunWith({Sim(), "run", "--map", "Zweikampf", "--players", "2", "--frames", "2"},
                                         tmp.Path() + "home", xdg);
    EXPECT_EQ(overridden.exitCode, 1) << overridden.output;
    fs::remove(maps + "zweikampf.ofm");
    const RunResult shipped = RunWith({Sim(), "run", "--map", "Zweikampf", "--players", "2", "--frames", "2"},
                                      tmp.Path() + "home", xdg);
    EXPECT_EQ(shipped.exitCode, 0) << shipped.output;
}

TEST_F(InstalledSim, HelpAndVersionExitZeroAndWrongUsageExitsTwo) {
    const RunResult version = RunWith({Sim(), "--version"}, tmp.Path() + "home", std::nullopt);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, std::string("orbitfall-sim ") + ORBITFALL_VERSION + "\n");

    const RunResult help = RunWith({Sim(), "--help"}, tmp.Path() + "home", std::nullopt);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"usage:", "--record", "--user-dir DIR", "Folders:", "~/.local/share/orbitfall/"})
        EXPECT_NE(help.output.find(part), std::string::npos) << part;
    EXPECT_NE(help.output.find("  user  " + tmp.Path() + "home/.local/share/orbitfall/ (from HOME)"),
              std::string::npos)
        << help.output;

    const RunResult commandHelp = RunWith({Sim(), "verify", "--help"}, tmp.Path() + "home", std::nullopt);
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_EQ(commandHelp.output, help.output);

    for (const char* wrong : {"--bogus", "--version extra"}) {
        std::vector<std::string> args{Sim()};
        for (std::istringstream in(wrong); in;) {
            std::string word;
            if (in >> word) args.push_back(word);
        }
        const RunResult r = RunWith(args, tmp.Path() + "home", std::nullopt);
        EXPECT_EQ(r.exitCode, 2) << wrong;
        EXPECT_NE(r.output.find("usage:"), std::string::npos) << wrong;
    }
    EXPECT_FALSE(fs::exists(tmp.Path() + "home")) << "help, version and usage create nothing";
}

struct BadFolder {
    const char* name;
    // Prepares the case below root and returns XDG_DATA_HOME.
    std::string (*prepare)(const std::string& root);
    const char* named;  // the folder the message must name, below root ("" for absolute ones)
    const char* absoluteNamed;
};

std::string BelowAFile(const std::string& root) {
    WriteFile(root + "file", "x");
    return root + "file/data";
}
std::string OurFolderIsAFile(const std::string& root) {
    fs::create_directories(root + "data");
    WriteFile(root + "data/orbitfall", "x");
    return root + "data";
}
// Replays is made before Maps: the failure at Maps must take it away again.
std::string MapsIsAFileInAnotherCase(const std::string& root) {
    fs::create_directories(root + "data/orbitfall");
    WriteFile(root + "data/orbitfall/MAPS", "x");
    return root + "data";
}
// The kernel refuses new folders in /sys even to root, whom permission bits
// do not stop.
std::string Unwritable(const std::string&) { return "/sys"; }

void PrintTo(const BadFolder& c, std::ostream* out) { *out << c.name; }

class BadXdgDataHome : public InstalledSim, public ::testing::WithParamInterface<BadFolder> {};

TEST_P(BadXdgDataHome, StopsWithTheFolderNamedAndLeavesNothingHalfMade) {
    const BadFolder& c = GetParam();
    if (std::string(c.name) == "Unwritable" && !fs::is_directory("/sys")) GTEST_SKIP() << "no /sys here";
    const std::string root = tmp.Path() + "case/";
    fs::create_directories(root);
    const std::string xdg = c.prepare(root);
    const auto before = TreeOf(root);

    const RunResult run = RunWith(Args(Sim(), kRecordedGame), tmp.Path() + "home", xdg);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    const std::string named = *c.named != '\0' ? root + c.named : c.absoluteNamed;
    EXPECT_NE(run.output.find("\"" + named + "\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("(the user folder is \"" + fs::path(xdg).lexically_normal().string() +
                              "/orbitfall/\", from XDG_DATA_HOME)"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(ChecksumLines(run.output), 0u) << "no game is played";
    EXPECT_EQ(TreeOf(root), before);
    EXPECT_FALSE(fs::exists(tmp.Path() + "home"));

    // A user folder given on the command line does not depend on XDG_DATA_HOME.
    const std::string own = tmp.Path() + "own/";
    fs::create_directories(own);
    std::vector<std::string> args = Args(Sim(), kRecordedGame);
    args.insert(args.end(), {"--user-dir", own});
    const RunResult withOwn = RunWith(args, tmp.Path() + "home", xdg);
    EXPECT_EQ(withOwn.exitCode, 0) << withOwn.output;
    EXPECT_TRUE(fs::is_regular_file(own + "Replays/Latest.ofr"));
    EXPECT_EQ(TreeOf(root), before);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadXdgDataHome,
    ::testing::Values(BadFolder{"BelowARegularFile", BelowAFile, "file", ""},
                      BadFolder{"OurFolderIsAFile", OurFolderIsAFile, "data/orbitfall", ""},
                      BadFolder{"MapsIsAFileInAnotherCase", MapsIsAFileInAnotherCase, "data/orbitfall/MAPS", ""},
                      BadFolder{"Unwritable", Unwritable, "", "/sys/orbitfall"}),
    [](const ::testing::TestParamInfo<BadFolder>& info) { return info.param.name; });

// Permission bits stop everyone but root.
TEST_F(InstalledSim, ReadOnlyXdgDataHomeStopsWithTheFolderNamed) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; the /sys case covers root";
    const std::string xdg = tmp.Path() + "readonly";
    fs::create_directories(xdg);
    fs::permissions(xdg, fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult run = RunWith(Args(Sim(), kRecordedGame), tmp.Path() + "home", xdg);
    fs::permissions(xdg, fs::perms::owner_all);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Cannot create folder \"" + xdg + "/orbitfall\". Permission denied"),
              std::string::npos)
        << run.output;
}

}  // namespace
