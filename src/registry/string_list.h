// The text lists that carry names from the registry reader to its callers.
//
// `TStrings` is the interface a filler needs (clear, append, count, read by
// index); `TStringList` is the plain list behind it: unsorted, entries kept
// in the order they were appended, duplicates and letter case untouched.
#ifndef HOTFIXES_REGISTRY_STRING_LIST_H_
#define HOTFIXES_REGISTRY_STRING_LIST_H_

#include <string>
#include <vector>

#include "output/exceptions.h"

// Raised for an entry index outside 0 to count minus 1.
class EStringListError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EStringListError"; }
};

class TStrings {
 public:
  virtual ~TStrings() = default;

  virtual void Clear() = 0;
  // Appends `text` at the end; returns its index.
  virtual int Add(const std::string& text) = 0;
  virtual int Count() const = 0;
  // Room for `count` entries in all, made ahead so that appending them
  // does not grow the list step by step; a hint only.
  virtual void Reserve(int count) { (void)count; }
  // The entry at `index`; raises EStringListError outside 0 to Count() - 1.
  virtual const std::string& Strings(int index) const = 0;

  const std::string& operator[](int index) const { return Strings(index); }
};

class TStringList : public TStrings {
 public:
  void Clear() override;
  int Add(const std::string& text) override;
  int Count() const override;
  void Reserve(int count) override;
  const std::string& Strings(int index) const override;

 private:
  std::vector<std::string> entries_;
};

#endif  // HOTFIXES_REGISTRY_STRING_LIST_H_
