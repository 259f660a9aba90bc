#include "registry/registry.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "registry/locale_facts.h"
#include "test_support.h"

namespace {

const char kWrongType[] = "'Comments' のデータ型が不正です";
const char kFetchFailed[] = "'Comments' の取得に失敗しました";

// Every key of the arranged tree has a value "Id" that says which key it
// is, so that reading it tells which key the reader holds open.
class RegistryTest : public FakePlatformTest {
 protected:
  void SetUp() override {
    FakePlatformTest::SetUp();
    Arrange(Platform().currentUser, "current user");
    Arrange(Platform().localMachine, "local machine");
  }

  void TearDown() override {
    // Leave the process facts as a default platform decides them.
    fake::Reset();
    PrepareProcessFacts();
    FakePlatformTest::TearDown();
  }

  static void Arrange(fake::Key& root, const std::string& id) {
    root.SetText("Id", id);
    root.Add("Software").SetText("Id", id + " software");
    root.Add("Software").Add("Hotfix").SetText("Id", id + " hotfix");
  }

  fake::Key& UserKey(const std::string& path) {
    return *Platform().currentUser.Find(path);
  }

  std::vector<REGSAM> AttemptedMasks() const {
    std::vector<REGSAM> masks;
    for (const auto& attempt : fake::Get().openAttempts) {
      masks.push_back(attempt.mask);
    }
    return masks;
  }

  static std::vector<std::string> Entries(const TStrings& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i) entries.push_back(list[i]);
    return entries;
  }

  static TStringList ListHolding(const std::string& entry) {
    TStringList list;
    list.Add(entry);
    return list;
  }
};

// --- Opening, closing and the root ------------------------------------------

TEST_F(RegistryTest, StartsAtCurrentUserWithNoKeyOpen) {
  TRegistry registry;
  EXPECT_TRUE(Platform().openAttempts.empty());
  EXPECT_EQ(registry.ReadTextValue("Id"), "");  // no key to read from
  ASSERT_TRUE(registry.OpenForReading("Software"));
  ASSERT_EQ(Platform().openAttempts.size(), 1u);
  EXPECT_EQ(Platform().openAttempts[0].base, HKEY_CURRENT_USER);
  EXPECT_EQ(registry.ReadTextValue("Id"), "current user software");
}

