// An earlier audit, read back to compare the fleet with: the JSON Lines an
// earlier run wrote (the archive an auditor keeps), or the report files
// and folders of an earlier collection. It is as untrusted as the share:
// its texts are shown as a report's are, its sizes bounded, and anything
// that is neither is a UsageError naming the file and line.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_EARLIER_RUN_H_
#define HOTFIXES_AUDITOR_TABLE_READ_EARLIER_RUN_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "auditor/table/read/machine_report.h"
#include "platform/platform.h"

// Every hotfix the audits name, once per HotfixKey: a fleet has a few
// hundred, its machines a hundred each, so machines hold their numbers.
class HotfixIndex {
 public:
  // The number of the name's key, which keeps the name first given for it.
  std::uint32_t Add(std::string_view name);
  // The number of a key, or false when no audit named it.
  bool Find(const std::string& key, std::uint32_t& index) const;
  // The number of a name spelt so before, or false.
  bool FindSpelling(const std::string& name, std::uint32_t& index) const;
  const std::string& Name(std::uint32_t index) const { return names_[index]; }
  const std::string& Key(std::uint32_t index) const { return keys_[index]; }

 private:
  std::vector<std::string> names_, keys_;
  std::unordered_map<std::string, std::uint32_t> byKey_;
  // Each spelling met: most are met again on every machine.
  std::unordered_map<std::string, std::uint32_t> byName_;
};

// What machines share, each kept once and where it stays: a fleet cloned
// from a few images has a few hundred sets of hotfixes and a few OS lines,
// so ten thousand machines of an earlier audit take little memory.
class SharedParts {
 public:
  SharedParts() = default;
  SharedParts(SharedParts&&) = default;
  SharedParts& operator=(SharedParts&&) = default;
  SharedParts(const SharedParts&) = delete;
  SharedParts& operator=(const SharedParts&) = delete;

  const std::string* Os(std::string os) {
    return &*osLines_.insert(std::move(os)).first;
  }
  // `hotfixes`: ascending, each once.
  const std::vector<std::uint32_t>* Hotfixes(
      std::vector<std::uint32_t> hotfixes) {
    return &*sets_.insert(std::move(hotfixes)).first;
  }

 private:
  std::unordered_set<std::string> osLines_;
  std::set<std::vector<std::uint32_t>> sets_;
};

struct EarlierMachine {
  std::string machine;  // as shown
  std::string key;      // MachineKey(machine)
  ReportStatus status = ReportStatus::kUnreadable;
  const std::string* os = nullptr;  // in the run's shared parts
  std::string reported;             // the newest of its reports
  // Into the index, ascending, once each; in the run's shared parts.
  const std::vector<std::uint32_t>* hotfixes = nullptr;
  int reports = 1;  // of its name, taken as one machine
};

struct EarlierRun {
  std::string source;  // the path as messages show it
  std::string newest;  // the newest report's time: the audit's date
  std::vector<EarlierMachine> machines;  // by key
  SharedParts shared;
};

// Reads EARLIER: a file of JSON Lines (its first byte, after a UTF-8
// byte-order mark, is '{'), else a report file or a folder of reports,
// read as PATH is (in `codePage`). A machine's line of status
// "gone" is no machine of that audit. Several reports or lines of one name
// become one machine with all their hotfixes.
EarlierRun ReadEarlierRun(const std::string& path, UINT codePage,
                          HotfixIndex& hotfixes);

#endif  // HOTFIXES_AUDITOR_TABLE_READ_EARLIER_RUN_H_
