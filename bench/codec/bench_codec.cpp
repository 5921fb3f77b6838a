// Speed of the LZH codec on a skin-like archive, next to zlib on the same bytes in the same
// run: packing against deflate at level 6, unpacking against inflate. Prints one line per
// result, "name: value unit", with the LZH lines followed by their ratio to zlib.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/codec/SkinSample.h"
#include "skin/package/WinConvert.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes& Archive() {
  static const Bytes archive = qn::bench::SkinSampleArchive();
  return archive;
}

const Bytes& Packed() {
  static const Bytes packed = [] {
    qn::TMemoryStream in(Archive()), out;
    qn::LZHCompress(in, out);
    return out.Bytes();
  }();
  return packed;
}

const Bytes& Deflated() {
  static const Bytes deflated = [] {
    uLongf size = compressBound(Archive().size());
    Bytes out(size);
    compress2(out.data(), &size, Archive().data(), Archive().size(), 6);
    out.resize(size);
    return out;
  }();
  return deflated;
}

void LzhPack(benchmark::State& state) {
  qn::TMemoryStream in(Archive()), out;
  for (auto _ : state) {
    qn::LZHCompress(in, out);
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Archive().size()));
}

void LzhUnpack(benchmark::State& state) {
  qn::TMemoryStream in(Packed()), out;
  for (auto _ : state) {
    qn::LZHDecompress(in, out);
    benchmark::DoNotOptimize(out.Memory());
  }
  if (out.Bytes() != Archive()) state.SkipWithError("unpacked bytes differ");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Archive().size()));
}

void ZlibDeflate(benchmark::State& state) {
  Bytes out(compressBound(Archive().size()));
  for (auto _ : state) {
    uLongf size = out.size();
    compress2(out.data(), &size, Archive().data(), Archive().size(), 6);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Archive().size()));
}

void ZlibInflate(benchmark::State& state) {
  Bytes out(Archive().size());
  for (auto _ : state) {
    uLongf size = out.size();
    uncompress(out.data(), &size, Deflated().data(), Deflated().size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Archive().size()));
}

// Keeps the median speed of each benchmark (in bytes per second), shows nothing itself.
class TCollector : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context&) override { return true; }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.error_occurred) errors_.push_back(run.benchmark_name() + ": " + run.error_message);
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) speed_[run.run_name.function_name] = it->second.value;
    }
  }
  double Speed(const std::string& name) const {
    auto it = speed_.find(name);
    return it == speed_.end() ? 0 : it->second;
  }
  const std::vector<std::string>& errors() const { return errors_; }

 private:
  std::map<std::string, double> speed_;
  std::vector<std::string> errors_;
};

}  // namespace

// Each runs several times; the median counts. Baseline and candidate alternate so that a
// change in the machine's load touches both.
BENCHMARK(ZlibDeflate)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3);
BENCHMARK(LzhPack)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3);
BENCHMARK(ZlibInflate)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3);
BENCHMARK(LzhUnpack)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  for (const auto& e : collector.errors()) std::fprintf(stderr, "error: %s\n", e.c_str());

  auto mbs = [](double bytes_per_second) { return bytes_per_second / 1e6; };
  double deflate = collector.Speed("ZlibDeflate"), pack = collector.Speed("LzhPack");
  double inflate = collector.Speed("ZlibInflate"), unpack = collector.Speed("LzhUnpack");
  std::printf("input: %zu bytes (skin-like archive)\n", Archive().size());
  std::printf("zlib_deflate6: %.1f MB/s\n", mbs(deflate));
  std::printf("lzh_pack: %.1f MB/s %.2f x zlib_deflate6 (target 0.16)\n", mbs(pack), deflate > 0 ? pack / deflate : 0);
  std::printf("zlib_inflate: %.1f MB/s\n", mbs(inflate));
  std::printf("lzh_unpack: %.1f MB/s %.2f x zlib_inflate (target 0.45)\n", mbs(unpack), inflate > 0 ? unpack / inflate : 0);
  std::printf("zlib_deflate6_size: %zu bytes\n", Deflated().size());
  std::printf("lzh_size: %zu bytes %.2f x zlib_deflate6_size\n", Packed().size(),
              static_cast<double>(Packed().size()) / static_cast<double>(Deflated().size()));
  return collector.errors().empty() ? 0 : 1;
}