TEST_F(RegistryTest, PathFormChoosesTheBaseKey) {
  struct Case {
    const char* name;
    const char* openFirst;  // nullptr: no key open
    std::string path;
    bool fromOpenKey;
    std::string platformPath;
    bool opens;
    const char* idAfter;  // "" when no key is open afterwards
  };
  const Case cases[] = {
      {"relative, no key open: from the root", nullptr, "Software\\Hotfix",
       false, "Software\\Hotfix", true, "current user hotfix"},
      {"relative, key open: from beneath it", "Software", "Hotfix", true,
       "Hotfix", true, "current user hotfix"},
      {"absolute, key open: from the root", "Software", "\\Software", false,
       "Software", true, "current user software"},
      {"absolute, no key open", nullptr, "\\Software\\Hotfix", false,
       "Software\\Hotfix", true, "current user hotfix"},
      {"two backslashes: only one removed", "Software", "\\\\Software", false,
       "\\Software", false, "current user software"},
      {"empty, no key open: the root itself", nullptr, "", false, "", true,
       "current user"},
      {"empty, key open: that key again", "Software\\Hotfix", "", true, "",
       true, "current user hotfix"},
      {"one backslash alone: the root itself", "Software", "\\", false, "",
       true, "current user"},
      {"relative, missing beneath the open key", "Software", "Software", true,
       "Software", false, "current user software"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange(Platform().currentUser, "current user");
    TRegistry registry;
    HKEY openKey = nullptr;
    if (c.openFirst != nullptr) {
      ASSERT_TRUE(registry.OpenForReading(c.openFirst));
      openKey = Platform().openHandles.begin()->first;
      Platform().openAttempts.clear();
    }
    EXPECT_EQ(registry.OpenForReading(c.path), c.opens);
    ASSERT_FALSE(Platform().openAttempts.empty());
    for (const auto& attempt : Platform().openAttempts) {
      EXPECT_EQ(attempt.base, c.fromOpenKey ? openKey : HKEY_CURRENT_USER);
      EXPECT_EQ(attempt.path, c.platformPath);
      EXPECT_FALSE(attempt.nullPath);
    }
    EXPECT_EQ(Platform().openAttempts.size(), c.opens ? 1u : 3u);
    // At most one key stays open: an earlier one closed after success,
    // kept after failure.
    EXPECT_EQ(fake::OpenKeyCount(), 1u);
    EXPECT_EQ(Platform().closeCalls, (c.opens && c.openFirst) ? 1 : 0);
    EXPECT_EQ(registry.ReadTextValue("Id"), c.idAfter);
  }
}

TEST_F(RegistryTest, TriesTheThreeMasksInOrderUntilOneOpens) {
  struct Case {
    const char* name;
    bool exists;
    bool openable;
    std::set<REGSAM> denied;
    std::vector<REGSAM> expectedMasks;
    bool opens;
  };
  const Case cases[] = {
      {"full read granted", true, true, {}, {0x20019}, true},
      {"without notify", true, true, {0x20019}, {0x20019, 0x20009}, true},
      {"values only",
       true,
       true,
       {0x20019, 0x20009},
       {0x20019, 0x20009, 0x0001},
       true},
      {"only the narrow mask refused", true, true, {0x0001}, {0x20019}, true},
      {"all three refused",
       true,
       true,
       {0x20019, 0x20009, 0x0001},
       {0x20019, 0x20009, 0x0001},
       false},
      {"not openable at all",
       true,
       false,
       {},
       {0x20019, 0x20009, 0x0001},
       false},
      {"missing", false, true, {}, {0x20019, 0x20009, 0x0001}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange(Platform().currentUser, "current user");
    fake::Key& target = UserKey("Software").Add("Guarded");
    target.SetText("Id", "guarded");
    target.deniedMasks = c.denied;
    target.openable = c.openable;
    if (!c.exists) UserKey("Software").RemoveSubkey("Guarded");

    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software\\Hotfix"));
    Platform().openAttempts.clear();
    EXPECT_EQ(registry.OpenForReading("\\Software\\Guarded"), c.opens);
    EXPECT_EQ(AttemptedMasks(), c.expectedMasks);
    // A failed open leaves the key that was open open and usable.
    EXPECT_EQ(registry.ReadTextValue("Id"),
              c.opens ? "guarded" : "current user hotfix");
    EXPECT_EQ(fake::OpenKeyCount(), 1u);
    EXPECT_EQ(Platform().closeCalls, c.opens ? 1 : 0);
  }
}

TEST_F(RegistryTest, SelectRootClosesTheOpenKeyOnlyWhenTheRootChanges) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenForReading("Software"));

  registry.SelectRoot(HKEY_CURRENT_USER);
  EXPECT_EQ(Platform().closeCalls, 0);
  EXPECT_EQ(registry.ReadTextValue("Id"), "current user software");

  registry.SelectRoot(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(Platform().closeCalls, 1);
  EXPECT_EQ(fake::OpenKeyCount(), 0u);
  EXPECT_EQ(registry.ReadTextValue("Id"), "");

  // Relative paths now start at the new root.
  ASSERT_TRUE(registry.OpenForReading("Software"));
  EXPECT_EQ(Platform().openAttempts.back().base, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(registry.ReadTextValue("Id"), "local machine software");

  registry.SelectRoot(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(registry.ReadTextValue("Id"), "local machine software");
  EXPECT_EQ(Platform().closeCalls, 1);
}

TEST_F(RegistryTest, CloseCurrentClosesOnceAndOnlyAnOpenKey) {
  TRegistry registry;
  registry.CloseCurrent();
  EXPECT_EQ(Platform().closeCalls, 0);

  ASSERT_TRUE(registry.OpenForReading("Software"));
  registry.CloseCurrent();
  registry.CloseCurrent();
  EXPECT_EQ(Platform().closeCalls, 1);
  EXPECT_EQ(fake::OpenKeyCount(), 0u);
  EXPECT_EQ(registry.ReadTextValue("Id"), "");

  // With no key open, a relative path is taken from the root again.
  ASSERT_TRUE(registry.OpenForReading("Software"));
  EXPECT_EQ(Platform().openAttempts.back().base, HKEY_CURRENT_USER);
}

TEST_F(RegistryTest, DestructionClosesTheOpenKeyAndNotTheRoot) {
  {
    TRegistry registry;
    registry.SelectRoot(HKEY_LOCAL_MACHINE);
  }
  EXPECT_EQ(Platform().closeCalls, 0);
  {
    TRegistry registry;
    registry.SelectRoot(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenForReading("Software"));
  }
  EXPECT_EQ(Platform().closeCalls, 1);
  EXPECT_EQ(fake::OpenKeyCount(), 0u);
}

// --- Listing subkey names ---------------------------------------------------

TEST_F(RegistryTest, ListsNamesInPlatformOrderReplacingTheList) {
  fake::Key& hotfix = UserKey("Software\\Hotfix");
  for (const char* name : {"Q300000", "kb10", "KB9", "Ab\xE9\xFF"}) {
    hotfix.Add(name);
  }
  // The same name twice, as a platform might enumerate it.
  hotfix.subkeys.push_back(std::make_unique<fake::Key>());
  hotfix.subkeys.back()->name = "kb10";

  TRegistry registry;
  ASSERT_TRUE(registry.OpenForReading("Software\\Hotfix"));
  TStringList list = ListHolding("earlier entry");
  registry.ListSubkeyNames(list);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"Q300000", "kb10", "KB9",
                                                     "Ab\xE9\xFF", "kb10"}));
  EXPECT_EQ(Platform().enumBufferLengths, std::vector<DWORD>(5, 8));
  EXPECT_EQ(fake::OpenKeyCount(), 1u);
}

