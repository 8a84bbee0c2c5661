// Faults from outside: peers that misbehave at the network's edges, a user
// folder that cannot be written, and replays cut short at every byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/language.h"
#include "tests/support/temp_folder.h"
#include "tests/support/sim_network.h"

using namespace std::chrono_literals;
using namespace orbitfall::testing;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class FaultTest : public orbitfall::testing::SimNetworkTest {};

std::string PacketHeader(std::size_t payloadSize) {
    return {static_cast<char>(payloadSize & 0xFF), static_cast<char>(payloadSize >> 8)};
}

const std::string ReadyPacket = PacketHeader(1) + std::string(1, '\x03');
// The first 12 of a ptCommand's 24 payload bytes.
const std::string HalfACommand = PacketHeader(24) + std::string(12, '\0');
constexpr std::size_t StartPacketBytes = 2 + 141;

struct PeerCase {
    const char* name;
    bool readsStart;   // waits for its start record first
    std::string sends;
    bool leaves;       // closes its connection afterwards
};

void PrintTo(const PeerCase& c, std::ostream* out) { *out << c.name; }

class MisbehavingPeer : public FaultTest, public ::testing::WithParamInterface<PeerCase> {};

}  // namespace

// A peer seated as the second client misbehaves while the host waits for
// every client's ptReady. The host's frames run during that wait, in sync
// with the honest client; a peer that never becomes ready holds the wait,
// which gives up when the host's last frame has run.
TEST_P(MisbehavingPeer, HostPlaysEveryFrameInSyncWithTheHonestClient) {
    const PeerCase& c = GetParam();
    TempFolder h, a;
    auto host = Host(h.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "300", "--frame-ms", "3"});
    ASSERT_NE(port, 0) << host->Output();
    auto honest = Join(a.Path(), {"--frames", "300"});
    ASSERT_TRUE(WaitForJoins(*host, 1)) << host->Output();
    RawPeer peer(port);
    ASSERT_TRUE(peer.Connected());
    // Seated first: only a connection that greeted takes part in the start.
    peer.SendPacket(GreetingPayload());
    if (c.readsStart) {
        ASSERT_TRUE(peer.Receive(StartPacketBytes));
    }
    peer.Send(c.sends);
    if (c.leaves) peer.Close();

    ASSERT_EQ(host->Wait(60s), 0) << host->Output();
    ASSERT_EQ(honest->Wait(30s), 0) << honest->Output();
    const auto frames = Checksums(host->Output());
    EXPECT_EQ(frames.size(), 300u);
    EXPECT_EQ(Checksums(honest->Output()), frames);
    EXPECT_EQ(ReadFile(a.Path() + "Replays/Latest.ofr"), ReadFile(h.Path() + "Replays/Latest.ofr"));
    if (c.leaves) {
        orbitfall::SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", h.Path());
        orbitfall::LoadLanguage("DE");
        const std::string left = "lobby: " + orbitfall::TranslateFmt("playerleft", {"Player 2"}) + "\n";
        orbitfall::ClearLanguage();
        EXPECT_NE(host->Output().find(left), std::string::npos) << host->Output();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MisbehavingPeer,
    ::testing::Values(PeerCase{"ConnectsAndSendsNothing", false, "", false},
                      PeerCase{"SendsHalfOfALengthAndStops", false, std::string(1, '\x01'), false},
                      PeerCase{"SendsHalfACommandAndStops", true, ReadyPacket + HalfACommand, false},
                      PeerCase{"LeavesDuringTheReadyWait", true, "", true},
                      PeerCase{"SendsHalfACommandAndLeaves", true, HalfACommand, true}),
    [](const ::testing::TestParamInfo<PeerCase>& info) { return info.param.name; });

