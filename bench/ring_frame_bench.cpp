// One frame of the pointer locator ring: the presentation values of both ring layers at a
// media time plus the canvas calls that draw them. The null canvas measures the core alone;
// the recording canvas adds the simulated platform's bookkeeping.
#include "locator/ring_animation_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_settings_store.h"

#include <benchmark/benchmark.h>

#include <type_traits>

namespace halomark {
namespace {

// Takes every call and only keeps the arguments from being optimised away.
class NullCanvas final : public Canvas
{
public:
    void save() override { ++calls; }
    void restore() override { ++calls; }
    void translate(double dx, double dy) override { sink += dx + dy; }
    void scale(double sx, double sy) override { sink += sx + sy; }
    void setOpacity(double opacity) override { sink += opacity; }
    void fillPath(const Path& path, const Color& color, FillRule) override
    {
        sink += static_cast<double>(path.segments().size()) + color.alpha;
    }
    void strokePath(const Path& path, const Color& color, const StrokeStyle& style) override
    {
        sink += static_cast<double>(path.segments().size()) + color.alpha + style.lineWidth;
    }

    int calls = 0;
    double sink = 0;
};

template <class CanvasType> void ringFrame(benchmark::State& state)
{
    sim::SimMainLoop loop;
    sim::SimSettingsStore store;
    AppearanceSettings settings(store);
    auto view = std::make_shared<RingAnimationView>(Rect{0, 0, 2560, 1440}, loop, settings);
    view->animate({1280, 720}, [] {});
    CanvasType canvas;
    // Frames at 120 Hz across the ring, so every opacity segment is visited.
    double mediaTime = 0;
    for (auto _ : state) {
        if constexpr (std::is_same_v<CanvasType, sim::SimCanvas>) {
            canvas.clear();
        }
        view->draw(canvas, mediaTime);
        benchmark::ClobberMemory();
        mediaTime += 1.0 / 120;
        if (mediaTime > 0.78) {
            mediaTime = 0;
        }
    }
    benchmark::DoNotOptimize(canvas);
}

void locatorRingFrameNullCanvas(benchmark::State& state)
{
    ringFrame<NullCanvas>(state);
}
BENCHMARK(locatorRingFrameNullCanvas);

void locatorRingFrameRecordingCanvas(benchmark::State& state)
{
    ringFrame<sim::SimCanvas>(state);
}
BENCHMARK(locatorRingFrameRecordingCanvas);

void locatorRingTimingFunctionValue(benchmark::State& state)
{
    const TimingFunction curve = TimingFunction::easeInEaseOut();
    double x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(curve.value(x));
        x += 0.001;
        if (x > 1) {
            x = 0;
        }
    }
}
BENCHMARK(locatorRingTimingFunctionValue);

} // namespace
} // namespace halomark