TEST_F(RegistryTest, NothingToListLeavesTheListEmpty) {
  struct Case {
    const char* name;
    const char* open;  // nullptr: no key open
    bool queryFails;
  };
  const Case cases[] = {
      {"key without subkeys", "Software\\Hotfix", false},
      {"statistics query fails", "Software", true},
      {"no key open", nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange(Platform().currentUser, "current user");
    Platform().queryInfoFails = c.queryFails;
    TRegistry registry;
    if (c.open) {
      ASSERT_TRUE(registry.OpenForReading(c.open));
    }
    TStringList list = ListHolding("earlier entry");
    registry.ListSubkeyNames(list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(Platform().enumBufferLengths.empty());
  }
}

// A name that does not fit is asked for again with a larger buffer; any
// other failed step still gives one entry, an empty one.
TEST_F(RegistryTest, EveryEnumerationStepGivesOneEntry) {
  const std::vector<std::string> three = {"KB1", "KB22", "Q333"};
  // Longer than the registry allows: fits no buffer the reader offers.
  const std::vector<std::string> tooLong = {"KB1", std::string(511, 'K'),
                                            "Q333"};
  struct Case {
    const char* name;
    std::vector<std::string> subkeys;
    std::set<DWORD> failsAt;
    bool failureFillsBuffer;
    DWORD reportedLongest;  // 0: computed from the subkeys
    bool moreDataReportsLength;
    std::vector<std::string> expected;
    std::vector<DWORD> bufferLengths;  // passed to each call, in order
  };
  const Case cases[] = {
      {"middle step fails",
       three,
       {1},
       false,
       0,
       false,
       {"KB1", "", "Q333"},
       {5, 5, 5}},
      {"failures scribble over the buffer",
       three,
       {0, 2},
       true,
       0,
       false,
       {"", "KB22", ""},
       {5, 5, 5}},
      {"every step fails",
       three,
       {0, 1, 2},
       true,
       0,
       false,
       {"", "", ""},
       {5, 5, 5}},
      {"names longer than reported: twice the buffer, kept for the next",
       three,
       {},
       true,
       1,
       false,
       three,
       {2, 4, 4, 8, 8}},
      {"the length reported with the refusal, and its NUL",
       {"KB1", "KB666666"},
       {},
       true,
       1,
       true,
       {"KB1", "KB666666"},
       {2, 4, 4, 9}},
      {"doubling stops at the registry's limit",
       tooLong,
       {},
       true,
       100,
       false,
       {"KB1", "", "Q333"},
       {101, 101, 202, 404, 511, 511}},
      {"a reported length beyond the limit",
       tooLong,
       {},
       true,
       100,
       true,
       {"KB1", "", "Q333"},
       {101, 101, 511, 511}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange(Platform().currentUser, "current user");
    for (const std::string& name : c.subkeys) {
      UserKey("Software\\Hotfix").Add(name);
    }
    Platform().enumFailsAt = c.failsAt;
    Platform().enumFailureFillsBuffer = c.failureFillsBuffer;
    Platform().reportedMaxSubKeyLength = c.reportedLongest;
    Platform().enumMoreDataReportsLength = c.moreDataReportsLength;
    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software\\Hotfix"));
    TStringList list;
    registry.ListSubkeyNames(list);
    EXPECT_EQ(Entries(list), c.expected);
    EXPECT_EQ(Platform().enumBufferLengths, c.bufferLengths);
  }
}

TEST_F(RegistryTest, KeyOpenedForValuesOnlyGivesAnEmptyEntryPerSubkey) {
  fake::Key& hotfix = UserKey("Software\\Hotfix");
  hotfix.deniedMasks = {0x20019, 0x20009};
  hotfix.Add("KB1");
  hotfix.Add("KB2");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenForReading("Software\\Hotfix"));
  ASSERT_EQ(Platform().openAttempts.back().mask, 0x0001u);
  TStringList list;
  registry.ListSubkeyNames(list);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Platform().enumBufferLengths.size(), 2u);
}

TEST_F(RegistryTest, NameBufferDoublesForDoubleByteLocaleOnNT) {
  struct Case {
    const char* name;
    DWORD platformId;
    LCID locale;
    bool leadBytes;
    int dbcsEnabled;
    DWORD reportedLongest;  // 0: the longest arranged name, 7
    bool doubleByte;
    DWORD bufferLength;
  };
  const Case cases[] = {
      {"NT, English", 2, 0x0409, true, 1, 10, false, 11},
      {"NT, Japanese", 2, 0x0411, true, 0, 10, true, 21},
      {"NT, Japanese, longest name computed", 2, 0x0411, true, 0, 0, true, 15},
      {"NT, a language without lead bytes", 2, 0x0419, false, 1, 10, false, 11},
      {"Windows 95 family, double-byte system", 1, 0x0411, true, 1, 10, true,
       11},
      {"Windows 95 family, single-byte system", 1, 0x0411, true, 0, 0, false,
       8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange(Platform().currentUser, "current user");
    UserKey("Software\\Hotfix").Add("Q300000");
    UserKey("Software\\Hotfix").Add("KB1");
    Platform().version.dwPlatformId = c.platformId;
    Platform().threadLocale = c.locale;
    if (c.leadBytes) Platform().leadByteRanges = {{0x81, 0x9F}, {0xE0, 0xFC}};
    Platform().dbcsEnabled = c.dbcsEnabled;
    Platform().reportedMaxSubKeyLength = c.reportedLongest;
    PrepareProcessFacts();
    ASSERT_EQ(DoubleByteLocale(), c.doubleByte);

    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software\\Hotfix"));
    TStringList list;
    registry.ListSubkeyNames(list);
    EXPECT_EQ(Platform().enumBufferLengths,
              std::vector<DWORD>(2, c.bufferLength));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"Q300000", "KB1"}));
  }
}

