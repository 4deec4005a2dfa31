// Speed and memory of the point-cloud draw.
//   Production/N          the window's own path: PointCloud on the raster surface with FastRandom
//   Driven/N              the same through the window: Form2's right press and its draw driver
//   Portable/N            the production path with the plain C++ code a CPU without AVX2 runs
//   Floor/N               a plain fast kernel of the same rules: xoshiro128+, the halving in 32-bit
//                         integers, a bounds-checked 4-byte pixel store per dot
//   Baseline/N            the same rules done plainly: std::mt19937, std::uniform_real_distribution
//                         and QImage::setPixelColor per dot
//   RightPressToScreen    a right press on the real Form2 (offscreen) until the surface is painted
// --ratio=R (1 to 4, default 1) draws Production, Driven and Portable at the
// density of a screen of that device pixel ratio: more pixels, the same area.
// --cores=N (1 to 16, default 1) draws Production and Driven on N cores: the
// calling thread and a pool of N - 1 threads, as the desktop does on N.
// --largest adds the largest count, 2147483647, for Production and Driven.
// peak_MiB is the process's peak resident memory during that benchmark alone
// (the peak is reset before each, where the kernel allows it).
#include "core/point_cloud.h"
#include "platform/fast_random.h"
#include "platform/qt/qt_runtime.h"
#include "platform/raster_surface.h"
#include "platform/thread_pool.h"
#include "window/form2.h"
#include "window/layout.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QImage>
#include <QMouseEvent>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>

