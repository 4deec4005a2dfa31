// Speed and memory of the point-cloud draw.
//   Production/N          the window's own path: PointCloud on the raster surface with FastRandom
//   ProductionWatched/N   the same with the progress watch the window uses
//   Baseline/N            the same rules done plainly: std::mt19937, std::uniform_real_distribution
//                         and QImage::setPixelColor per dot
//   RightPressToScreen    a right press on the real Form2 (offscreen) until the surface is painted
// peak_MiB is the process's peak resident memory during that benchmark alone
// (the peak is reset before each, where the kernel allows it).
#include "core/point_cloud.h"
#include "platform/fast_random.h"
#include "platform/progress_watch.h"
#include "platform/qt/surface_widget.h"
#include "platform/raster_surface.h"
#include "window/form2.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace {

using namespace chaos;

const RasterSurface::Placement kPlacement{120, 240, 8295, 7215};
constexpr int kAreaWidth = 551, kAreaHeight = 479;
const float kAnchors[3][2] = {{900, 6900}, {7500, 6900}, {4200, 600}};

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

class SilentView : public ProgressView {
public:
    void show(std::uint64_t) override {}
    bool update(std::uint64_t) override { return true; }
    void hide() override {}
};

void runProduction(benchmark::State& state, bool watched) {
    resetPeakMemory();
    RasterSurface surface(kPlacement, kAreaWidth, kAreaHeight);
    FastRandom random;
    AnchorStore anchors;
    Count count(state.range(0));
    const Color dotColor = 0;
    SilentView view;
    ProgressWatch watch(view);
    PointCloud handler(anchors, surface, random, count, dotColor);
    if (watched)
        handler.setProgress(&watch);
    for (auto _ : state) {
        for (const auto& a : kAnchors)
            handler.box_MouseDown(kLeftButton, 0, a[0], a[1]);
        handler.box_MouseDown(kRightButton, 0, 0, 0);
        benchmark::DoNotOptimize(surface.bits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_MiB"] = peakMemoryMiB();
}

void Production(benchmark::State& state) { runProduction(state, false); }
void ProductionWatched(benchmark::State& state) { runProduction(state, true); }

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
    struct Quiet : MessageBox, ProgramEnd {
        void show(const std::string&, MessageKind) override {}
        void end() override {}
    } quiet;
    Form2 form({quiet, quiet});
    form.show();
    QApplication::processEvents();
    const QPointF at(100, 100);
    for (auto _ : state) {
        for (const auto& a : kAnchors)
            emit form.box->mouseDown(1, 0, a[0], a[1]);
        QMouseEvent press(QEvent::MouseButtonPress, at, form.box->mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(form.box, &press);
        form.box->repaint();
    }
}

constexpr std::int64_t kSizes[] = {10'000, 1'000'000, 100'000'000};

void registerAll() {
    for (auto n : kSizes) {
        benchmark::RegisterBenchmark("Production", Production)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("ProductionWatched", ProductionWatched)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Baseline", Baseline)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark("RightPressToScreen/10000", RightPressToScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();
}

// Passes every run through and, at the end, prints the speed-ups of the
// production path over the baseline (medians where there are repetitions).
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
        std::printf("\n%-12s %16s %16s %16s %9s\n", "dots", "production/s", "watched/s", "baseline/s", "speed-up");
        for (auto n : kSizes) {
            auto of = [&](const char* name) {
                char key[64];
                std::snprintf(key, sizeof key, "%s/%lld/real_time", name, static_cast<long long>(n));
                return speed[key];
            };
            const double fast = of("Production"), watched = of("ProductionWatched"), base = of("Baseline");
            std::printf("%-12lld %16.4g %16.4g %16.4g %8.1fx\n", static_cast<long long>(n), fast, watched, base,
                        base > 0 ? fast / base : 0.0);
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
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
