// What the POSIX stand-in's files share: its handles are descriptors, and
// one last-error number answers GetLastError for all of them.
#ifndef HOTFIXES_PLATFORM_POSIX_DETAIL_H_
#define HOTFIXES_PLATFORM_POSIX_DETAIL_H_

#include <cstdint>

#include "platform/platform.h"

namespace platform_detail {

// Handle 0 would read as "no handle": descriptor d is handle d + 1.
inline int HandleToDescriptor(HANDLE file) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(file)) - 1;
}

inline HANDLE DescriptorToHandle(int descriptor) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor) + 1);
}

void SetLastErrorNumber(DWORD error);

}  // namespace platform_detail

#endif  // HOTFIXES_PLATFORM_POSIX_DETAIL_H_
