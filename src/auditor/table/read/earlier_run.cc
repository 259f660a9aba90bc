#include "auditor/table/read/earlier_run.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "auditor/files/file_access.h"
#include "auditor/table/read/json_value.h"
#include "auditor/table/read/report_files.h"
#include "auditor/table/read/report_times.h"
#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/hotfix_names.h"
#include "auditor/vocabulary/machine_key.h"

namespace {

// Bounds far beyond what the table writes: a machine line holds at most
// 100,000 hotfixes (a report's bound) with their comments, a name or an
// OS line a few hundred bytes even with every character shown by its code
// point. Anything larger is not the table's and is not kept in memory.
const std::size_t kLongestLine = std::size_t{64} << 20;
const std::size_t kLongestText = 4096;
const std::size_t kMostHotfixes = 100000;
const std::size_t kChunk = std::size_t{1} << 20;
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// What of a machine's line is kept: the rest (its findings, what a later
// version adds) is read and dropped. One hotfix more than the bound is
// kept, to tell a list that passes it.
const JsonShape kHotfixShape{{{"hotfix_id", nullptr}}, nullptr, 0};
const JsonShape kHotfixesShape{{}, &kHotfixShape, kMostHotfixes + 1};
const JsonShape kMachineShape{{{"machine", nullptr},
                               {"status", nullptr},
                               {"os", nullptr},
                               {"reported", nullptr},
                               {"hotfixes", &kHotfixesShape}},
                              nullptr,
                              0};

// The file's lines one at a time, a chunk in memory at a time.
class LineReader {
 public:
  LineReader(const std::string& path, const std::string& shown)
      : file_(OpenToRead(path)), shown_(shown) {
    if (!file_.valid()) Fail(platform::GetLastError());
  }

  // The next line without its line end (LF, or CR LF), valid until the
  // next call; false at the end.
  bool Next(std::string_view& line) {
    for (;;) {
      const char* end = static_cast<const char*>(
          std::memchr(buffer_.get() + searched_, '\n', size_ - searched_));
      if (end != nullptr) {
        const std::size_t at = static_cast<std::size_t>(end - buffer_.get());
        line = std::string_view(buffer_.get() + start_, at - start_);
        start_ = searched_ = at + 1;
        break;
      }
      searched_ = size_;
      if (size_ - start_ > kLongestLine) {
        throw UsageError{shown_ + ":" + std::to_string(number_ + 1) +
                         ": a line longer than 64 MiB"};
      }
      if (!Fill()) {
        if (start_ == size_) return false;
        line = std::string_view(buffer_.get() + start_, size_ - start_);
        start_ = searched_ = size_;
        break;
      }
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }

  // The first bytes of the file, read but not taken.
  std::string_view Peek(std::size_t count) {
    while (size_ - start_ < count && Fill()) {
    }
    return std::string_view(buffer_.get() + start_,
                            std::min(count, size_ - start_));
  }

  void Skip(std::size_t count) { start_ = searched_ = start_ + count; }
  std::size_t number() const { return number_; }

 private:
  [[noreturn]] void Fail(DWORD error) {
    throw UsageError{"cannot read " + shown_ + ": " +
                     DescribeSystemError(error)};
  }

  // Reads a chunk more behind the bytes not yet taken, which move to the
  // buffer's start; false at the end of the file.
  bool Fill() {
    std::memmove(buffer_.get(), buffer_.get() + start_, size_ - start_);
    size_ -= start_;
    searched_ -= start_;
    start_ = 0;
    if (capacity_ - size_ < kChunk) {
      capacity_ = std::max(2 * capacity_, size_ + kChunk);
      std::unique_ptr<char[]> larger(new char[capacity_]);
      std::memcpy(larger.get(), buffer_.get(), size_);
      buffer_ = std::move(larger);
    }
    DWORD got = 0;
    if (!platform::ReadFile(file_.get(), buffer_.get() + size_,
                            static_cast<DWORD>(kChunk), &got, nullptr)) {
      Fail(platform::GetLastError());
    }
    size_ += got;
    return got > 0;
  }

  OwnedFile file_;
  std::string shown_;
  std::unique_ptr<char[]> buffer_{new char[kChunk]};
  std::size_t capacity_ = kChunk;
  std::size_t size_ = 0;      // bytes in the buffer
  std::size_t start_ = 0;     // of the bytes not yet taken
  std::size_t searched_ = 0;  // where a line end may still be
  std::size_t number_ = 0;
};

std::vector<std::uint32_t> SortedOnce(std::vector<std::uint32_t> numbers) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

// Reads one line of JSON Lines into `machine`; false for a machine that
// was gone at that audit. A fault is a UsageError "FILE:LINE: what".
class MachineLine {
 public:
  MachineLine(const std::string& shown, std::size_t number)
      : where_(shown + ":" + std::to_string(number) + ": ") {}

