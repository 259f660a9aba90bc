// The one line that describes the running Windows, in every case: the
// extended description, else a plain summary of the basic version record,
// else a fixed text.
#ifndef HOTFIXES_OSINFO_OS_DESCRIPTION_H_
#define HOTFIXES_OSINFO_OS_DESCRIPTION_H_

#include <string>

#include "platform/platform.h"

// Assigns the description to `result`. Never raises.
void GetOSDescription(std::string& result);

// "<platform> Version <major>.<minor> (Build <build> : <service pack>)"
// from the basic version record. Raises only when memory runs out.
void DescribeOSVersionBasic(std::string& result);

// The short name of a platform id; `name` is left as it is for an id the
// table does not know.
void PlatformIdToName(DWORD platformId, std::string& name);

#endif  // HOTFIXES_OSINFO_OS_DESCRIPTION_H_
