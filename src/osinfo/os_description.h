// The one line that describes the running Windows, in every case.
#ifndef HOTFIXES_OSINFO_OS_DESCRIPTION_H_
#define HOTFIXES_OSINFO_OS_DESCRIPTION_H_

#include <string>

// Assigns the description to `result`. Never raises.
void GetOSDescription(std::string& result);

#endif  // HOTFIXES_OSINFO_OS_DESCRIPTION_H_
