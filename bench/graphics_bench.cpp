// Cost of the graphics set-up on Mesa's software renderer (run under Xvfb,
// e.g. scripts/with-xvfb.sh build/bench/graphics_bench): decoding and
// uploading each shipped texture and the font, the whole InitOpenGL, and the
// heap the set-up keeps once the pixel stores are freed; and the main view's
// fog layer, drawn as one piece and band by band.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <filesystem>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/resource_manager.h"
#include "platform/gl_window.h"
#include "render/bmp_font.h"
#include "render/camera.h"
#include "render/fog.h"
#include "render/fog_filter.h"
#include "render/interface_layout.h"
#include "render/opengl_setup.h"
#include "render/texture.h"
#include "render/texture_image.h"

namespace {

using namespace orbitfall;

// One window, data folders and log for the whole run.
TGlWindow* BenchWindow() {
    static TGlWindow* window = [] {
        std::string folder = (std::filesystem::temp_directory_path() / "orbitfall-bench-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr) return static_cast<TGlWindow*>(nullptr);
        SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data", folder + "/User");
        OpenEventLog();
        auto* w = new TGlWindow(0, 0, 1024, 768, "bench");
        if (!w->MakeCurrent()) {
            delete w;
            return static_cast<TGlWindow*>(nullptr);
        }
        return w;
    }();
    return window;
}

const char* const kTextures[] = {
    "Graphics\\Nebula.img",
    "Graphics\\Textures\\Laser.img",
    "Graphics\\Background\\Orion.img",
    "Graphics\\Textures\\Aura1.img",
    "Graphics\\Textures\\Selection.img",
    "Graphics\\Textures\\Kristallmond.img",
    "Graphics\\Interfaces\\Interface3b.img",
    "Graphics\\Textures\\BlueExplosion.img",
    "Graphics\\Textures\\Fog.img",
};

void BM_LoadTexture(benchmark::State& state) {
    if (BenchWindow() == nullptr) {
        state.SkipWithError("no GL window (run under Xvfb)");
        return;
    }
    const char* name = kTextures[state.range(0)];
    state.SetLabel(name);
    TResourceManager manager;
    TTexture::RegisterExtensions(manager);
    for (auto _ : state) {
        TResource* texture = manager.Require(name);
        // Waiting for the upload to finish belongs to its cost.
        glFinish();
        manager.Release(texture);
    }
}
BENCHMARK(BM_LoadTexture)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

void BM_LoadFont(benchmark::State& state) {
    if (BenchWindow() == nullptr) {
        state.SkipWithError("no GL window (run under Xvfb)");
        return;
    }
    for (auto _ : state) {
        TBmpFont font("Verdana14B");
        glFinish();
    }
}
BENCHMARK(BM_LoadFont)->Unit(benchmark::kMillisecond);

// Small blocks in the arenas plus large ones that malloc maps on its own.
double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd);
}

// The whole set-up with a fresh context each time, and what it leaves on the
// heap (Mesa keeps its own copy of every texture in system memory here).
void BM_InitOpenGL(benchmark::State& state) {
    TGlWindow* window = BenchWindow();
    if (window == nullptr) {
        state.SkipWithError("no GL window (run under Xvfb)");
        return;
    }
    DoneOpenGL();
    double heapHeld = 0;
    double pixelStores = 0;
    for (auto _ : state) {
        const double before = HeapInUse();
        InitOpenGL(*window);
        glFinish();
        state.PauseTiming();
        heapHeld = HeapInUse() - before;
        pixelStores = 0;
        for (TTexture* texture : {NebulaTexture, LaserTexture, BackgroundTexture, AuraTexture, SelectionTexture,
                                  MoonTexture, InterfaceTexture, ExplosionTexture, FogPatternTexture}) {
            TTextureImage& image = texture->Image();
            if (image.Row(0) != nullptr) pixelStores += static_cast<double>(image.Row(1) - image.Row(0)) * image.Height();
        }
        DoneOpenGL();
        state.ResumeTiming();
    }
    state.counters["heap_held_bytes"] = heapHeld;
    state.counters["pixel_store_bytes"] = pixelStores;
}
BENCHMARK(BM_InitOpenGL)->Unit(benchmark::kMillisecond);

// The main view's fog layer at 1024 x 768 with the window's start camera
// (tilt 30, distance 12) and the shipped pattern, the renderer's work
// included: 0 one piece with the filters the whole view allows, 1 band by
// band as a frame draws it, 2 band by band over ground explored everywhere
// (a view far from every unit: the fog texture folded into the colour).
// Wall time: the renderer's threads do the work.
void BM_FogLayer(benchmark::State& state) {
    TGlWindow* window = BenchWindow();
    if (window == nullptr) {
        state.SkipWithError("no GL window (run under Xvfb)");
        return;
    }
    if (FogPatternTexture == nullptr) InitOpenGL(*window);
    auto fog = CreateFogTexture(128, 128);
    std::vector<std::uint16_t> sight(128 * 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            sight[y * 128 + x] = state.range(0) == 2 ? 1 : static_cast<std::uint16_t>((x / 9 + y / 5) % 3);
    WriteFog(*fog, sight.data(), 128);
    fog->FogTexture->Upload(true);
    TViewValues view;
    SetupMainCamera(view, 1024, 768, 64, 64, 30, 12);
    glDisable(GL_DEPTH_TEST);
    const TGroundSteps steps{MainViewport(1024, 768).Rect, GroundStepBands(view, 16), &view};
    const double wholeStep = LargestGroundStep(view);
    TTextureImage* pattern = &FogPatternTexture->Image();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        if (state.range(0) == 0) {
            DrawFogOverlay(*fog, view.ViewRect, pattern, wholeStep);
        } else {
            state.counters["pieces_without_fog"] = DrawFogOverlay(*fog, view.ViewRect, pattern, steps);
        }
        glFinish();
    }
}
BENCHMARK(BM_FogLayer)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