namespace {

using namespace chaos;

constexpr RasterSurface::Placement kPlacement = surfacePlacement();
constexpr int kAreaWidth = drawingAreaPixels(kForm2Layout[kBox].width);
constexpr int kAreaHeight = drawingAreaPixels(kForm2Layout[kBox].height);
const float kAnchors[3][2] = {{900, 6900}, {7500, 6900}, {4200, 600}};
double ratio = 1;  // --ratio
int cores = 1;     // --cores
std::unique_ptr<ThreadPool> pool;  // cores - 1 threads, none for one core

void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

class Count : public ControlText {
public:
    explicit Count(std::int64_t n) : text(std::to_string(n)) {}
    std::string Text() const override { return text; }

private:
    std::string text;
};

// A runtime that shows nothing and calls the window back at once.
struct QuietHost : Screen, Controls, MessageBox, ProgressView, Scheduler, Clock, Pictures, ProgramEnd {
    std::string count;
    bool soon = false;
    Host host() { return {*this, *this, *this, *this, *this, *this, *this, *this, pool.get()}; }
    void showPicture(const Picture&) override {}
    void showMarks(const Mark*, std::size_t) override {}
    std::string text(int) const override { return count; }
    int chosenRow(int) const override { return -1; }
    void focus(int) override {}
    void setBusy(bool) override {}
    std::string keyName(const std::string&, std::int16_t) const override { return {}; }
    unsigned offers() const override { return kQuitKey; }
    void show(const std::string&, MessageKind) override {}
    void show(const std::string&, const std::string&, const std::string&) override {}
    void update(const std::string&, std::uint64_t, std::uint64_t) override {}
    void hide() override {}
    void callSoon() override { soon = true; }
    void callAfter(double) override { soon = true; }
    double nowMs() const override {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void save(int, const std::string&, const Picture&) override {}
    void copy(int, const Picture&) override {}
    void print(int, const std::string&, const Picture&) override {}
    void end() override {}
};

void Driven(benchmark::State& state) {
    resetPeakMemory();
    QuietHost host;
    host.count = std::to_string(state.range(0));
    Form2 form(host.host());
    form.densityChanged(ratio);
    for (auto _ : state) {
        for (const auto& a : kAnchors)
            form.box_MouseDown(kLeftButton, 0, a[0], a[1]);
        form.box_MouseDown(kRightButton, 0, 0, 0);
        while (std::exchange(host.soon, false))
            form.tick();
        benchmark::DoNotOptimize(form.surface().bits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_MiB"] = peakMemoryMiB();
}

void runProduction(benchmark::State& state, Simd simd = bestSimd()) {
    resetPeakMemory();
    RasterSurface surface(kPlacement, drawingArea(), dpiOf(ratio));
    surface.useSimd(simd);
    FastRandom random;
    random.useSimd(simd);
    AnchorStore anchors;
    Count count(state.range(0));
    const Color dotColor = 0;
    PointCloud handler(anchors, surface, random, count, dotColor);
    handler.useWorkers(pool.get());
    for (auto _ : state) {
        for (const auto& a : kAnchors)
            handler.box_MouseDown(kLeftButton, 0, a[0], a[1]);
        handler.box_MouseDown(kRightButton, 0, 0, 0);
        benchmark::DoNotOptimize(surface.bits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_MiB"] = peakMemoryMiB();
}

void Production(benchmark::State& state) { runProduction(state); }
void Portable(benchmark::State& state) { runProduction(state, Simd::Portable); }

// The rules as a plain fast kernel would write them; the production draw is
// measured against it.
void Floor(benchmark::State& state) {
    resetPeakMemory();
    std::vector<std::uint32_t> image(kAreaWidth * kAreaHeight, 0xFFFFFFFFu);
    std::uint32_t s[4] = {0x9E3779B9u, 0x243F6A88u, 0xB7E15162u, 12345u};
    auto next = [&s] {  // xoshiro128+
        const std::uint32_t result = s[0] + s[3];
        const std::uint32_t t = s[1] << 9;
        s[2] ^= s[0];
        s[3] ^= s[1];
        s[1] ^= s[2];
        s[0] ^= s[3];
        s[2] ^= t;
        s[3] = (s[3] << 11) | (s[3] >> 21);
        return static_cast<float>(result >> 8) * 0x1.0p-24f;
    };
    std::int32_t xs[3], ys[3];
    for (int k = 0; k < 3; ++k) {
        xs[k] = static_cast<std::int32_t>(kAnchors[k][0]);
        ys[k] = static_cast<std::int32_t>(kAnchors[k][1]);
    }
    const std::int64_t n = state.range(0);
    constexpr std::int32_t kWidthTwips = kAreaWidth * kTwipsPerPixel, kHeightTwips = kAreaHeight * kTwipsPerPixel;
    for (auto _ : state) {
        auto cx = static_cast<std::int32_t>(std::floor(next() * kPlacement.width) + kPlacement.left);
        auto cy = static_cast<std::int32_t>(std::floor(next() * kPlacement.height) + kPlacement.top);
        for (std::int64_t i = 0; i < n; ++i) {
            const auto k = static_cast<std::size_t>(std::min(std::max(0.0f, next() * 3.0f), 2.0f));
            cx += (xs[k] - cx) / 2;
            cy += (ys[k] - cy) / 2;
            if (cx >= 0 && cx < kWidthTwips && cy >= 0 && cy < kHeightTwips)
                image[static_cast<std::size_t>(cy / kTwipsPerPixel * kAreaWidth + cx / kTwipsPerPixel)] = 0xFF000000u;
        }
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["peak_MiB"] = peakMemoryMiB();
}

// The rules written plainly, with the usual standard-library and Qt calls.
void Baseline(benchmark::State& state) {
    resetPeakMemory();
    QImage image(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::mt19937 engine(12345);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const std::int64_t n = state.range(0);
    const QColor black(0, 0, 0);
    for (auto _ : state) {
        double cx = std::floor(unit(engine) * kPlacement.width) + kPlacement.left;
        double cy = std::floor(unit(engine) * kPlacement.height) + kPlacement.top;
        for (std::int64_t i = 0; i < n; ++i) {
            const auto k = static_cast<std::size_t>(std::floor(unit(engine) * 3.0f));
            const auto& a = kAnchors[std::min<std::size_t>(k, 2)];
            cx += std::trunc(std::nearbyint(a[0] - cx) / 2.0);
            cy += std::trunc(std::nearbyint(a[1] - cy) / 2.0);
            const int px = static_cast<int>(std::floor(cx / kTwipsPerPixel));
            const int py = static_cast<int>(std::floor(cy / kTwipsPerPixel));
            if (image.valid(px, py))
                image.setPixelColor(px, py, black);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["peak_MiB"] = peakMemoryMiB();
}

// From a right press on the real window to the drawn surface painted.
void RightPressToScreen(benchmark::State& state) {
    struct Quiet : PictureDialogs {
        void saveFileName(QWidget*, const QString&, const QString&, const RuntimeTexts&, std::function<void(const QString&)> chosen) override {
            chosen({});
        }
        void setUpPrinter(QWidget*, QPrinter&, std::function<void(bool)> done) override { done(false); }
    } quiet;
    QtRuntime runtime(quiet);
    Form2 form(runtime.host());
    runtime.build(Form2::description(), kRuntimeTexts, form);
    runtime.window()->show();
    QEventLoop shown;  // one turn of the event loop: the window is on screen
    QTimer::singleShot(0, &shown, &QEventLoop::quit);
    shown.exec();
    SurfaceWidget* box = runtime.surface();
    const QPointF at(100, 100);
    for (auto _ : state) {
        for (const auto& a : kAnchors)
            form.box_MouseDown(kLeftButton, 0, a[0], a[1]);
        QMouseEvent press(QEvent::MouseButtonPress, at, box->mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        box->repaint();
    }
}

constexpr std::int64_t kSizes[] = {10'000, 1'000'000, 10'000'000, 100'000'000};
constexpr std::int64_t kLargest = 2147483647;

void registerAll(bool largest) {
    if (largest) {
        benchmark::RegisterBenchmark("Production", Production)->Arg(kLargest)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Driven", Driven)->Arg(kLargest)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    for (auto n : kSizes) {
        benchmark::RegisterBenchmark("Production", Production)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Driven", Driven)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Portable", Portable)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Floor", Floor)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Baseline", Baseline)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark("RightPressToScreen/10000", RightPressToScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();
}

// Passes every run through and, at the end, prints the speed-ups of the
// production path over the floor kernel and over the baseline (medians where
// there are repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            const auto found = run.counters.find("items_per_second");
            if (found != run.counters.end())
                speed[run.run_name.str()] = found->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\non %d core%s", cores, cores > 1 ? "s" : "");
        std::printf("\n%-12s %14s %14s %14s %14s %10s %10s\n", "dots", "production/s", "driven/s", "floor/s",
                    "baseline/s", "vs floor", "vs base");
        std::vector<std::int64_t> sizes(std::begin(kSizes), std::end(kSizes));
        sizes.push_back(kLargest);
        for (auto n : sizes) {
            auto of = [&](const char* name) {
                char key[64];
                std::snprintf(key, sizeof key, "%s/%lld/real_time", name, static_cast<long long>(n));
                return speed[key];
            };
            const double fast = of("Production"), watched = of("Driven"), floor = of("Floor"),
                         base = of("Baseline");
            std::printf("%-12lld %14.4g %14.4g %14.4g %14.4g %9.2fx %9.1fx\n", static_cast<long long>(n), fast, watched,
                        floor, base, floor > 0 ? fast / floor : 0.0, base > 0 ? fast / base : 0.0);
        }
    }

private:
    std::map<std::string, double> speed;
};

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bool largest = false;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--cores=", 0) == 0) {
            cores = std::atoi(argv[i] + 8);
            if (cores < 1 || cores > 16) {
                std::fprintf(stderr, "draw_bench: --cores takes a number of cores from 1 to 16, not %s\n", argv[i] + 8);
                return 2;
            }
        } else if (std::string(argv[i]) == "--largest") {
            largest = true;
        } else if (std::string(argv[i]).rfind("--ratio=", 0) == 0) {
            ratio = std::stod(argv[i] + 8);
            if (!(ratio >= 1 && ratio <= 4)) {
                std::fprintf(stderr, "draw_bench: --ratio takes a device pixel ratio from 1 to 4, not %s\n", argv[i] + 8);
                return 2;
            }
        } else {
            std::fprintf(stderr, "draw_bench: unknown argument %s\n", argv[i]);
            return 2;
        }
    std::printf("density: %d dpi, the picture %d x %d pixels\n", dpiOf(ratio), twipsToPixel(drawingArea().width, dpiOf(ratio)),
                twipsToPixel(drawingArea().height, dpiOf(ratio)));
    if (cores > 1)
        pool = std::make_unique<ThreadPool>(cores - 1);
    std::printf("cores: %d (the calling thread and %d more)\n", cores, cores - 1);
    registerAll(largest);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    pool.reset();
    return 0;
}
