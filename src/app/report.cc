#include "app/report.h"

#include <string>

#include "common/ansi_text.h"
#include "common/format.h"
#include "hotfix/hotfix_list.h"
#include "osinfo/os_description.h"
#include "output/report_output.h"
#include "platform/platform.h"
#include "versioninfo/version_info.h"

namespace {

// Windows paths end their folders with a backslash and a drive with a
// colon; the POSIX stand-in's paths use '/'.
const char kPathDelimiters[] = "\\:/";

std::string ExecutablePath() {
  char path[MAX_PATH + 1];
  const DWORD length = platform::GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length < sizeof path ? length : sizeof path - 1);
}

void WriteBanner(const std::string& executablePath) {
  std::string description;
  ReadVersionInfoString("FileDescription", executablePath, description);
  WriteReportLine(description);

  std::string version;
  ReadVersionInfoString("FileVersion", executablePath, version);
  WriteReportLine(TextBehindLastDelimiter(executablePath, kPathDelimiters) +
                  " " + Format("Ver.%s", {version}));
}

void WriteOSLine() {
  std::string description;
  GetOSDescription(description);
  RemoveFirstOccurrence(description, "Microsoft ");
  WriteReportLine(description);
}

}  // namespace

void RunReport() {
  WriteBanner(ExecutablePath());
  WriteEmptyLine();
  WriteOSLine();
  WriteEmptyLine();
  ListHotFixes();
}
