// The replay reader: the input's first 140 bytes are the start record beside
// the replay (".ofs"), the rest the replay file itself. Played back through
// the frame procedure of the program for at most MaxFrames frames.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "control/frame_loop.h"
#include "control/replay_controller.h"
#include "control/start_info.h"
#include "fuzz/fuzz_support.h"
#include "infra/errors.h"

using namespace orbitfall;

namespace {

constexpr int MaxFrames = 32;
fuzz::TFuzzShell* shell = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SetUpProcess();
    shell = new fuzz::TFuzzShell;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t startSize = std::min(size, sizeof(TStartInfo));
    const std::string replay = fuzz::UserFolder() + "Replays/Fuzz.ofr";
    fuzz::WriteBytes(StartFileFor(replay), data, startSize);
    fuzz::WriteBytes(replay, data + startSize, size - startSize);

    TReplayController controller(*shell);
    Controller = &controller;
    try {
        controller.OpenReplay(replay);
    } catch (const Exception&) {
        Controller = nullptr;
        return 0;
    }
    TFrameLoop loop;
    for (int frame = 0; frame < MaxFrames && !controller.AtEnd; ++frame)
        if (!loop.DoTimer(controller)) break;
    Controller = nullptr;
    fuzz::RemoveDesyncDumps();
    return 0;
}
