#include "auditor/table/judge/changes.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "auditor/vocabulary/hotfix_names.h"
#include "auditor/vocabulary/machine_key.h"

namespace {

// A hotfix by its key and the name it is shown by.
typedef std::pair<std::string, std::string> KeyedName;

std::string WindowsShown(const WindowsRelease& release, const std::string& os) {
  return release.known() ? release.Display() : os;
}

// The earlier machine as a report, to be judged by today's baseline.
MachineReport ReportOf(const EarlierMachine& machine,
                       const HotfixIndex& hotfixes) {
  MachineReport report;
  report.machine = machine.machine;
  report.status = machine.status;
  report.os = *machine.os;
  report.reported = machine.reported;
  report.entries.reserve(machine.hotfixes->size());
  for (std::uint32_t hotfix : *machine.hotfixes) {
    report.entries.push_back({hotfixes.Name(hotfix), std::string()});
  }
  return report;
}

// Names in the order of their keys as a person reads them.
std::vector<std::string> InKeyOrder(std::vector<KeyedName> names) {
  std::sort(names.begin(), names.end(),
            [](const KeyedName& a, const KeyedName& b) {
              return HotfixKeyLess(a.first, b.first);
            });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const KeyedName& a, const KeyedName& b) {
                            return a.first == b.first;
                          }),
              names.end());
  std::vector<std::string> shown;
  shown.reserve(names.size());
  for (KeyedName& name : names) shown.push_back(std::move(name.second));
  return shown;
}

// Compared by their numbers in the index, most found by their spelling:
// ten thousand machines of a hundred hotfixes each. Names compare as
// listed (HotfixKey): a machine that went from KB958644 to KB958644-v2
// removed the one and added the other, while the rule of hotfix_names.h
// keeps its verdicts.
void CompareHotfixes(const EarlierMachine& before, const CurrentMachine& now,
                     const HotfixIndex& hotfixes, MachineChange& change) {
  typedef std::pair<std::uint32_t, const std::string*> Known;
  std::vector<Known> known;
  std::vector<KeyedName> added;  // named by no audit before
  known.reserve(now.report.entries.size());
  for (const HotfixEntry& entry : now.report.entries) {
    if (entry.name.empty()) continue;
    std::uint32_t index = 0;
    if (hotfixes.FindSpelling(entry.name, index)) {
      known.emplace_back(index, &entry.name);
      continue;
    }
    std::string key = HotfixKey(entry.name);
    if (hotfixes.Find(key, index)) {
      known.emplace_back(index, &entry.name);
    } else {
      added.emplace_back(std::move(key), entry.name);
    }
  }
  std::sort(known.begin(), known.end());
  const std::vector<std::uint32_t>& was = *before.hotfixes;
  std::vector<KeyedName> removed;
  auto w = was.begin();
  for (auto k = known.begin(); k != known.end() || w != was.end();) {
    if (k != known.end() && (w == was.end() || k->first < *w)) {
      added.emplace_back(hotfixes.Key(k->first), *k->second);
      ++k;
    } else if (k == known.end() || *w < k->first) {
      removed.emplace_back(hotfixes.Key(*w), hotfixes.Name(*w));
      ++w;
    } else {
      const std::uint32_t same = *w++;
      while (k != known.end() && k->first == same) ++k;
    }
  }
  if (before.status == ReportStatus::kComplete) {
    change.added = InKeyOrder(std::move(added));
  }
  if (now.report.status == ReportStatus::kComplete) {
    change.removed = InKeyOrder(std::move(removed));
  }
}

void CompareVerdicts(const std::vector<Verdict>& before,
                     const std::vector<Verdict>& now, MachineChange& change) {
  for (std::size_t i = 0; i < before.size() && i < now.size(); ++i) {
    if (before[i].state != now[i].state) {
      change.requirements.push_back({i, before[i].state, now[i].state});
    }
  }
}

void SetBefore(const EarlierMachine& before, const Baseline& baseline,
               const HotfixIndex& hotfixes, std::vector<Verdict>& verdicts,
               MachineChange& change) {
  const WindowsRelease release = WindowsReleaseOf(*before.os);
  change.machine = before.machine;
  change.reportedBefore = before.reported;
  change.windowsBefore = WindowsShown(release, *before.os);
  change.statusBefore = before.status;
  change.reportsBefore = before.reports;
  if (!baseline.empty()) {
    verdicts = baseline.Judge(ReportOf(before, hotfixes), release);
    change.exposedBefore = AnyExposed(verdicts);
  }
}