  bool Read(std::string_view line, HotfixIndex& index, SharedParts& shared,
            EarlierMachine& machine) const {
    std::string error;
    if (!ParseJson(line, kMachineShape, document_, error)) {
      Fail("not JSON: " + error);
    }
    const JsonValue& value = document_.root;
    if (value.kind != JsonValue::Kind::kObject) Fail("not a JSON object");
    machine.machine = Text(value, "machine", true);
    if (machine.machine.empty()) Fail("a machine without a name");
    const std::string status = Text(value, "status", true);
    if (status == "gone") return false;
    machine.status = StatusOf(status);
    machine.os = shared.Os(Text(value, "os", false));
    machine.reported = Text(value, "reported", false);
    std::int64_t seconds = 0;
    if (!machine.reported.empty() && !ParseUtcTime(machine.reported, seconds)) {
      Fail(
          "\"reported\" is no time the table writes (2026-12-01T10:00:05Z, "
          "a real date, years 1980 to 2100)");
    }
    machine.hotfixes = shared.Hotfixes(ReadHotfixes(value, index));
    machine.key = MachineKey(machine.machine);
    return true;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw UsageError{where_ + what};
  }

  // A member's text, bounded, its hidden characters shown; empty when it
  // is absent and not `required`.
  std::string Text(const JsonValue& object, const char* name,
                   bool required) const {
    const JsonValue* value = object.Member(name);
    if (value == nullptr && !required) return std::string();
    if (value == nullptr || value->kind != JsonValue::Kind::kString) {
      if (std::string_view(name) == "machine") {
        Fail("a machine without a name");
      }
      Fail("\"" + std::string(name) + "\" is not a string");
    }
    if (value->text.size() > kLongestText) {
      Fail("\"" + std::string(name) + "\" is longer than 4096 bytes");
    }
    return Visible(value->text);
  }

  ReportStatus StatusOf(const std::string& status) const {
    const ReportStatus statuses[] = {
        ReportStatus::kComplete, ReportStatus::kFailed,
        ReportStatus::kIncomplete, ReportStatus::kUnreadable};
    for (ReportStatus known : statuses) {
      if (status == StatusName(known)) return known;
    }
    Fail("unknown status \"" + status + "\"");
  }

  std::vector<std::uint32_t> ReadHotfixes(const JsonValue& object,
                                          HotfixIndex& index) const {
    const JsonValue* list = object.Member("hotfixes");
    if (list == nullptr) Fail("no \"hotfixes\" list");
    if (list->kind != JsonValue::Kind::kArray) {
      Fail("\"hotfixes\" is not a list");
    }
    if (list->items.size() > kMostHotfixes) {
      Fail("more than 100,000 hotfixes");
    }
    std::vector<std::uint32_t> hotfixes;
    hotfixes.reserve(list->items.size());
    for (const JsonValue& entry : list->items) {
      const JsonValue* id = entry.kind == JsonValue::Kind::kObject
                                ? entry.Member("hotfix_id")
                                : nullptr;
      if (id == nullptr || id->kind != JsonValue::Kind::kString) {
        Fail("a hotfix that is not an object with a \"hotfix_id\" string");
      }
      if (id->text.size() > kLongestText) {
        Fail("a hotfix_id longer than 4096 bytes");
      }
      // An entry without a name (a line before the first hotfix line)
      // names no hotfix to compare.
      if (id->text.empty()) continue;
      // A name of letters, digits and "-_.", as nearly every hotfix's is,
      // has nothing to show by its code point.
      hotfixes.push_back(IsPlainWord(id->text) ? index.Add(id->text)
                                               : index.Add(Visible(id->text)));
    }
    return SortedOnce(std::move(hotfixes));
  }

