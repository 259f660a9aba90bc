// The earlier audits of --since, read oldest first, each in order after
// the one given before it.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_EARLIER_AUDITS_H_
#define HOTFIXES_AUDITOR_TABLE_READ_EARLIER_AUDITS_H_

#include <functional>
#include <string>

#include "auditor/table/read/earlier_run.h"
#include "auditor/table/read/report_files.h"

struct EarlierAudits {
  HotfixIndex hotfixes;  // of all of them
  EarlierRun last;       // the newest, which the run is compared with
};

// Sees each audit as it is read, with the one before it (null for the
// first) and the hotfixes of all read so far: only the last is kept.
typedef std::function<void(const EarlierRun& run, const EarlierRun* previous,
                           const HotfixIndex& hotfixes)>
    EachEarlierAudit;

// Reads every --since (in the reports' code page); a fault in one is a
// UsageError, and so is an audit whose newest report is older than the
// one given before it.
EarlierAudits ReadEarlierAudits(const ReadSettings& settings,
                                const EachEarlierAudit& each);

// A UsageError when the last earlier audit's newest report is newer than
// `runNewest`, this run's (when known): the audits given the wrong way
// round would show every machine that lost a hotfix as not refreshed.
void CheckAuditOrder(const EarlierAudits& audits, const std::string& runNewest);

#endif  // HOTFIXES_AUDITOR_TABLE_READ_EARLIER_AUDITS_H_