void SetNow(const CurrentMachine& now, MachineChange& change) {
  change.machine = now.report.machine;
  change.reported = now.report.reported;
  change.windows = WindowsShown(now.release, now.report.os);
  change.status = now.report.status;
  change.reports = now.reports;
  change.exposed = AnyExposed(now.verdicts);
}

ChangeKind KindOf(const MachineChange& change) {
  std::int64_t before = 0, now = 0;
  if (ParseUtcTime(change.reportedBefore, before) &&
      ParseUtcTime(change.reported, now) && now <= before) {
    return ChangeKind::kNotRefreshed;
  }
  const bool changed = !change.added.empty() || !change.removed.empty() ||
                       change.windows != change.windowsBefore ||
                       change.status != change.statusBefore ||
                       !change.requirements.empty();
  return changed ? ChangeKind::kChanged : ChangeKind::kUnchanged;
}

// Reports of one name, merged as EarlierRun merges them.
void MergeInto(MachineReport& merged, const MachineReport& report) {
  if (merged.status == ReportStatus::kComplete) merged.status = report.status;
  if (merged.os.empty()) merged.os = report.os;
  merged.reported = std::max(merged.reported, report.reported);
  for (const HotfixEntry& entry : report.entries) {
    merged.entries.push_back({entry.name, std::string()});
  }
}

}  // namespace

const char* ChangeKindName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::kNew: return "new";
    case ChangeKind::kGone: return "gone";
    case ChangeKind::kNotRefreshed: return "not refreshed";
    case ChangeKind::kChanged: return "changed";
    case ChangeKind::kUnchanged: break;
  }
  return "unchanged";
}

bool AnyExposed(const std::vector<Verdict>& verdicts) {
  for (const Verdict& verdict : verdicts) {
    if (IsExposed(verdict.state)) return true;
  }
  return false;
}

MachineChange CompareMachine(const EarlierMachine* before,
                             const CurrentMachine* now,
                             const Baseline& baseline,
                             const HotfixIndex& hotfixes) {
  MachineChange change;
  std::vector<Verdict> verdictsBefore;
  if (before != nullptr) {
    SetBefore(*before, baseline, hotfixes, verdictsBefore, change);
  }
  if (now == nullptr) {
    change.kind = ChangeKind::kGone;
    return change;
  }
  SetNow(*now, change);
  if (before == nullptr) {
    change.kind = ChangeKind::kNew;
    return change;
  }
  CompareHotfixes(*before, *now, hotfixes, change);
  CompareVerdicts(verdictsBefore, now->verdicts, change);
  change.kind = KindOf(change);
  return change;
}

AuditPoint CountAudit(const EarlierRun& run, const EarlierRun* previous,
                      int staleAfterDays, const Baseline& baseline,
                      const HotfixIndex& hotfixes) {
  AuditPoint point;
  point.date = run.newest;
  point.reporting = run.machines.size();
  if (previous != nullptr) {
    std::unordered_set<std::string> now;
    for (const EarlierMachine& machine : run.machines) now.insert(machine.key);
    for (const EarlierMachine& machine : previous->machines) {
      if (!now.count(machine.key)) ++point.gone;
    }
  }
  const StaleReports stale = staleAfterDays >= 0
                                 ? StaleReports(staleAfterDays, run.newest)
                                 : StaleReports();
  for (const EarlierMachine& machine : run.machines) {
    if (stale.IsStale(machine.reported)) ++point.stale;
    if (!baseline.empty() &&
        AnyExposed(baseline.Judge(ReportOf(machine, hotfixes),
                                  WindowsReleaseOf(*machine.os)))) {
      ++point.exposed;
    }
  }
  return point;
}

void AuditCounter::Count(const EarlierRun& run, const EarlierRun* previous,
                         const HotfixIndex& hotfixes) {
  if (audits_ < 2) {
    points_.push_back(AuditPoint{run.newest, 0, 0, 0, 0});
  } else {
    points_.push_back(
        CountAudit(run, previous, staleAfterDays_, baseline_, hotfixes));
  }
}

