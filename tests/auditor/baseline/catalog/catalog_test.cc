#include "auditor/baseline/catalog/catalog.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "auditor/baseline/catalog/bulletin_dates.h"
#include "auditor/baseline/catalog/windows_levels.h"
#include "auditor/baseline/catalog/windows_products.h"
#include "auditor/table/judge/baseline.h"
#include "support/verdict_on.h"
#include "test_support.h"

namespace {

const char* const kXpSp2 = "Microsoft Windows XP Service Pack 2";
const char* const kXpSp3 = "Microsoft Windows XP Service Pack 3";
const char* const k2000Sp4 = "Microsoft Windows 2000 Service Pack 4";
const char* const k2003Sp2 = "Microsoft Windows Server 2003 Service Pack 2";

BulletinRow Row(int date, const char* id, const char* severity,
                const char* title, const char* product, const char* kb,
                std::vector<ReplacedUpdate> supersedes = {},
                const char* component = "") {
  BulletinRow row;
  row.datePosted = date;
  row.bulletinId = id;
  row.severity = severity;
  row.title = title;
  row.product = product;
  row.componentKb = kb;
  row.component = component;
  row.supersedes = std::move(supersedes);
  return row;
}

// Rows of the 2017 copy of Microsoft's bulletin data (dates as its serial
// days), and of older bulletins as their affected-software tables list
// them.
std::vector<BulletinRow> NewerRows() {
  const char* smb = "Vulnerabilities in SMB Could Allow Remote Code Execution";
  const char* smbServer =
      "Vulnerabilities in SMB Server Could Allow Remote Code Execution";
  const char* drivers =
      "Vulnerabilities in Windows Kernel-Mode Drivers Could Allow Remote "
      "Code Execution";
  std::vector<BulletinRow> rows = {
      Row(39826, "MS09-001", "Critical", smb, k2000Sp4, "958687",
          {{"MS08-063", "957095"}}),
      Row(39826, "MS09-001", "Critical", smb, kXpSp2, "958687",
          {{"MS08-063", "957095"}}),
      Row(39826, "MS09-001", "Critical", smb, kXpSp3, "958687",
          {{"MS08-063", "957095"}}),
      Row(39826, "MS09-001", "Critical", smb, k2003Sp2, "958687",
          {{"MS08-063", "957095"}}),
      Row(39826, "MS09-001", "Critical", smb,
          "Microsoft Windows Server 2003 for Itanium-based Systems Service "
          "Pack 2",
          "958687", {{"MS08-063", "957095"}}),
      Row(40218, "MS10-012", "Important", smbServer, k2000Sp4, "971468",
          {{"MS09-001", "958687"}}),
      Row(40218, "MS10-012", "Important", smbServer, kXpSp3, "971468",
          {{"MS09-001", "958687"}}),
      Row(40400, "MS10-054", "Critical", smbServer, kXpSp3, "982214",
          {{"MS10-012", "971468"}}),
      Row(40645, "MS11-020", "Critical",
          "Vulnerability in SMB Server Could Allow Remote Code Execution",
          kXpSp3, "2508429", {{"MS10-054", "982214"}}),
      Row(40036, "MS09-040", "Important",
          "Vulnerability in Message Queuing Could Allow Elevation of Privilege",
          k2000Sp4, "971032", {{"MS08-065", "951071"}}),
      Row(40036, "MS09-040", "Important",
          "Vulnerability in Message Queuing Could Allow Elevation of Privilege",
          kXpSp2, "971032", {{"MS08-065", "951071"}}),
      Row(40036, "MS09-041", "Important",
          "Vulnerability in Workstation Service Could Allow Elevation of "
          "Privilege",
          kXpSp3, "971657"),
      Row(40981, "MS12-017", "Important",
          "Vulnerability in DNS Server Could Allow Denial of Service", k2003Sp2,
          "2647170", {{"MS11-058", "2562485"}}),
      Row(40981, "MS12-017", "Important",
          "Vulnerability in DNS Server Could Allow Denial of Service",
          "Windows Server 2008 R2 for x64-based Systems Service Pack 1 (Server "
          "Core installation)",
          "2647170"),
      Row(41760, "MS14-021", "Critical",
          "Security Update for Internet Explorer", kXpSp3, "2964358", {},
          "Windows Internet Explorer 8"),
      Row(42808, "MS17-023", "Critical",
          "Security Update for Adobe Flash Player",
          "Windows 10 Version 1511 for x64-based Systems", "4014329",
          {{"MS17-005", "4010250"}}, "Adobe Flash Player"),
  };
  for (const char* kb :
       {"2862330", "2862335", "2884256", "2847311", "2868038", "2883150"}) {
    rows.push_back(Row(41555, "MS13-081", "Critical", drivers, kXpSp3, kb));
  }
  return rows;
}

// MS06-040, MS03-026 and MS03-027 as their bulletins list them, MS03-010
// by product alone, as bulletins of its years do, and MS09-001 again,
// which an earlier file already gave.
std::vector<BulletinRow> OlderRows() {
  const int ms06040 = SerialDay(2006, 8, 8);
  const char* server =
      "Vulnerability in Server Service Could Allow Remote "
      "Code Execution";
  std::vector<BulletinRow> rows;
  for (const char* product :
       {k2000Sp4, "Microsoft Windows XP Service Pack 1", kXpSp2,
        "Microsoft Windows XP Professional x64 Edition",
        "Microsoft Windows Server 2003",
        "Microsoft Windows Server 2003 Service Pack 1",
        "Microsoft Windows Server 2003 x64 Edition"}) {
    rows.push_back(
        Row(ms06040, "MS06-040", "Critical", server, product, "921883"));
  }
  const int ms03026 = SerialDay(2003, 7, 16);
  for (const char* product :
       {"Microsoft Windows NT Server 4.0 Service Pack 6a",
        "Microsoft Windows 2000 Service Pack 3", k2000Sp4,
        "Microsoft Windows XP", "Microsoft Windows XP Service Pack 1",
        "Microsoft Windows Server 2003"}) {
    rows.push_back(Row(ms03026, "MS03-026", "Critical",
                       "Buffer Overrun In RPC Interface Could Allow Code "
                       "Execution",
                       product, "823980"));
  }
  rows.push_back(Row(ms03026, "MS03-027", "Important",
                     "Unchecked Buffer in Windows Shell Could Enable System "
                     "Compromise",
                     "Microsoft Windows XP Service Pack 1", "821557"));
  for (const char* product :
       {"Microsoft Windows 2000", "Microsoft Windows XP"}) {
    rows.push_back(Row(SerialDay(2003, 3, 26), "MS03-010", "Important",
                       "Flaw in RPC Endpoint Mapper Could Allow Denial of "
                       "Service Attacks",
                       product, "331953"));
  }
  rows.push_back(Row(39826, "ms09-001", "Low", "again", kXpSp3, "1"));
  return rows;
}

class CatalogTest : public FakePlatformTest {
 protected:
  // The baseline a catalog of both files writes.
  std::string Written(const std::vector<std::string>& components,
                      const std::vector<BulletinFileFacts>& files) {
    fake::Reset();
    Catalog catalog(components);
    for (const BulletinRow& row : NewerRows()) catalog.Add(row);
    catalog.BeginFile();
    for (const BulletinRow& row : OlderRows()) catalog.Add(row);
    {
      TextOutput out(STD_OUTPUT_HANDLE);
      std::string error;
      EXPECT_TRUE(catalog.Write(files, out, error)) << error;
    }
    return Platform().output;
  }
  std::string Written(const std::vector<std::string>& components) {
    return Written(components, {{"new.xlsx", std::string(64, 'a'), 22, {}},
                                {"old.csv", std::string(64, 'b'), 17, {}}});
  }

