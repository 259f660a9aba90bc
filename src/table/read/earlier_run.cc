#include "table/read/earlier_run.h"

#include <algorithm>
#include <iterator>

#include "files/file_access.h"
#include "files/visible_text.h"
#include "table/judge/hotfix_names.h"
#include "table/read/json_value.h"
#include "table/read/report_files.h"
#include "table/read/report_times.h"

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

// The file's lines one at a time, a chunk in memory at a time.
class LineReader {
 public:
  LineReader(const std::string& path, const std::string& shown)
      : file_(platform::CreateFileA(
            path.c_str(), GENERIC_READ,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
        shown_(shown) {
    if (!file_.valid()) Fail(platform::GetLastError());
  }

  // The next line without its line end (LF, or CR LF); false at the end.
  bool Next(std::string& line) {
    for (;;) {
      const std::size_t end = buffer_.find('\n', start_);
      if (end != std::string::npos) {
        line.assign(buffer_, start_, end - start_);
        start_ = end + 1;
        break;
      }
      if (buffer_.size() - start_ > kLongestLine) {
        throw UsageError{shown_ + ":" + std::to_string(number_ + 1) +
                         ": a line longer than 64 MiB"};
      }
      if (!Fill()) {
        if (start_ == buffer_.size()) return false;
        line.assign(buffer_, start_, std::string::npos);
        start_ = buffer_.size();
        break;
      }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number_;
    return true;
  }

  // The first bytes of the file, read but not taken.
  std::string_view Peek(std::size_t count) {
    while (buffer_.size() - start_ < count && Fill()) {
    }
    return std::string_view(buffer_).substr(start_, count);
  }

  void Skip(std::size_t count) { start_ += count; }
  std::size_t number() const { return number_; }

 private:
  [[noreturn]] void Fail(DWORD error) {
    throw UsageError{"cannot read " + shown_ + ": " +
                     DescribeSystemError(error)};
  }

  bool Fill() {
    buffer_.erase(0, start_);
    start_ = 0;
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kChunk);
    DWORD got = 0;
    if (!platform::ReadFile(file_.get(), &buffer_[had],
                            static_cast<DWORD>(kChunk), &got, nullptr)) {
      Fail(platform::GetLastError());
    }
    buffer_.resize(had + got);
    return got > 0;
  }

  ScopedFile file_;
  std::string shown_;
  std::string buffer_;
  std::size_t start_ = 0;
  std::size_t number_ = 0;
};

bool EndsWithTxt(const std::string& path) {
  if (path.size() < 4) return false;
  return MachineKey(path.substr(path.size() - 4)) == ".TXT";
}

// Reads one line of JSON Lines into `machine`; false for a machine that
// was gone at that audit. A fault is a UsageError "FILE:LINE: what".
class MachineLine {
 public:
  MachineLine(const std::string& shown, std::size_t number)
      : where_(shown + ":" + std::to_string(number) + ": ") {}

  bool Read(const std::string& line, HotfixIndex& index,
            EarlierMachine& machine) const {
    JsonValue value;
    std::string error;
    if (!ParseJson(line, value, error)) Fail("not JSON: " + error);
    if (value.kind != JsonValue::Kind::kObject) Fail("not a JSON object");
    machine.machine = Text(value, "machine", true);
    if (machine.machine.empty()) Fail("a machine without a name");
    const std::string status = Text(value, "status", true);
    if (status == "gone") return false;
    machine.status = StatusOf(status);
    machine.os = Text(value, "os", false);
    machine.reported = Text(value, "reported", false);
    std::int64_t seconds = 0;
    if (!machine.reported.empty() && !ParseUtcTime(machine.reported, seconds)) {
      Fail("\"reported\" is no time of the form 2026-12-01T10:00:05Z");
    }
    ReadHotfixes(value, index, machine);
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

  void ReadHotfixes(const JsonValue& object, HotfixIndex& index,
                    EarlierMachine& machine) const {
    const JsonValue* list = object.Member("hotfixes");
    if (list == nullptr) Fail("no \"hotfixes\" list");
    if (list->kind != JsonValue::Kind::kArray) {
      Fail("\"hotfixes\" is not a list");
    }
    if (list->items.size() > kMostHotfixes) {
      Fail("more than 100,000 hotfixes");
    }
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
      if (!id->text.empty())
        machine.hotfixes.push_back(index.Add(Visible(id->text)));
    }
  }

  std::string where_;
};

std::vector<EarlierMachine> ReadJsonLines(LineReader& reader,
                                          const std::string& shown,
                                          HotfixIndex& index) {
  std::vector<EarlierMachine> machines;
  std::string line;
  EarlierMachine machine;
  while (reader.Next(line)) {
    machine = EarlierMachine();
    if (MachineLine(shown, reader.number()).Read(line, index, machine)) {
      machines.push_back(std::move(machine));
    }
  }
  return machines;
}

std::vector<EarlierMachine> ReadCollection(const std::string& path,
                                           const Options& options,
                                           HotfixIndex& index) {
  Options collection = options;
  collection.paths.assign(1, path);
  std::vector<EarlierMachine> machines;
  std::string bytes, text;
  MachineReport report;
  for (const ReportFile& file : CollectReportFiles(collection)) {
    ReadReport(file, options.codePage, bytes, text, report);
    EarlierMachine machine;
    machine.machine = report.machine;
    machine.key = file.sortKey;
    machine.status = report.status;
    machine.os = report.os;
    machine.reported = report.reported;
    for (const HotfixEntry& entry : report.entries) {
      if (!entry.name.empty())
        machine.hotfixes.push_back(index.Add(entry.name));
    }
    machines.push_back(std::move(machine));
  }
  return machines;
}

void SortUnique(std::vector<std::uint32_t>& numbers) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
}

// `from` taken into `into`, a machine of the same name.
void Merge(EarlierMachine& into, EarlierMachine& from) {
  if (into.status == ReportStatus::kComplete) into.status = from.status;
  if (into.os.empty()) into.os = std::move(from.os);
  into.reported = std::max(into.reported, from.reported);
  into.hotfixes.insert(into.hotfixes.end(), from.hotfixes.begin(),
                       from.hotfixes.end());
  into.reports += from.reports;
}

std::vector<EarlierMachine> MergedByName(std::vector<EarlierMachine> all) {
  std::stable_sort(all.begin(), all.end(),
                   [](const EarlierMachine& a, const EarlierMachine& b) {
                     return a.key < b.key;
                   });
  std::vector<EarlierMachine> machines;
  for (EarlierMachine& machine : all) {
    if (!machines.empty() && machines.back().key == machine.key) {
      Merge(machines.back(), machine);
    } else {
      machines.push_back(std::move(machine));
    }
  }
  for (EarlierMachine& machine : machines) SortUnique(machine.hotfixes);
  return machines;
}

std::vector<EarlierMachine> ReadFile(const std::string& path,
                                     const std::string& shown,
                                     const Options& options,
                                     HotfixIndex& index) {
  LineReader reader(path, shown);
  const std::size_t mark = sizeof kByteOrderMark - 1;
  if (reader.Peek(mark) == kByteOrderMark) reader.Skip(mark);
  const std::string_view first = reader.Peek(1);
  if (first == "{") return ReadJsonLines(reader, shown, index);
  if (EndsWithTxt(path)) return ReadCollection(path, options, index);
  if (first.empty()) {
    throw UsageError{shown + ": empty, no earlier run's JSON Lines"};
  }
  throw UsageError{shown +
                   ":1: not a JSON object, so not an earlier run's JSON "
                   "Lines; nor a report (*.txt) or a folder of them"};
}

}  // namespace

