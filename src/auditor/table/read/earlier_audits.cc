#include "auditor/table/read/earlier_audits.h"

#include <utility>

namespace {

// A time in a message: "none known" where there is none.
std::string TimeOrNone(const std::string& time) {
  return time.empty() ? std::string("none known") : time;
}

}  // namespace

EarlierAudits ReadEarlierAudits(const ReadSettings& settings,
                                const EachEarlierAudit& each) {
  EarlierAudits audits;
  EarlierRun previous;
  for (std::size_t i = 0; i < settings.since.size(); ++i) {
    EarlierRun run =
        ReadEarlierRun(settings.since[i], settings.codePage, audits.hotfixes);
    if (i > 0 && run.newest < previous.newest) {
      throw UsageError{run.source + ": its newest report (" +
                       TimeOrNone(run.newest) + ") is older than that of " +
                       previous.source + " (" + previous.newest +
                       "), given before it: the audits in the wrong order? "
                       "(--since, oldest first)"};
    }
    each(run, i == 0 ? nullptr : &previous, audits.hotfixes);
    previous = std::move(run);
  }
  audits.last = std::move(previous);
  return audits;
}

void CheckAuditOrder(const EarlierAudits& audits,
                     const std::string& runNewest) {
  const EarlierRun& earlier = audits.last;
  if (runNewest.empty() || earlier.newest <= runNewest) return;
  throw UsageError{earlier.source + ": its newest report (" + earlier.newest +
                   ") is newer than this run's (" + runNewest +
                   "): the two audits in the wrong order? (--since EARLIER "
                   "takes the earlier one)"};
}
