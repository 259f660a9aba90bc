#include "hotfix/hotfix_list.h"

#include <string>

#include "common/format.h"
#include "output/report_output.h"
#include "registry/registry.h"
#include "registry/string_list.h"

namespace {

const char kHotFixRoot[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\HotFix";

// Closes the reader's open key when a step ends, also by a failure.
class CurrentKeyCloser {
 public:
  explicit CurrentKeyCloser(TRegistry& registry) : registry_(registry) {}
  ~CurrentKeyCloser() { registry_.CloseCurrent(); }
  CurrentKeyCloser(const CurrentKeyCloser&) = delete;
  CurrentKeyCloser& operator=(const CurrentKeyCloser&) = delete;

 private:
  TRegistry& registry_;
};

void ListHotFixNames(TRegistry& registry, TStrings& names) {
  if (!registry.OpenForReading(kHotFixRoot)) return;
  CurrentKeyCloser closer(registry);
  registry.ListSubkeyNames(names);
}

void WriteHotFixLine(TRegistry& registry, const std::string& name) {
  // No key has an empty name: such an entry stands for a subkey that could
  // not be enumerated, and opening "HotFix\" would open the root itself.
  if (name.empty()) return;
  if (!registry.OpenForReading(std::string(kHotFixRoot) + "\\" + name)) return;
  CurrentKeyCloser closer(registry);
  const std::string comment = registry.ReadTextValue("Comments");
  WriteReportLine("[" + name + "] " + comment);
}

}  // namespace

void ListHotFixes() {
  TRegistry registry;
  TStringList names;
  registry.SelectRoot(HKEY_LOCAL_MACHINE);
  ListHotFixNames(registry, names);
  const int count = names.Count();
  for (int index = 0; index < count; ++index) {
    WriteHotFixLine(registry, names[index]);
  }
  WriteEmptyLine();
  WriteReportLine(Format("Found %d Hot-Fix", {names.Count()}));
}