  static Baseline Parsed(const std::string& text) {
    Baseline baseline;
    std::string error;
    EXPECT_TRUE(baseline.Parse(text, "catalog.txt", error)) << error;
    return baseline;
  }
};

const char* const kOsXpSp1 =
    "Windows XP Professional Service Pack 1 (Build 2600)";
const char* const kOsXpSp2 =
    "Windows XP Professional Service Pack 2 (Build 2600)";
const char* const kOsXpSp3 =
    "Windows XP Professional Service Pack 3 (Build 2600)";
const char* const kOsXp = "Windows XP Professional  (Build 2600)";
const char* const kOs2000Sp2 =
    "Windows 2000 Professional Service Pack 2 (Build 2195)";
const char* const kOs2000Sp4 =
    "Windows 2000 Professional Service Pack 4 (Build 2195)";
const char* const kOsNt =
    "Windows NT Workstation 4.0 Service Pack 6a (Build 1381)";
const char* const kOs2003Sp2 =
    "Windows .NET Server 2003 family, Standard Edition Service Pack 2 "
    "(Build 3790)";
const char* const kOsXpX64Sp2 =
    "Windows .NET Server 2003 family, Professional Service Pack 2 (Build "
    "3790)";
const char* const kOs7 = "Windows NT Version 6.1 (Build 7601 : Service Pack 1)";

TEST_F(CatalogTest, JudgesEachWindowsAndLevelAsTheBulletinsSay) {
  struct Case {
    const char* os;
    const char* entries;
    const char* id;
    const char* verdict;
  };
  const Case cases[] = {
      // The chain of replacements on XP SP3, and per product on 2000.
      {kOsXpSp3, "KB2508429", "MS09-001", "installed KB2508429"},
      {kOsXpSp3, "", "MS09-001",
       "missing KB958687 KB971468 KB982214 KB2508429"},
      {kOs2000Sp4, "KB958687", "MS09-001", "installed KB958687"},
      {kOs2000Sp4, "KB2508429", "MS09-001", "missing KB958687 KB971468"},
      // Below the listed levels, past their support.
      {kOsXpSp1, "", "MS09-001", "no update"},
      {kOs2000Sp2, "", "MS09-001", "no update"},
      // A level the rows do not name, after its end and before it.
      {kOsXpSp2, "", "MS10-054", "no update"},
      {kOs2000Sp4, "", "MS11-020", "no update"},
      {kOs2000Sp4, "", "MS09-041", "not affected"},
      // Above the listed levels while supported.
      {kOsXpSp3, "", "MS09-040", "not affected"},
      {kOsXpSp3, "", "MS12-017", "not affected"},
      {kOsXpSp1, "", "MS12-017", "no update"},
      // Every update a level needs is a requirement of its own.
      {kOsXpSp3, "KB2862330 KB2862335 KB2884256 KB2847311 KB2868038",
       "MS13-081-KB2883150", "missing KB2883150"},
      {kOsXpSp3, "KB2862330", "MS13-081-KB2862330", "installed KB2862330"},
      {kOs2003Sp2, "", "MS13-081-KB2883150", "not affected"},
      // Windows from Vista on are never judged.
      {kOs7, "", "MS09-001", "not covered"},
      {kOs7, "", "MS12-017", "not covered"},
      // Service packs released after the bulletin hold its fix.
      {kOsXpSp3, "", "MS06-040", "installed service pack"},
      {kOs2003Sp2, "", "MS06-040", "installed service pack"},
      {kOsXpX64Sp2, "", "MS06-040", "installed service pack"},
      {kOsXpSp2, "KB921883-v2", "MS06-040", "installed KB921883-v2"},
      {kOsXp, "", "MS06-040", "no update"},
      {kOsNt, "", "MS06-040", "no update"},
      // Before 2004, by dates where the rows name service packs; else
      // only the listed levels and later service packs.
      {kOsNt, "Q823980", "MS03-026", "installed Q823980"},
      {kOsXpSp2, "", "MS03-026", "installed service pack"},
      {kOs2000Sp4, "", "MS03-027", "not affected"},
      {kOsXp, "", "MS03-027", "not affected"},
      // Windows 2000 SP2, past its support in mid-2003, then extended.
      {kOs2000Sp2, "", "MS03-026", "not covered"},
      {kOsXpSp2, "", "MS03-010", "installed service pack"},
      {kOs2000Sp2, "", "MS03-010", "not covered"},
      // A bulletin of an earlier file is read from that file only.
      {kOsXpSp3, "KB1", "MS09-001",
       "missing KB958687 KB971468 KB982214 KB2508429"},
      // A component's rows only when asked for.
      {kOsXpSp3, "", "MS14-021", "no requirement MS14-021"},
  };
  const Baseline baseline = Parsed(Written({}));
  for (const Case& c : cases) {
    EXPECT_EQ(VerdictOn(baseline, c.os, c.entries, c.id), c.verdict)
        << c.os << " with " << c.entries << " on " << c.id;
  }
}

TEST_F(CatalogTest, UsesAComponentsRowsWhenAComponentStartsIt) {
  const Baseline baseline = Parsed(Written({"windows INTERNET explorer"}));
  EXPECT_EQ(VerdictOn(baseline, kOsXpSp3, "KB2964358-IE8", "MS14-021"),
            "installed KB2964358-IE8");
  EXPECT_EQ(VerdictOn(baseline, kOsXpSp2, "", "MS14-021"), "no update");
  const Baseline other = Parsed(Written({"Internet Explorer"}));
  EXPECT_EQ(VerdictOn(other, kOsXpSp3, "", "MS14-021"),
            "no requirement MS14-021");
}

TEST_F(CatalogTest, HeadCountsWhatWasLeftOutAndWhy) {
  const std::string text =
      Written({"Adobe"}, {{"new\x1b[2J.xlsx", std::string(64, 'a'), 22, {}},
                          {"old.csv", std::string(64, 'b'), 18, {{3, "x"}}}});
  for (const char* line :
       {"# File: new<U+001B>[2J.xlsx\r\n", "#   rows read: 22\r\n",
        "#   rows read: 18, of which cannot be read (left out): 1\r\n",
        "# Rows used: 34\r\n",
        "#   bulletin already read from an earlier file: 1\r\n",
        "#   Itanium: 1\r\n", "#   Windows Vista and later: 2\r\n",
        "#   components no --component names: 1\r\n",
        "# Components included (--component):\r\n"
        "#   \"Adobe\" took nothing: no Windows component of the data",
        "# Bulletins: 14 read, 12 used, 2 left out", "# Requirements: 17\r\n",
        "# Newest bulletin: MS17-023, posted 2017-03-14\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  // Every line ends in CR LF.
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
  for (std::size_t at = text.find('\n'); at != std::string::npos;
       at = text.find('\n', at + 1)) {
    ASSERT_EQ(text[at - 1], '\r') << at;
  }
}

// Real rows of MS10-033 and MS08-076 (Windows Media Format Runtime 9, 9.5
// and 11, and the runtime without a version): a --component takes a name
// up to a word's end only, and the head says what each took, or that it
// took nothing.
TEST_F(CatalogTest, AComponentTakesNamesUpToAWordsEnd) {
  const char* title = "Vulnerabilities in Media Decompression";
  std::vector<BulletinRow> rows;
  for (const char* component :
       {"Windows Media Format Runtime 9", "Windows Media Format Runtime 9.5",
        "Windows Media Format Runtime 11"}) {
    rows.push_back(Row(40337, "MS10-033", "Critical", title, kXpSp3, "978695",
                       {{"MS09-047", "968816"}}, component));
  }
  rows.push_back(Row(40337, "MS10-033", "Critical", title, k2003Sp2, "978695",
                     {{"MS09-047", "968816"}},
                     "Windows Media Format Runtime 9.5"));
  rows.push_back(Row(40337, "MS10-033", "Critical", title,
                     "Microsoft Windows Server 2003 x64 Edition Service Pack 2",
                     "978695", {{"MS09-047", "968816"}},
                     "Windows Media Format Runtime 9.5 x64"));
  rows.push_back(Row(39794, "MS08-076", "Important", title, kXpSp3, "952069",
                     {}, "Windows Media Format Runtime"));
  // A row of the Windows itself, so that a baseline is written whatever
  // the components take.
  rows.push_back(Row(40337, "MS10-032", "Important", "t", kXpSp3, "979559"));
  const struct {
    std::vector<std::string> components;
    // What the head says of them, each found in it as given.
    std::vector<std::string> head;
    const char* ms10033OnXpSp3;  // the verdict with KB978695_WM9, if any
  } cases[] = {
      {{"Windows Media Format Runtime 9"},
       {"#   \"Windows Media Format Runtime 9\" took:\r\n"
        "#     Windows Media Format Runtime 9: 1 row\r\n# Bulletins"},
       "installed KB978695_WM9"},
      {{"windows media format runtime 9.5"},
       {"#   \"windows media format runtime 9.5\" took:\r\n"
        "#     Windows Media Format Runtime 9.5: 2 rows\r\n"
        "#     Windows Media Format Runtime 9.5 x64: 1 row\r\n# Bulletins"},
       "installed KB978695_WM9"},
      // A name that an earlier --component took is the earlier one's; part
      // of a word takes nothing.
      {{"Windows Media Format Runtime", "Windows Media Format Runtime 11",
        "Windows Media Format Run"},
       {"#   \"Windows Media Format Runtime\" took:\r\n"
        "#     Windows Media Format Runtime: 1 row\r\n"
        "#     Windows Media Format Runtime 11: 1 row\r\n"
        "#     Windows Media Format Runtime 9: 1 row\r\n"
        "#     Windows Media Format Runtime 9.5: 2 rows\r\n"
        "#     Windows Media Format Runtime 9.5 x64: 1 row\r\n",
        "#   \"Windows Media Format Runtime 11\" took nothing: no Windows",
        "#   \"Windows Media Format Run\" took nothing: no Windows"},
       "installed KB978695_WM9"},
      {{}, {"# Components included (--component): none\r\n"}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.components.empty() ? "none" : c.components[0]);
    fake::Reset();
    Catalog catalog(c.components);
    for (const BulletinRow& row : rows) catalog.Add(row);
    {
      TextOutput out(STD_OUTPUT_HANDLE);
      std::string error;
      EXPECT_TRUE(catalog.Write({}, out, error)) << error;
    }
    const std::string text = Platform().output;
    for (const std::string& said : c.head) {
      EXPECT_NE(text.find(said), std::string::npos) << said << "\n" << text;
    }
    if (c.ms10033OnXpSp3) {
      EXPECT_EQ(VerdictOn(Parsed(text), kOsXpSp3, "KB978695_WM9", "MS10-033"),
                c.ms10033OnXpSp3);
    }
  }

  // --components lists every name with its rows, letter case aside.
  fake::Reset();
  Catalog all({});
  for (const BulletinRow& row : rows) all.Add(row);
  {
    TextOutput out(STD_OUTPUT_HANDLE);
    all.WriteComponents(out);
  }
  const std::string& listed = Platform().output;
  EXPECT_NE(listed.find("     1  Windows Media Format Runtime\r\n"
                        "     1  Windows Media Format Runtime 11\r\n"
                        "     1  Windows Media Format Runtime 9\r\n"
                        "     2  Windows Media Format Runtime 9.5\r\n"
                        "     1  Windows Media Format Runtime 9.5 x64\r\n"),
            std::string::npos)
      << listed;
}

TEST_F(CatalogTest, NamesTheSourcesOfEachRequirementsRows) {
  fake::Reset();
  Catalog catalog({});
  const char* page = "https://learn.microsoft.com/ms07-001";
  const char* kb = "https://support.microsoft.com/kb/2";
  BulletinRow row = Row(39000, "MS07-001", "Critical", "t", kXpSp3, "1");
  for (const auto& [product, update, source] : {std::tuple{kXpSp3, "1", page},
                                                {kXpSp3, "2", kb},
                                                {k2000Sp4, "1", page},
                                                {kXpSp2, "1", ""}}) {
    row.product = product;
    row.componentKb = update;
    row.source = source;
    catalog.Add(row);
  }
  catalog.Add(Row(38999, "MS06-078", "Critical", "t", kXpSp3, "3"));
  {
    TextOutput out(STD_OUTPUT_HANDLE);
    std::string error;
    EXPECT_TRUE(catalog.Write({}, out, error)) << error;
  }
  const std::string& text = Platform().output;
  // One line per source of the requirement's own rows, none for none.
  std::size_t lines = 0;
  for (std::size_t at = text.find("# Source: "); at != std::string::npos;
       at = text.find("# Source: ", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 2u);
  EXPECT_NE(
      text.find("\n# Source: " + std::string(page) + "\r\n[MS07-001-KB1] "),
      std::string::npos);
  EXPECT_NE(text.find("\n# Source: " + std::string(kb) + "\r\n[MS07-001-KB2] "),
            std::string::npos);
}

// Whatever the rows hold, the baseline is one the table reads.
TEST_F(CatalogTest, TextFromTheFileNeverBreaksALine) {
  fake::Reset();
  Catalog catalog({});
  BulletinRow first =
      Row(40000, "MS10-001", "Critical",
          "Title] with\r\nline [X] and\x1b tab\t", kXpSp3, "123");
  first.source = "page\r\n[MS10-009] t\r\nWindows XP KB1";
  catalog.Add(first);
  catalog.Add(Row(40000, "MS10-002]\nWindows XP", "Low", "t", kXpSp3, "1"));
  catalog.Add(Row(40000, "MS10-003", "Low", "t", kXpSp3, "12x4"));
  catalog.Add(Row(40000, "MS10-004", "Low", "t", kXpSp3, ""));
  catalog.Add(Row(40000, "MS10-005", "Important", "", kXpSp3, "5"));
  // What the table would refuse: a requirement without rules, an ID that
  // may be another bulletin's requirement of one update.
  catalog.Add(Row(40000, "MS10-006", "Low", "t",
                  "Microsoft Windows XP Service Pack 7", "6"));
  catalog.Add(Row(40000, "ms10-001-kb123", "Low", "t", kXpSp3, "7"));
  {
    TextOutput out(STD_OUTPUT_HANDLE);
    std::string error;
    EXPECT_TRUE(catalog.Write({}, out, error)) << error;
  }
  const std::string& text = Platform().output;
  const Baseline baseline = Parsed(text);
  ASSERT_EQ(baseline.requirements().size(), 2u);
  EXPECT_EQ(baseline.requirements()[0].id, "MS10-005");
  EXPECT_EQ(baseline.requirements()[0].title, "Important");
  EXPECT_EQ(baseline.requirements()[1].id, "MS10-001");
  EXPECT_EQ(baseline.requirements()[1].title,
            "Critical: Title] with<U+000D><U+000A>line [X] "
            "and<U+001B> tab<U+0009>");
  EXPECT_NE(text.find("#   bulletin ID not one word of letters, digits, "
                      "'-', '_', '.': 1\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("#   update KB missing or not a number: 2\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("# Source: page<U+000D><U+000A>[MS10-009] t"),
            std::string::npos);
  EXPECT_NE(text.find("#   service packs their Windows never had: 1\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("#   bulletin ID of the form of one update's "
                      "requirement (ID-KBnnn): 1\r\n"),
            std::string::npos);
}

// The head names the source of every date the verdicts rest on.
TEST(WindowsLevelsTest, EveryDateNamesAListedSource) {
  std::set<std::string> listed;
  for (const DateSource& source : DateSources()) listed.insert(source.name);
  for (const StatedLevel& level : StatedLevels()) {
    std::istringstream names(level.sources);
    int count = 0;
    for (std::string name; std::getline(names >> std::ws, name, ',');) {
      EXPECT_EQ(listed.count(name), 1u) << level.sources;
      ++count;
    }
    EXPECT_GT(count, 0);
  }
}

TEST(WindowsProductsTest, NamesTheWindowsAndLevelsAReportShows) {
  struct Case {
    const char* product;
    ProductKind kind;
    Windows windows;
    int lowest;
    int highest;
  };
  const Case cases[] = {
      {"Microsoft Windows XP Service Pack 3", ProductKind::kWindows,
       Windows::kXp, 3, 3},
      {"Microsoft Windows XP", ProductKind::kWindows, Windows::kXp, 0, 0},
      {"Microsoft Windows XP Professional x64 Edition", ProductKind::kWindows,
       Windows::kXpX64, 0, 1},
      {"Microsoft Windows XP Professional x64 Edition Service Pack 2",
       ProductKind::kWindows, Windows::kXpX64, 2, 2},
      {"Microsoft Windows Server 2003", ProductKind::kWindows,
       Windows::kServer2003, 0, 0},
      {"Microsoft Windows Server 2003 x64 Edition", ProductKind::kWindows,
       Windows::kServer2003, 1, 1},
      {"Windows Server 2003 R2 x64 Edition Service Pack 2",
       ProductKind::kWindows, Windows::kServer2003, 2, 2},
      {"Windows Server 2003, Standard Edition (32-bit x86)",
       ProductKind::kWindows, Windows::kServer2003, 0, 0},
      {"Microsoft Windows NT Workstation 4.0 Service Pack 6a",
       ProductKind::kWindows, Windows::kNt40, 6, 6},
      {"Microsoft Windows NT Server 4.0 Terminal Server Edition Service "
       "Pack 6",
       ProductKind::kWindows, Windows::kNt40, 6, 6},
      {"  microsoft   WINDOWS 2000 service pack 4 ", ProductKind::kWindows,
       Windows::k2000, 4, 4},
      {"Microsoft Windows 2000 Server Service Pack 4", ProductKind::kWindows,
       Windows::k2000, 4, 4},
      {"Microsoft Windows 2000", ProductKind::kWindows, Windows::k2000, 0, 0},
      {"Microsoft Windows XP Media Center Edition 2005 Service Pack 3",
       ProductKind::kEditionNotTold, Windows::kXp, 3, 3},
      {"Microsoft Windows Server 2003 for Itanium-based Systems Service "
       "Pack 2",
       ProductKind::kItanium, Windows::kUnknown, 0, 0},
      {"Microsoft Windows XP 64-Bit Edition Version 2003",
       ProductKind::kItanium, Windows::kUnknown, 0, 0},
      {"Windows Server 2008 for 32-bit Systems Service Pack 2 (Server Core "
       "installation)",
       ProductKind::kLaterWindows, Windows::kUnknown, 0, 0},
      {"Windows 8.1 for 32-bit systems", ProductKind::kLaterWindows,
       Windows::kUnknown, 0, 0},
      {"Microsoft Windows XP Service Pack 2 and Service Pack 3",
       ProductKind::kOtherProduct, Windows::kUnknown, 0, 0},
      {"Microsoft Windows XP Embedded", ProductKind::kOtherProduct,
       Windows::kUnknown, 0, 0},
      {"Microsoft Office XP Service Pack 3", ProductKind::kOtherProduct,
       Windows::kUnknown, 0, 0},
      {"", ProductKind::kOtherProduct, Windows::kUnknown, 0, 0},
  };
  for (const Case& c : cases) {
    const Product product = ProductOf(c.product);
    EXPECT_EQ(product.kind, c.kind) << c.product;
    EXPECT_EQ(product.windows, c.windows) << c.product;
    if (c.windows == Windows::kUnknown) continue;
    EXPECT_EQ(product.lowest, c.lowest) << c.product;
    EXPECT_EQ(product.highest, c.highest) << c.product;
  }
}

}  // namespace
