#include "platform/platform.h"

namespace platform {

REGSAM AccessMaskForView(REGSAM requested, bool runningUnderWow64) {
  return runningUnderWow64 ? (requested | KEY_WOW64_64KEY) : requested;
}

}  // namespace platform
