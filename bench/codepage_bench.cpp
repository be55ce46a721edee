// One camera name converted from a single-byte host code page to UTF-8, as a deposit
// does for every record. Skipped where no ISO-8859-1 locale is installed.
#include <benchmark/benchmark.h>

#include <clocale>
#include <string>

#include "platform/platform.h"

namespace {

void BM_HostToUtf8Latin1(benchmark::State& state) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, "en_US.iso88591") == nullptr) {
        state.SkipWithError("no ISO-8859-1 locale");
        return;
    }
    const char* name = "Cam\xE9ra d'entr\xE9\x65 n\xB0 0421 - Quai Sud";
    std::string out;
    for (auto _ : state) {
        vellum::platform::HostToUtf8(name, out);
        benchmark::DoNotOptimize(out.data());
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}
BENCHMARK(BM_HostToUtf8Latin1);

}  // namespace
