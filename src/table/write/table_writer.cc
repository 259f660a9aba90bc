#include "table/write/table_writer.h"

#include "table/write/csv_table.h"
#include "table/write/fleet.h"
#include "table/write/html_table.h"
#include "table/write/json_lines.h"
#include "table/write/wide_table.h"

namespace {

// Excel reads a CSV without it in the ANSI code page.
const char kByteOrderMark[] = "\xEF\xBB\xBF";

class CsvWriter : public TableWriter {
 public:
  CsvWriter(const Options& options, const Baseline& baseline, TextOutput& out)
      : baseline_(baseline),
        requirements_(CsvRequirementFields(baseline)),
        exposedOnly_(options.exposedOnly),
        out_(out) {
    if (options.byteOrderMark) out_ << kByteOrderMark;
    if (baseline_.empty()) {
      WriteCsvHeader(out_);
    } else {
      WriteCsvFindingsHeader(out_);
    }
  }
  void Add(const MachineReport& report, const WindowsRelease&,
           const std::vector<Verdict>& verdicts) override {
    if (baseline_.empty()) {
      WriteCsvRows(report, out_);
    } else {
      WriteCsvFindings(report, requirements_, verdicts, exposedOnly_, out_);
    }
  }

 private:
  const Baseline& baseline_;
  const std::vector<std::string> requirements_;
  const bool exposedOnly_;
  TextOutput& out_;
};

class JsonLinesWriter : public TableWriter {
 public:
  JsonLinesWriter(const Baseline& baseline, TextOutput& out)
      : baseline_(baseline), out_(out) {}
  void Add(const MachineReport& report, const WindowsRelease& release,
           const std::vector<Verdict>& verdicts) override {
    WriteJsonLine(report, release, baseline_, verdicts, out_);
  }

 private:
  const Baseline& baseline_;
  TextOutput& out_;
};

// The formats that need every report before their first line: a report
// is kept as what they show of it.
class FleetWriter : public TableWriter {
 public:
  FleetWriter(const Options& options, const Judgement& judgement,
              TextOutput& out, TextOutput& errors)
      : fleet_(judgement.required, judgement.baseline),
        format_(options.format),
        byteOrderMark_(options.byteOrderMark),
        out_(out),
        errors_(errors) {}
  void Add(const MachineReport& report, const WindowsRelease& release,
           const std::vector<Verdict>& verdicts) override {
    fleet_.Add(report, release, verdicts);
  }
  void Finish() override {
    const Fleet fleet = fleet_.Finish();
    if (format_ == Format::kHtml) {
      WriteHtmlPage(fleet, out_, errors_);
    } else {
      if (byteOrderMark_) out_ << kByteOrderMark;
      WriteWideCsv(fleet, out_, errors_);
    }
  }

 private:
  FleetBuilder fleet_;
  Format format_;
  bool byteOrderMark_;
  TextOutput& out_;
  TextOutput& errors_;
};

}  // namespace

std::unique_ptr<TableWriter> MakeTableWriter(const Options& options,
                                             const Judgement& judgement,
                                             TextOutput& out,
                                             TextOutput& errors) {
  switch (options.format) {
    case Format::kCsv:
      return std::make_unique<CsvWriter>(options, judgement.baseline, out);
    case Format::kJsonLines:
      return std::make_unique<JsonLinesWriter>(judgement.baseline, out);
    case Format::kHtml:
    case Format::kWide: break;
  }
  return std::make_unique<FleetWriter>(options, judgement, out, errors);
}