// --- Reading text values ----------------------------------------------------

TEST_F(RegistryTest, ReadsTextUpToItsFirstNul) {
  std::string highBytes;
  for (int byte = 128; byte < 256; ++byte) highBytes += static_cast<char>(byte);
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
    std::string expected;
  };
  const std::string nul(1, '\0');
  const Case cases[] = {
      {"REG_SZ with its NUL", REG_SZ, "Security update" + nul,
       "Security update"},
      {"REG_SZ without a NUL", REG_SZ, "Security update", "Security update"},
      {"REG_SZ with a NUL inside", REG_SZ, "before" + nul + "after" + nul,
       "before"},
      {"REG_SZ of a NUL alone", REG_SZ, nul, ""},
      {"REG_SZ with bytes 128 to 255", REG_SZ, highBytes + nul, highBytes},
      {"REG_SZ with line breaks", REG_SZ, "one\r\ntwo" + nul, "one\r\ntwo"},
      {"REG_EXPAND_SZ stays unexpanded", REG_EXPAND_SZ,
       "%SystemRoot%\\system32" + nul, "%SystemRoot%\\system32"},
      {"REG_SZ of zero bytes", REG_SZ, "", ""},
      {"REG_EXPAND_SZ of zero bytes", REG_EXPAND_SZ, "", ""},
      {"REG_NONE of zero bytes", REG_NONE, "", ""},
      {"REG_BINARY of zero bytes", REG_BINARY, "", ""},
      {"REG_DWORD of zero bytes", REG_DWORD, "", ""},
      {"REG_MULTI_SZ of zero bytes", REG_MULTI_SZ, "", ""},
      {"REG_QWORD of zero bytes", REG_QWORD, "", ""},
      {"unknown type of zero bytes", 0x7FFF, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UserKey("Software").SetValue("Comments", c.type, c.data);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software"));
    EXPECT_EQ(registry.ReadTextValue("Comments"), c.expected);
  }
}

TEST_F(RegistryTest, MissingValueReadsEmpty) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenForReading("Software"));
  EXPECT_EQ(registry.ReadTextValue("Comments"), "");
  EXPECT_EQ(registry.ReadTextValue(""), "");  // no default value either
}