namespace {

struct FolderCase {
    const char* name;
    void (*prepare)(const std::string& userDir);  // userDir ends in '/'
    const char* userSuffix;                        // appended to the folder given to the program
    const char* failingFile;                       // relative to the folder given
};

void MakeLogADirectory(const std::string& dir) { std::filesystem::create_directories(dir + "log.txt"); }
void PointLogAtFullDisk(const std::string& dir) { std::filesystem::create_symlink("/dev/full", dir + "log.txt"); }
void MakeAFile(const std::string& dir) { WriteFile(dir + "file", "x"); }
void MakeReplaysAFile(const std::string& dir) { WriteFile(dir + "Replays", "x"); }
void PointReplayAtFullDisk(const std::string& dir) {
    std::filesystem::create_directories(dir + "Replays");
    std::filesystem::create_symlink("/dev/full", dir + "Replays/Latest.ofr");
}
void MakeReplayADirectory(const std::string& dir) { std::filesystem::create_directories(dir + "Replays/Latest.ofr"); }

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.name; }

class UnwritableUserFolder : public ::testing::TestWithParam<FolderCase> {};

}  // namespace

// Root passes permission bits, so the folder is made unwritable by what is in it.
TEST_P(UnwritableUserFolder, RecordingGameStopsWithAClearErrorAndExitCode1) {
    const FolderCase& c = GetParam();
    TempFolder user;
    c.prepare(user.Path());
    const std::string dir = user.Path() + c.userSuffix;
    ChildProcess run({ORBITFALL_SIM, "run", "--map", "Zweikampf", "--players", "2", "--frames", "20", "--record",
                      "--user-dir", dir},
                     user.Path() + "out.txt");
    EXPECT_EQ(run.Wait(30s), 1) << run.Output();
    EXPECT_NE(run.Output().find("Cannot create file \"" + dir + c.failingFile + "\"."), std::string::npos)
        << run.Output();
    EXPECT_EQ(run.Output().find("frame 19 "), std::string::npos) << "the game stops at the error";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnwritableUserFolder,
    ::testing::Values(FolderCase{"FolderBelowAFile", MakeAFile, "file/", "Replays/Latest.ofr"},
                      FolderCase{"ReplaysIsAFile", MakeReplaysAFile, "", "Replays/Latest.ofr"},
                      FolderCase{"ReplayIsADirectory", MakeReplayADirectory, "", "Replays/Latest.ofr"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

// A log that cannot be written once stopped the game in its first frame; it
// is now reported once and the game plays on.
TEST(LogFaults, LogThatCannotBeWrittenIsReportedOnceAndTheGamePlaysOn) {
    TempFolder user;
    MakeLogADirectory(user.Path());
    ChildProcess run({ORBITFALL_SIM, "run", "--map", "Zweikampf", "--players", "2", "--frames", "20", "--record",
                      "--user-dir", user.Path()},
                     user.Path() + "out.txt");
    EXPECT_EQ(run.Wait(30s), 0) << run.Output();
    const std::string report = "Cannot create file \"" + user.Path() + "log.txt\".";
    const std::string output = run.Output();
    const auto first = output.find(report);
    EXPECT_NE(first, std::string::npos) << output;
    EXPECT_EQ(output.find(report, first + 1), std::string::npos) << "reported more than once:\n" << output;
    EXPECT_NE(output.find("frame 19 "), std::string::npos) << output;
}

// Links at the log's and the replay's names pointed the writes at a device
// (or at any file of the player's); the links are replaced by the files.
TEST(LogFaults, LinksAtTheWrittenNamesAreReplacedAndTheirTargetsLeftAlone) {
    TempFolder user;
    PointLogAtFullDisk(user.Path());
    PointReplayAtFullDisk(user.Path());
    ChildProcess run({ORBITFALL_SIM, "run", "--map", "Zweikampf", "--players", "2", "--frames", "20", "--record",
                      "--user-dir", user.Path()},
                     user.Path() + "out.txt");
    EXPECT_EQ(run.Wait(30s), 0) << run.Output();
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(user.Path() + "log.txt")));
    EXPECT_TRUE(
        std::filesystem::is_regular_file(std::filesystem::symlink_status(user.Path() + "Replays/Latest.ofr")));
    EXPECT_EQ(std::filesystem::file_size(user.Path() + "Replays/Latest.ofr"), 20u * 9u) << "20 empty frames";
    EXPECT_NE(ReadFile(user.Path() + "log.txt").find("Beginning Frame 19"), std::string::npos);
}

// A client that cannot create its replay reports "Packet-Error" in its lobby
// and never became ready; the host waited for it. Now it says why in its
// lobby and leaves; the host reports the departure and plays on at once.
TEST_F(FaultTest, ClientThatCannotRecordSaysWhyLeavesAndTheHostGoesOn) {
    TempFolder h, a;
    MakeReplayADirectory(a.Path());
    auto host = Host(h.Path(), {"--clients", "1", "--map", "Zweikampf", "--frames", "100", "--frame-ms", "3"});
    ASSERT_NE(port, 0) << host->Output();
    auto client = Join(a.Path(), {"--frames", "100"});
    EXPECT_EQ(client->Wait(30s), 1) << client->Output();
    EXPECT_NE(client->Output().find("lobby: The game on the map Zweikampf could not be started here: Cannot create "
                                    "file \"" + a.Path() + "Replays/Latest.ofr\"."),
              std::string::npos)
        << client->Output();
    EXPECT_EQ(host->Wait(30s), 0) << host->Output();
    orbitfall::SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", h.Path());
    orbitfall::LoadLanguage("DE");
    const std::string left = "lobby: " + orbitfall::TranslateFmt("playerleft", {"Player 1"}) + "\n";
    orbitfall::ClearLanguage();
    EXPECT_NE(host->Output().find(left), std::string::npos) << host->Output();
    EXPECT_EQ(Checksums(host->Output()).size(), 100u);
    EXPECT_TRUE(Checksums(client->Output()).empty()) << "the client's game never started";
}

// A replay cut at every byte of its first three frame records: a cut inside
// a header is the end of the replay (exit 0 after the frames before it), a
// cut inside a frame's commands is the stream's read error in that frame.
TEST(ReplayTruncation, EveryCutInTheFirstThreeFramesEndsOrFailsAsReadError) {
    TempFolder user;
    const std::string script = user.WriteFile("s.txt",
                                              "0 1 selectall\n0 1 move 100 100\n"
                                              "1 2 selectall\n"
                                              "2 1 select 0 0 150 150\n2 2 selectall\n2 2 move 50 80\n");
    ChildProcess record({ORBITFALL_SIM, "run", "--map", "Zweikampf", "--players", "2", "--seed", "11", "--frames",
                         "5", "--record", "--script", script, "--user-dir", user.Path()},
                        user.Path() + "record.txt");
    ASSERT_EQ(record.Wait(30s), 0) << record.Output();
    const std::string replay = ReadFile(user.Path() + "Replays/Latest.ofr");
    const std::string startRecord = ReadFile(user.Path() + "Replays/Latest.ofs");
    const std::size_t frameBytes[] = {9 + 2 * 23, 9 + 1 * 23, 9 + 3 * 23};
    const std::size_t firstThree = frameBytes[0] + frameBytes[1] + frameBytes[2];
    ASSERT_GT(replay.size(), firstThree);
    ASSERT_EQ(replay[8], 2);
    ASSERT_EQ(replay[frameBytes[0] + 8], 1);
    ASSERT_EQ(replay[frameBytes[0] + frameBytes[1] + 8], 3);

    const std::string cutDir = user.MakeDir("cut") + "/";
    WriteFile(cutDir + "cut.ofs", startRecord);
    std::size_t frameStart = 0;
    int frame = 0;
    for (std::size_t length = 0; length <= firstThree; ++length) {
        if (frame < 3 && length >= frameStart + frameBytes[frame]) frameStart += frameBytes[frame++];
        const std::size_t into = length - frameStart;  // bytes of the frame being cut
        WriteFile(cutDir + "cut.ofr", replay.substr(0, length));
        ChildProcess verify({ORBITFALL_SIM, "verify", cutDir + "cut.ofr", "--user-dir", user.Path()},
                            cutDir + "out.txt");
        const int code = verify.Wait(30s);
        const std::string out = verify.Output();
        if (into < 9) {
            EXPECT_EQ(code, 0) << "cut at " << length << ": " << out;
            EXPECT_NE(out.find("verified " + std::to_string(frame) + " frames"), std::string::npos)
                << "cut at " << length << ": " << out;
        } else {
            EXPECT_EQ(code, 1) << "cut at " << length << ": " << out;
            EXPECT_NE(out.find("Stream read error in frame " + std::to_string(frame + 1)), std::string::npos)
                << "cut at " << length << ": " << out;
        }
    }
}
