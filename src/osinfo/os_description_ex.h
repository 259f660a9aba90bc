// The preferred description of the running Windows: product, edition,
// version numbers where needed, service pack and build.
#ifndef HOTFIXES_OSINFO_OS_DESCRIPTION_EX_H_
#define HOTFIXES_OSINFO_OS_DESCRIPTION_EX_H_

#include <string>

// Assigns the description to `result`; "Unknown" when the version cannot be
// told. Only a failure to allocate memory leaves it as a raised failure.
void DescribeOSVersionEx(std::string& result);

#endif  // HOTFIXES_OSINFO_OS_DESCRIPTION_EX_H_
