// A start-up batch (the copy count read and written, then the strip's
// placement and look) over a settings file of 20,000 lines, against the same
// reads done one by one on the file, each parsing it anew.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/StartUp.h"
#include "config/RegIniFile.h"
#include "platform/SettingsFile.h"

namespace {

namespace settings = zelvo::config::settings;

class SettingsFolder {
public:
    explicit SettingsFolder(int lines) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelvo-bench-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
        std::ofstream out(Path(), std::ios::binary);
        out << "[Zelvo]\nRunningInstances=0\nTickerTop=700\nTickerLeft=5\nTickerWidth=1000\n";
        // The rest of the file is other programs' or old copies' sections.
        for (int i = 0; i < lines; ++i) {
            if (i % 50 == 0)
                out << "[Other" << i / 50 << "]\n";
            out << "Value" << i << "=some stored text " << i << "\n";
        }
    }
    ~SettingsFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Path() const { return dir_ + "/Zelvo.conf"; }

private:
    std::string dir_;
};

const zelvo::app::TStripMetrics kMetrics{1280, 800, 22, 28, false, 1};

void BM_StartUpBatch(benchmark::State& state) {
    SettingsFolder folder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        zelvo::config::TRegIniFile store(folder.Path());
        auto claim = zelvo::app::ClaimInstance(store, false);
        auto placement = zelvo::app::ReadStripPlacement(store, "Zelvo", kMetrics);
        benchmark::DoNotOptimize(claim);
        benchmark::DoNotOptimize(placement);
    }
}
BENCHMARK(BM_StartUpBatch)->Arg(20000)->Unit(benchmark::kMillisecond);

// The peer: every read opens and parses the whole file again.
void BM_StartUpBatchReparsingEachRead(benchmark::State& state) {
    SettingsFolder folder(static_cast<int>(state.range(0)));
    zelvo::platform::SettingsFile file(folder.Path());
    const char* const names[] = {"RunningInstances", "TickerTop",   "TickerLeft",
                                 "TickerWidth",      "Backcolor",   "ForeColor",
                                 "FontName",         "FontSize",    "FontStyle",
                                 "HideTicker",       "AlwaysOnTop", "AutoRetrievalOn"};
    for (auto _ : state) {
        for (const char* name : names)
            benchmark::DoNotOptimize(file.Read("Zelvo", name));
        file.Write("Zelvo", settings::RunningInstances.Name, "1");
    }
}
BENCHMARK(BM_StartUpBatchReparsingEachRead)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
