#include "auditor/baseline/baseline_program.h"

#include "auditor/baseline/baseline_options.h"
#include "auditor/baseline/catalog/catalog.h"
#include "auditor/baseline/read/bulletin_file.h"
#include "auditor/files/file_access.h"
#include "auditor/text/text_decoding.h"
#include "auditor/text/visible_text.h"

namespace {

// Rows left out are named one by one up to here, then counted.
const std::size_t kBadRowsNamed = 20;

void ReportBadRows(const std::string& shown, const BulletinFileFacts& facts,
                   TextOutput& errors) {
  const std::size_t named = std::min(facts.badRows.size(), kBadRowsNamed);
  for (std::size_t i = 0; i < named; ++i) {
    errors << "hotfixes-baseline: " << shown << ": row "
           << std::to_string(facts.badRows[i].first)
           << " left out: " << facts.badRows[i].second << "\r\n";
  }
  if (facts.badRows.size() > named) {
    errors << "hotfixes-baseline: " << shown << ": "
           << std::to_string(facts.badRows.size() - named)
           << " more rows left out\r\n";
  }
}

// Each --component that took no row: a mistyped name must not pass
// unseen in a head nobody reads.
void ReportComponentsTakingNothing(const Catalog& catalog, TextOutput& errors) {
  for (const std::string& component : catalog.ComponentsTakingNothing()) {
    errors << "hotfixes-baseline: --component \"" << Visible(component)
           << "\" took no row: no Windows component of the data starts with "
              "it up to a word's end (--components lists them)\r\n";
  }
}

// Reads every file into the catalog, then writes the baseline, or with
// --components the list of components: nothing is written unless every
// file could be read.
int WriteBaseline(const BaselineOptions& options, TextOutput& errors) {
  Catalog catalog(options.components);
  std::vector<BulletinFileFacts> files;
  for (const std::string& path : options.files) {
    const std::string shown = ShownPath(path);
    BulletinFileFacts facts;
    facts.name = AnsiAsUtf8(path);
    std::string error;
    catalog.BeginFile();
    if (!ReadBulletinFile(path, options.dateOrder, catalog, facts, error)) {
      errors << "hotfixes-baseline: " << shown << ": " << error << "\r\n";
      return kBaselineUsageError;
    }
    ReportBadRows(shown, facts, errors);
    files.push_back(std::move(facts));
  }
  TextOutput out(STD_OUTPUT_HANDLE);
  if (options.listComponents) {
    catalog.WriteComponents(out);
  } else {
    ReportComponentsTakingNothing(catalog, errors);
    std::string error;
    if (!catalog.Write(files, out, error)) {
      errors << "hotfixes-baseline: " << error << "\r\n";
      return kBaselineUsageError;
    }
  }
  out.Flush();
  if (out.error() != 0) {
    errors << "hotfixes-baseline: cannot write the "
           << (options.listComponents ? "list" : "baseline") << ": "
           << DescribeSystemError(out.error()) << "\r\n";
    return kBaselineOutputFailed;
  }
  return kBaselineWritten;
}

}  // namespace

int RunBaseline(const std::vector<std::string>& arguments) {
  return RunProgram(
      kBaselineProgram,
      [&arguments] { return ParseBaselineArguments(arguments); },
      WriteBaseline);
}
