#include "osinfo/os_description.h"

#include "osinfo/os_description_ex.h"

void GetOSDescription(std::string& result) { DescribeOSVersionEx(result); }
