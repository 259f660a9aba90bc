// A baseline's verdict on one requirement for one machine, as a line of
// text, for the tests that judge catalogs.
#ifndef HOTFIXES_TESTS_SUPPORT_VERDICT_ON_H_
#define HOTFIXES_TESTS_SUPPORT_VERDICT_ON_H_

#include <string>

#include "auditor/table/judge/baseline.h"

// "state hotfix" of the verdict on requirement `id` for a complete report
// of `os` listing `entries`, hotfix names separated by white space ("" for
// none): "installed KB958644", "no update"; "no requirement ID" when the
// baseline has no requirement of that id.
std::string VerdictOn(const Baseline& baseline, const std::string& os,
                      const std::string& entries, const std::string& id);

#endif  // HOTFIXES_TESTS_SUPPORT_VERDICT_ON_H_