  std::string where_;
  mutable JsonDocument document_;
};

std::vector<EarlierMachine> ReadJsonLines(LineReader& reader,
                                          const std::string& shown,
                                          HotfixIndex& index,
                                          SharedParts& shared) {
  std::vector<EarlierMachine> machines;
  std::string_view line;
  EarlierMachine machine;
  while (reader.Next(line)) {
    machine = EarlierMachine();
    if (MachineLine(shown, reader.number())
            .Read(line, index, shared, machine)) {
      machines.push_back(std::move(machine));
    }
  }
  return machines;
}

std::vector<EarlierMachine> ReadCollection(const std::string& path,
                                           UINT codePage, HotfixIndex& index,
                                           SharedParts& shared) {
  std::vector<EarlierMachine> machines;
  std::string bytes, text;
  MachineReport report;
  for (const ReportFile& file : CollectReportFiles({path})) {
    ReadReport(file, codePage, bytes, text, report);
    EarlierMachine machine;
    machine.machine = report.machine;
    machine.key = file.sortKey;
    machine.status = report.status;
    machine.os = shared.Os(report.os);
    machine.reported = report.reported;
    std::vector<std::uint32_t> hotfixes;
    for (const HotfixEntry& entry : report.entries) {
      if (!entry.name.empty()) hotfixes.push_back(index.Add(entry.name));
    }
    machine.hotfixes = shared.Hotfixes(SortedOnce(std::move(hotfixes)));
    machines.push_back(std::move(machine));
  }
  return machines;
}

// `from` taken into `into`, a machine of the same name.
void Merge(EarlierMachine& into, EarlierMachine& from, SharedParts& shared) {
  if (into.status == ReportStatus::kComplete) into.status = from.status;
  if (into.os->empty()) into.os = from.os;
  into.reported = std::max(into.reported, from.reported);
  std::vector<std::uint32_t> hotfixes = *into.hotfixes;
  hotfixes.insert(hotfixes.end(), from.hotfixes->begin(), from.hotfixes->end());
  into.hotfixes = shared.Hotfixes(SortedOnce(std::move(hotfixes)));
  into.reports += from.reports;
}

// In place: the earlier audit of a large fleet is the run's largest part.
std::vector<EarlierMachine> MergedByName(std::vector<EarlierMachine> all,
                                         SharedParts& shared) {
  std::stable_sort(all.begin(), all.end(),
                   [](const EarlierMachine& a, const EarlierMachine& b) {
                     return a.key < b.key;
                   });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (kept > 0 && all[kept - 1].key == all[i].key) {
      Merge(all[kept - 1], all[i], shared);
    } else if (kept++ != i) {
      all[kept - 1] = std::move(all[i]);
    }
  }
  all.resize(kept);
  all.shrink_to_fit();
  return all;
}

std::vector<EarlierMachine> ReadEarlierFile(const std::string& path,
                                            const std::string& shown,
                                            UINT codePage, HotfixIndex& index,
                                            SharedParts& shared) {
  LineReader reader(path, shown);
  const std::size_t mark = sizeof kByteOrderMark - 1;
  if (reader.Peek(mark) == kByteOrderMark) reader.Skip(mark);
  const std::string_view first = reader.Peek(1);
  if (first == "{") return ReadJsonLines(reader, shown, index, shared);
  if (IsReportFileName(path)) {
    return ReadCollection(path, codePage, index, shared);
  }
  if (first.empty()) {
    throw UsageError{shown + ": empty, no earlier run's JSON Lines"};
  }
  throw UsageError{shown +
                   ":1: not a JSON object, so not an earlier run's JSON "
                   "Lines; nor a report (*.txt) or a folder of them"};
}

}  // namespace

std::uint32_t HotfixIndex::Add(std::string_view name) {
  std::string spelling(name);
  const auto known = byName_.find(spelling);
  if (known != byName_.end()) return known->second;
  std::string key = HotfixKey(name);
  const auto found = byKey_.find(key);
  if (found != byKey_.end()) {
    byName_.emplace(std::move(spelling), found->second);
    return found->second;
  }
  const auto index = static_cast<std::uint32_t>(keys_.size());
  names_.emplace_back(name);
  byKey_.emplace(key, index);
  byName_.emplace(std::move(spelling), index);
  keys_.push_back(std::move(key));
  return index;
}

bool HotfixIndex::FindSpelling(const std::string& name,
                               std::uint32_t& index) const {
  const auto found = byName_.find(name);
  if (found == byName_.end()) return false;
  index = found->second;
  return true;
}

bool HotfixIndex::Find(const std::string& key, std::uint32_t& index) const {
  const auto found = byKey_.find(key);
  if (found == byKey_.end()) return false;
  index = found->second;
  return true;
}

EarlierRun ReadEarlierRun(const std::string& path, UINT codePage,
                          HotfixIndex& hotfixes) {
  EarlierRun run;
  run.source = ShownPath(path);
  DWORD error = 0;
  switch (KindOfPath(path, error)) {
    case PathKind::kMissing:
      throw UsageError{run.source + ": " + DescribeSystemError(error)};
    case PathKind::kFolder:
      run.machines = MergedByName(
          ReadCollection(path, codePage, hotfixes, run.shared), run.shared);
      break;
    case PathKind::kFile:
      run.machines = MergedByName(
          ReadEarlierFile(path, run.source, codePage, hotfixes, run.shared),
          run.shared);
      break;
  }
  for (const EarlierMachine& machine : run.machines) {
    run.newest = std::max(run.newest, machine.reported);
  }
  return run;
}