bool MarkStale(const StaleReports& stale, MachineReport& report,
               TextOutput& errors) {
  report.stale = stale.IsStale(report.reported);
  if (report.stale) {
    errors << report.machine << " is stale: reported " << report.reported
           << ", more than " << std::to_string(stale.days())
           << (stale.days() == 1 ? " day" : " days")
           << " before the newest report\r\n";
  }
  return report.stale;
}

SinceTracker::SinceTracker(const EarlierRun& earlier, const Baseline& baseline,
                           const HotfixIndex& hotfixes,
                           const std::vector<ReportFile>& files,
                           TextOutput& errors)
    : earlier_(earlier),
      baseline_(baseline),
      hotfixes_(hotfixes),
      files_(files),
      errors_(errors) {}

std::vector<MachineChange> SinceTracker::GoneBefore(std::size_t i) {
  std::vector<MachineChange> gone;
  const std::vector<EarlierMachine>& machines = earlier_.machines;
  while (next_ < machines.size() &&
         (i == files_.size() || machines[next_].key < files_[i].sortKey)) {
    gone.push_back(
        CompareMachine(&machines[next_], nullptr, baseline_, hotfixes_));
    Say(gone.back());
    ++gone_;
    ++next_;
  }
  return gone;
}

const MachineChange* SinceTracker::Add(std::size_t i,
                                       const MachineReport& report,
                                       const WindowsRelease& release,
                                       const std::vector<Verdict>& verdicts) {
  const bool first = i == 0 || files_[i - 1].sortKey != files_[i].sortKey;
  const bool last =
      i + 1 == files_.size() || files_[i + 1].sortKey != files_[i].sortKey;
  staleOfName_ = (!first && staleOfName_) || report.stale;
  if (first && last) {
    return &Finish(CurrentMachine{report, release, verdicts, 1});
  }
  if (first) {
    merged_ = MachineReport();
    merged_.status = ReportStatus::kComplete;
    merged_.machine = report.machine;
    reportsOfName_ = 0;
  }
  MergeInto(merged_, report);
  ++reportsOfName_;
  if (!last) return nullptr;
  const WindowsRelease mergedRelease = WindowsReleaseOf(merged_.os);
  merged_.windows = mergedRelease.Display();
  const std::vector<Verdict> mergedVerdicts =
      baseline_.empty() ? std::vector<Verdict>()
                        : baseline_.Judge(merged_, mergedRelease);
  return &Finish(
      CurrentMachine{merged_, mergedRelease, mergedVerdicts, reportsOfName_});
}

const MachineChange& SinceTracker::Finish(const CurrentMachine& now) {
  const EarlierMachine* before = nullptr;
  const std::vector<EarlierMachine>& machines = earlier_.machines;
  const std::string nowKey = MachineKey(now.report.machine);
  if (next_ < machines.size() && machines[next_].key == nowKey) {
    before = &machines[next_++];
  }
  change_ = CompareMachine(before, &now, baseline_, hotfixes_);
  change_.stale = staleOfName_;
  ++machines_;
  if (change_.stale) ++stale_;
  if (change_.exposed) ++exposed_;
  Say(change_);
  return change_;
}

void SinceTracker::Say(const MachineChange& change) {
  if (change.kind == ChangeKind::kGone) {
    errors_ << change.machine << " is gone: last reported "
            << (change.reportedBefore.empty() ? "at a time not known"
                                              : change.reportedBefore)
            << "\r\n";
    return;
  }
  if (change.reports > 1 || change.reportsBefore > 1) {
    errors_ << change.machine << ": " << std::to_string(change.reports)
            << (change.reports == 1 ? " report" : " reports") << " now, "
            << std::to_string(change.reportsBefore)
            << " before, compared as one machine\r\n";
  }
  for (const std::string& hotfix : change.removed) {
    errors_ << change.machine << " no longer lists " << hotfix << "\r\n";
  }
}

AuditPoint SinceTracker::Now(const std::string& date) const {
  AuditPoint point;
  point.date = date;
  point.reporting = machines_;
  point.gone = gone_;
  point.stale = stale_;
  point.exposed = exposed_;
  return point;
}
