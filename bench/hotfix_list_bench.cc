// Speed and memory of the hotfix listing over the fake platform, from a
// thousand to a million hotfix keys, written to a pipe.
//
// Time per key should not grow with the number of keys, and the memory the
// listing needs should grow only with the names it holds: the report itself
// streams through the 128-byte output buffer and is never kept. The heap is
// counted here (every allocation of the process goes through the operators
// below) so that the listing's own memory is told apart from the fake
// registry's, which is built before the listing starts.
//
// Built only for native builds with HOTFIXES_BENCHMARKS=ON; see README.md.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include "hotfix/hotfix_list.h"
#include "output/report_output.h"
#include "platform/platform-fake.h"
#include "registry/locale_facts.h"
#include "registry/registry.h"
#include "registry/string_list.h"

// --- Heap accounting ---------------------------------------------------

namespace {

// Each block carries its size in front of it, so that a release knows how
// much it gives back. The header keeps the block suitably aligned.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::size_t liveHeapBytes = 0;
std::size_t peakHeapBytes = 0;

}  // namespace

void* operator new(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  liveHeapBytes += size;
  if (liveHeapBytes > peakHeapBytes) peakHeapBytes = liveHeapBytes;
  return static_cast<char*>(block) + kHeader;
}

void operator delete(void* bytes) noexcept {
  if (bytes == nullptr) return;
  char* block = static_cast<char*>(bytes) - kHeader;
  liveHeapBytes -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

void operator delete(void* bytes, std::size_t) noexcept {
  operator delete(bytes);
}

namespace {

// --- The fake registry -------------------------------------------------

const char kHotFixRoot[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\HotFix";
constexpr std::size_t kCommentLength = 70;
// Numbers of one width at every size, so that every size writes lines of
// the same length.
constexpr long kFirstNumber = 1000000;

std::string HotFixName(long index) {
  return "KB" + std::to_string(kFirstNumber + index);
}

std::string CommentFor(const std::string& name) {
  std::string comment = "Security Update for Windows XP (" + name + ")";
  comment.resize(kCommentLength, '.');
  return comment;
}

// The report the listing writes for `keys` hotfixes, in bytes.
std::size_t ExpectedReportBytes(long keys) {
  const std::size_t line = 1 + HotFixName(0).size() + 2 + kCommentLength + 2;
  const std::string count = "Found " + std::to_string(keys) + " Hot-Fix";
  return static_cast<std::size_t>(keys) * line + 2 + count.size() + 2;
}

// A fresh fake with `keys` hotfix keys under HKLM, standard output a pipe,
// and only counts kept of the calls.
void ArrangeHotFixes(long keys) {
  fake::Reset();
  fake::State& platform = fake::Get();
  platform.recordCalls = false;
  platform.fileType = FILE_TYPE_PIPE;
  platform.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  platform.version.dwMajorVersion = 5;
  platform.version.dwMinorVersion = 1;
  PrepareProcessFacts();

  fake::Key& root = platform.localMachine.Add("Software")
                        .Add("Microsoft")
                        .Add("Windows NT")
                        .Add("CurrentVersion")
                        .Add("HotFix");
  for (long index = 0; index < keys; ++index) {
    const std::string name = HotFixName(index);
    root.Add(name).SetText("Comments", CommentFor(name));
  }
}

// One whole listing, from a closed output to the last byte flushed.
void RunListing() {
  ReportOutput = TReportOutput();
  ListHotFixes();
  FlushReportOutput();
}

// The heap that listing the names alone needs: the yardstick for the
// listing's own peak, which should exceed it by no more than a few lines.
std::size_t NameListPeakHeap() {
  TRegistry registry;
  registry.SelectRoot(HKEY_LOCAL_MACHINE);
  registry.OpenForReading(kHotFixRoot);
  const std::size_t before = liveHeapBytes;
  peakHeapBytes = before;
  {
    TStringList names;
    registry.ListSubkeyNames(names);
  }
  return peakHeapBytes - before;
}

double MaxResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes
}

// --- The benchmark -----------------------------------------------------

void BM_ListHotFixes(benchmark::State& state) {
  const long keys = static_cast<long>(state.range(0));
  ArrangeHotFixes(keys);
  const double arrangedResidentMegabytes = MaxResidentMegabytes();
  fake::State& platform = fake::Get();

  // A first listing makes the program's one-time allocations; a second,
  // untimed, measures the heap a listing needs on top of the arranged fake,
  // and checks that it wrote the whole report.
  RunListing();
  platform.bytesWritten = 0;
  platform.writeCalls = 0;
  const std::size_t heapBefore = liveHeapBytes;
  peakHeapBytes = liveHeapBytes;
  RunListing();
  const std::size_t listingPeakHeap = peakHeapBytes - heapBefore;
  const std::size_t heapLeftBehind = liveHeapBytes - heapBefore;
  const std::size_t nameListPeak = NameListPeakHeap();
  if (platform.bytesWritten != ExpectedReportBytes(keys)) {
    state.SkipWithError("the listing did not write the whole report");
    return;
  }

  for (auto _ : state) {
    RunListing();
  }

  using benchmark::Counter;
  state.SetItemsProcessed(state.iterations() * keys);
  state.counters["time_per_key"] =
      Counter(static_cast<double>(keys),
              Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["heap_peak_B_per_key"] =
      static_cast<double>(listingPeakHeap) / static_cast<double>(keys);
  state.counters["heap_beyond_names_B"] =
      static_cast<double>(listingPeakHeap) - static_cast<double>(nameListPeak);
  state.counters["heap_left_B"] = static_cast<double>(heapLeftBehind);
  state.counters["report_B_per_key"] =
      static_cast<double>(ExpectedReportBytes(keys)) /
      static_cast<double>(keys);
  state.counters["writes_per_key"] =
      static_cast<double>(platform.writeCalls) /
      static_cast<double>(keys * (state.iterations() + 1));
  state.counters["maxrss_arranged_MB"] = arrangedResidentMegabytes;
  state.counters["maxrss_MB"] = MaxResidentMegabytes();
  fake::Reset();
}

BENCHMARK(BM_ListHotFixes)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
