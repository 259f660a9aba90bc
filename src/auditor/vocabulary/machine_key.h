// A machine is the name of its report file without the extension, and
// names that differ in ASCII letter case are one machine: the table sorts
// by this key, merges the reports of one key, and --since matches a
// machine of an earlier audit by it.
#ifndef HOTFIXES_AUDITOR_VOCABULARY_MACHINE_KEY_H_
#define HOTFIXES_AUDITOR_VOCABULARY_MACHINE_KEY_H_

#include <string>
#include <string_view>

#include "auditor/text/ascii.h"

// The key of a machine's name (as shown): ASCII letters in upper case,
// every other byte as it is.
inline std::string MachineKey(std::string_view machine) {
  return UpperAscii(machine);
}

#endif  // HOTFIXES_AUDITOR_VOCABULARY_MACHINE_KEY_H_
