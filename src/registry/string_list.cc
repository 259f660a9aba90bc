#include "registry/string_list.h"

#include "common/format.h"
#include "platform/platform.h"

namespace {

// Kept as UTF-16 and converted to the system's ANSI code page when raised,
// like every message of the registry side.
const char16_t kIndexOutOfRange[] =
    u"リストのインデックスが範囲を超えています (%d)";

[[noreturn]] void RaiseIndexOutOfRange(int index, const void* address) {
  throw EStringListError(
      Format(platform::ConvertToAnsi(kIndexOutOfRange), {index}), address);
}

}  // namespace

void TStringList::Clear() { entries_.clear(); }

int TStringList::Add(const std::string& text) {
  entries_.push_back(text);
  return Count() - 1;
}

int TStringList::Count() const { return static_cast<int>(entries_.size()); }

void TStringList::Reserve(int count) {
  if (count > 0) entries_.reserve(static_cast<std::size_t>(count));
}

const std::string& TStringList::Strings(int index) const {
  if (index < 0 || index >= Count()) {
    RaiseIndexOutOfRange(index, platform::CurrentCodeAddress());
  }
  return entries_[static_cast<std::size_t>(index)];
}
