#include "versioninfo/version_info.h"

void ReadVersionInfoString(const std::string&, const std::string&,
                           std::string&) {}
