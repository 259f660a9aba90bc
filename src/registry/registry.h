// The program's read-only window on the registry: one root key, at most one
// open key, opened by path, whose subkey names can be listed and whose text
// values can be read. It never writes to the registry.
//
// What is merely absent is a result (a key that will not open gives false,
// a missing value the empty text); only wrong value types and failed
// fetches raise ERegistryException.
#ifndef HOTFIXES_REGISTRY_REGISTRY_H_
#define HOTFIXES_REGISTRY_REGISTRY_H_

#include <string>

#include "output/exceptions.h"
#include "platform/owned_handle.h"
#include "platform/platform.h"
#include "registry/string_list.h"

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "ERegistryException"; }
};

class TRegistry {
 public:
  // Root HKEY_CURRENT_USER, no key open.
  TRegistry();
  // Closes the open key, if any; the root is left alone.
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Makes `root` the base of absolute paths; a different root closes the
  // open key.
  void SelectRoot(HKEY root);

  // Opens `path` for reading and makes it the open key, closing the earlier
  // one only after the new one is open. A path that begins with a backslash
  // is taken from the root; any other from the open key, or from the root
  // while none is open. False, with nothing changed, when it cannot open.
  bool OpenForReading(const std::string& path);

  // Replaces the contents of `list` with the names of the open key's direct
  // subkeys, in the platform's order. Left empty when the key cannot be
  // queried or none is open.
  void ListSubkeyNames(TStrings& list);

  // The text of the open key's value `valueName`, up to its first NUL; empty
  // when the value is missing or has no data. Raises ERegistryException when
  // the data cannot be fetched or is not of a text type.
  std::string ReadTextValue(const std::string& valueName);

  // Closes the open key, if any.
  void CloseCurrent();

 private:
  OwnedKey OpenHandle;  // none while no key is open
  HKEY RootHandle;
};

#endif  // HOTFIXES_REGISTRY_REGISTRY_H_