TEST_F(RegistryTest, NonTextValueWithDataRaisesWrongType) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
  };
  const Case cases[] = {
      {"REG_NONE", REG_NONE, std::string("x")},
      {"REG_BINARY", REG_BINARY, std::string("\x01\x02", 2)},
      {"REG_DWORD of four bytes", REG_DWORD, std::string("\x01\0\0\0", 4)},
      {"REG_MULTI_SZ", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
      {"REG_MULTI_SZ of its end alone", REG_MULTI_SZ, std::string(1, '\0')},
      {"REG_QWORD", REG_QWORD, std::string(8, '\0')},
      {"REG_LINK", 6, std::string("\\Registry", 9)},
      {"unknown type", 0x7FFF, std::string("text")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UserKey("Software").SetValue("Comments", c.type, c.data);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software"));
    try {
      registry.ReadTextValue("Comments");
      ADD_FAILURE() << "no ERegistryException";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), kWrongType);
      EXPECT_STREQ(e.ClassName(), "ERegistryException");
      EXPECT_EQ(e.Address(), Platform().currentCodeAddress);
    }
    // The reader is as it was: the key stays open and usable.
    EXPECT_EQ(registry.ReadTextValue("Id"), "current user software");
    EXPECT_EQ(fake::OpenKeyCount(), 1u);
  }
}

TEST_F(RegistryTest, ValueChangedBetweenSizeQueryAndFetch) {
  using Change = std::function<void(fake::Key&)>;
  const std::string number("\x05\0\0\0", 4);
  struct Case {
    const char* name;
    DWORD type;  // before the change
    std::string data;
    Change change;
    const char* expectedMessage;  // nullptr: reads expectedText
    std::string expectedText;
  };
  const Case cases[] = {
      {"grows", REG_SZ, "some text",
       [](fake::Key& k) { k.SetText("Comments", "much longer text"); },
       kFetchFailed, ""},
      {"vanishes", REG_SZ, "some text",
       [](fake::Key& k) { k.values.erase(k.values.begin() + 1); }, kFetchFailed,
       ""},
      {"shrinks without a NUL", REG_SZ, "some text",
       [](fake::Key& k) { k.SetValue("Comments", REG_SZ, "ab"); }, nullptr,
       "ab"},
      {"empties", REG_SZ, "some text",
       [](fake::Key& k) { k.SetValue("Comments", REG_SZ, ""); }, nullptr, ""},
      {"turns into a number of the same size", REG_SZ, "abcd",
       [&](fake::Key& k) { k.SetValue("Comments", REG_DWORD, number); },
       kWrongType, ""},
      {"turns from a number into text", REG_DWORD, number,
       [](fake::Key& k) { k.SetValue("Comments", REG_EXPAND_SZ, "%a%"); },
       nullptr, "%a%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Key& software = UserKey("Software");
    software.values.resize(1);  // "Id" only
    software.SetValue("Comments", c.type, c.data);
    Platform().afterSizeQuery = [&](const std::string& name) {
      if (name == "Comments") c.change(software);
    };
    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software"));
    try {
      EXPECT_EQ(registry.ReadTextValue("Comments"), c.expectedText);
      EXPECT_EQ(c.expectedMessage, nullptr) << "nothing raised";
    } catch (const ERegistryException& e) {
      ASSERT_NE(c.expectedMessage, nullptr) << e.Message();
      EXPECT_EQ(e.Message(), c.expectedMessage);
    }
    Platform().afterSizeQuery = nullptr;
    EXPECT_EQ(registry.ReadTextValue("Id"), "current user software");
  }
}

TEST_F(RegistryTest, MessagesCarryTheValueNameAsPassed) {
  struct Case {
    std::string storedName;
    std::string passedName;
    bool growsAfterSizeQuery;
    std::string expected;
  };
  const Case cases[] = {
      {"Comments", "comments", false, "'comments' のデータ型が不正です"},
      {"%s %d '", "%s %d '", false, "'%s %d '' のデータ型が不正です"},
      {"", "", false, "'' のデータ型が不正です"},
      {"Comments", "COMMENTS", true, "'COMMENTS' の取得に失敗しました"},
      {"%s", "%s", true, "'%s' の取得に失敗しました"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    fake::Key& software = UserKey("Software");
    software.values.resize(1);  // "Id" only
    software.SetValue(c.storedName, c.growsAfterSizeQuery ? REG_SZ : REG_DWORD,
                      std::string(4, '\x01'));
    Platform().afterSizeQuery = [&](const std::string&) {
      if (c.growsAfterSizeQuery) software.values.back().data += "more";
    };
    TRegistry registry;
    ASSERT_TRUE(registry.OpenForReading("Software"));
    try {
      registry.ReadTextValue(c.passedName);
      ADD_FAILURE() << "no ERegistryException";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), c.expected);
    }
    Platform().afterSizeQuery = nullptr;
  }
}

}  // namespace