std::uint32_t HotfixIndex::Add(std::string_view name) {
  std::string key = HotfixKey(name);
  const auto found = byKey_.find(key);
  if (found != byKey_.end()) return found->second;
  const auto index = static_cast<std::uint32_t>(keys_.size());
  names_.emplace_back(name);
  byKey_.emplace(key, index);
  keys_.push_back(std::move(key));
  return index;
}

bool HotfixIndex::Find(const std::string& key, std::uint32_t& index) const {
  const auto found = byKey_.find(key);
  if (found == byKey_.end()) return false;
  index = found->second;
  return true;
}

std::string MachineKey(std::string_view machine) {
  std::string key(machine);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

EarlierRun ReadEarlierRun(const std::string& path, const Options& options,
                          HotfixIndex& hotfixes) {
  EarlierRun run;
  run.source = ShownPath(path);
  DWORD error = 0;
  switch (KindOfPath(path, error)) {
    case PathKind::kMissing:
      throw UsageError{run.source + ": " + DescribeSystemError(error)};
    case PathKind::kFolder:
      run.machines = MergedByName(ReadCollection(path, options, hotfixes));
      break;
    case PathKind::kFile:
      run.machines =
          MergedByName(ReadFile(path, run.source, options, hotfixes));
      break;
  }
  for (const EarlierMachine& machine : run.machines) {
    run.newest = std::max(run.newest, machine.reported);
  }
  return run;
}
