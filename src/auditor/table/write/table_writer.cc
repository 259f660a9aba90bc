#include "auditor/table/write/table_writer.h"

#include "auditor/table/write/changes_csv.h"
#include "auditor/table/write/csv_table.h"
#include "auditor/table/write/fleet.h"
#include "auditor/table/write/html_since.h"
#include "auditor/table/write/html_table.h"
#include "auditor/table/write/json_lines.h"
#include "auditor/table/write/json_since.h"
#include "auditor/table/write/wide_table.h"

namespace {

// Excel reads a CSV without it in the ANSI code page.
const char kByteOrderMark[] = "\xEF\xBB\xBF";

class CsvWriter : public TableWriter {
 public:
  CsvWriter(const WriteSettings& settings, const Baseline& baseline,
            TextOutput& out)
      : baseline_(baseline),
        requirements_(CsvRequirementFields(baseline)),
        exposedOnly_(settings.exposedOnly),
        stale_(settings.staleColumn),
        out_(out) {
    if (settings.byteOrderMark) out_ << kByteOrderMark;
    if (baseline_.empty()) {
      WriteCsvHeader(out_, stale_);
    } else {
      WriteCsvFindingsHeader(out_, stale_);
    }
  }
  void Add(const MachineReport& report, const WindowsRelease&,
           const std::vector<Verdict>& verdicts) override {
    if (baseline_.empty()) {
      WriteCsvRows(report, out_, stale_);
    } else {
      WriteCsvFindings(report, requirements_, verdicts, exposedOnly_, out_,
                       stale_);
    }
  }

 private:
  const Baseline& baseline_;
  const std::vector<std::string> requirements_;
  const bool exposedOnly_;
  const bool stale_;
  TextOutput& out_;
};

// A machine's lines wait for its change, which is known after its last
// report.
class JsonLinesWriter : public TableWriter {
 public:
  JsonLinesWriter(const WriteSettings& settings, const Baseline& baseline,
                  TextOutput& out)
      : baseline_(baseline),
        stale_(settings.staleColumn),
        since_(settings.since),
        out_(out) {}
  void Add(const MachineReport& report, const WindowsRelease& release,
           const std::vector<Verdict>& verdicts) override {
    std::string line;
    AppendJsonLineStart(report, release, baseline_, verdicts, line);
    if (stale_) line += report.stale ? ",\"stale\":true" : ",\"stale\":false";
    if (since_) {
      waiting_.push_back(std::move(line));
      return;
    }
    line += "}\n";
    out_ << line;
  }
  void AddChange(const MachineChange& change) override {
    if (change.kind == ChangeKind::kGone) {
      WriteJsonGoneLine(change, baseline_, stale_, out_);
      return;
    }
    for (std::string& line : waiting_) {
      AppendJsonSince(change, baseline_, line);
      line += "}\n";
      out_ << line;
    }
    waiting_.clear();
  }

 private:
  const Baseline& baseline_;
  const bool stale_, since_;
  std::vector<std::string> waiting_;
  TextOutput& out_;
};

class ChangesWriter : public TableWriter {
 public:
  ChangesWriter(const WriteSettings& settings, const Baseline& baseline,
                TextOutput& out)
      : baseline_(baseline), stale_(settings.staleColumn), out_(out) {
    if (settings.byteOrderMark) out_ << kByteOrderMark;
    WriteChangesHeader(stale_, out_);
  }
  void Add(const MachineReport&, const WindowsRelease&,
           const std::vector<Verdict>&) override {}
  void AddChange(const MachineChange& change) override {
    WriteChangeRows(change, baseline_, stale_, out_);
  }

 private:
  const Baseline& baseline_;
  const bool stale_;
  TextOutput& out_;
};

// The formats that need every report before their first line: a report
// is kept as what they show of it.
class FleetWriter : public TableWriter {
 public:
  FleetWriter(const WriteSettings& settings, const Judgement& judgement,
              TextOutput& out, TextOutput& errors)
      : fleet_(judgement.required, judgement.baseline),
        format_(settings.format),
        byteOrderMark_(settings.byteOrderMark),
        stale_(settings.staleColumn),
        out_(out),
        errors_(errors) {}
  void Add(const MachineReport& report, const WindowsRelease& release,
           const std::vector<Verdict>& verdicts) override {
    fleet_.Add(report, release, verdicts);
  }
  void AddChange(const MachineChange& change) override { since_.Add(change); }
  void AddAudits(const std::vector<AuditPoint>& audits) override {
    since_.SetAudits(audits);
  }
  void Finish() override {
    Fleet fleet = fleet_.Finish();
    fleet.staleAsked = stale_;
    if (format_ == Format::kHtml) {
      WriteHtmlPage(fleet, out_, errors_, &since_);
    } else {
      if (byteOrderMark_) out_ << kByteOrderMark;
      WriteWideCsv(fleet, out_, errors_);
    }
  }

 private:
  FleetBuilder fleet_;
  Format format_;
  bool byteOrderMark_;
  bool stale_;
  SinceSection since_;
  TextOutput& out_;
  TextOutput& errors_;
};

}  // namespace

std::unique_ptr<TableWriter> MakeTableWriter(const WriteSettings& settings,
                                             const Judgement& judgement,
                                             TextOutput& out,
                                             TextOutput& errors) {
  switch (settings.format) {
    case Format::kCsv:
      return std::make_unique<CsvWriter>(settings, judgement.baseline, out);
    case Format::kJsonLines:
      return std::make_unique<JsonLinesWriter>(settings, judgement.baseline,
                                               out);
    case Format::kChanges:
      return std::make_unique<ChangesWriter>(settings, judgement.baseline, out);
    case Format::kHtml:
    case Format::kWide: break;
  }
  return std::make_unique<FleetWriter>(settings, judgement, out, errors);
}
