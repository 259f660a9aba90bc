// Runs the whole program over the fake platform, laid out from the fuzz
// input, and checks how every run ends:
//  - exit code 0 after a complete report, or exactly one failure report and
//    exit code 1;
//  - every registry key the program opened is closed, each exactly once;
//  - the bytes on standard output are the lines the program handed over, in
//    order, except those a failed write lost.
// The sanitizers the target is built with catch every access out of bounds.
//
// Each input runs twice. The reference run writes to a console whose writes
// all succeed, so every line has reached WriteFile by the time its line
// check asks for the code address: those queries mark where the lines
// handed over end, whatever bytes they hold, and what is written behind the
// last line can only be the failure report. Its lines and its end are
// compared with what the registry tree predicts. The second run has the
// input's own output kind and failing writes; its WriteFile calls are
// predicted from the reference lines by a model of the buffered stream.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/report.h"
#include "output/program_end.h"
#include "output/report_output.h"
#include "platform/platform-fake.h"
#include "registry/locale_facts.h"
#include "support/arrange.h"

namespace {

const char kHotFixPath[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\HotFix";
const REGSAM kReadMasks[] = {0x20019, 0x20009, 0x0001};
const std::size_t kMaxSubkeys = 24;
const std::size_t kBufferSize = 128;
const DWORD kNotOpenError = 105;

// The module and offset every failure of these runs is reported at: the
// fake's code address lies in the program's own module.
const char kReportHead[] = "Exception ";
const char kReportPlace[] = " in module hotfixes.exe at 00001234.\r\n";

std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

std::string Printable(const std::vector<std::string>& list) {
  std::string out;
  for (const auto& entry : list) out += "  \"" + Printable(entry) + "\"\n";
  return out;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "report_fuzzer: %s\n", what.c_str());
  std::abort();
}

void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

std::string FailureReport(const std::string& kind, const std::string& message) {
  return kReportHead + kind + kReportPlace + message + ".\r\n";
}

// --- Laying out the fake from the input ------------------------------------

// A change made to a value between the reader's size query and its fetch.
struct Mutation {
  enum Kind { kNone, kGrow, kShrink, kVanish, kRetype, kRewrite, kLast };
  int kind;
  std::uint8_t amount;
};

// Applied the same way to the fake the program reads and to the copy the
// prediction walks.
void Apply(const Mutation& m, fake::Key& key, const std::string& valueName) {
  fake::Value* value = key.FindValue(valueName);
  if (value == nullptr) return;
  switch (m.kind) {
    case Mutation::kGrow: value->data.append(1 + m.amount % 16, 'G'); break;
    case Mutation::kShrink:
      value->data.resize(std::min<std::size_t>(value->data.size(), m.amount));
      break;
    case Mutation::kVanish:
      key.values.erase(key.values.begin() + (value - key.values.data()));
      break;
    case Mutation::kRetype: value->type = m.amount % 12; break;
    case Mutation::kRewrite:
      std::fill(value->data.begin(), value->data.end(),
                static_cast<char>(m.amount));
      break;
    default: break;
  }
}

std::string FourHexDigits(unsigned number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", number & 0xFFFF);
  return digits;
}

// Bytes of any value, as a rule a short text with its NUL.
std::string SomeBytes(FuzzedDataProvider& in, std::size_t most) {
  const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, most);
  return in.ConsumeBytesAsString(length);
}

std::string SomeText(FuzzedDataProvider& in, std::size_t most) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return SomeBytes(in, most) + std::string(1, '\0');
    case 1: return SomeBytes(in, most);  // stored without its NUL
    case 2: return SomeBytes(in, most) + std::string(1, '\0') + "tail";
    default: return std::string();
  }
}

void DenyMasks(FuzzedDataProvider& in, fake::Key& key) {
  const auto bits = in.ConsumeIntegral<std::uint8_t>();
  if ((bits & 0xF0) == 0xF0) key.openable = false;
  if ((bits & 0x08) == 0) return;
  for (int i = 0; i < 3; ++i) {
    if (bits & (1 << i)) key.deniedMasks.insert(kReadMasks[i]);
  }
}

void ArrangeOutput(FuzzedDataProvider& in, fake::State& s) {
  static const DWORD kFileTypes[] = {FILE_TYPE_CHAR, FILE_TYPE_DISK,
                                     FILE_TYPE_PIPE, FILE_TYPE_UNKNOWN, 0x8002};
  s.fileType = in.PickValueInArray(kFileTypes);
  s.stdHandleInvalid = in.ConsumeIntegralInRange(0, 15) == 15;
  for (int i = in.ConsumeIntegralInRange(0, 3); i > 0; --i) {
    s.failingWrites.insert(in.ConsumeIntegralInRange<std::size_t>(0, 48));
  }
  if (in.ConsumeBool()) {
    s.failWritesFrom = in.ConsumeIntegralInRange<std::size_t>(0, 64);
  }
  static const DWORD kErrors[] = {112, 5, 101, 109, 232};
  s.writeError = in.PickValueInArray(kErrors);
}

void ArrangeVersion(FuzzedDataProvider& in, fake::State& s) {
  s.extendedQuerySucceeds = in.ConsumeIntegralInRange(0, 7) != 7;
  s.basicQuerySucceeds = in.ConsumeIntegralInRange(0, 7) != 7;
  OSVERSIONINFOEXA& v = s.version;
  static const DWORD kPlatforms[] = {2, 1, 0, 3};
  static const DWORD kMajors[] = {5, 4, 6, 3, 10};
  static const DWORD kMinors[] = {1, 0, 2, 10, 90, 51};
  v.dwPlatformId = in.PickValueInArray(kPlatforms);
  v.dwMajorVersion = in.ConsumeIntegralInRange(0, 7) == 7
                         ? in.ConsumeIntegral<DWORD>()
                         : in.PickValueInArray(kMajors);
  v.dwMinorVersion = in.ConsumeIntegralInRange(0, 7) == 7
                         ? in.ConsumeIntegral<DWORD>()
                         : in.PickValueInArray(kMinors);
  v.dwBuildNumber = in.ConsumeIntegral<DWORD>();
  static const char* const kServicePacks[] = {
      "Service Pack 2", "Service Pack 6", "", " A ", " C ", " B "};
  std::string servicePack = in.PickValueInArray(kServicePacks);
  if (in.ConsumeIntegralInRange(0, 3) == 3) {
    servicePack = SomeBytes(in, sizeof v.szCSDVersion);  // maybe no NUL
  }
  std::memcpy(v.szCSDVersion, servicePack.data(),
              std::min(servicePack.size(), sizeof v.szCSDVersion));
  v.wServicePackMajor = in.ConsumeIntegral<WORD>();
  v.wServicePackMinor = in.ConsumeIntegral<WORD>();
  v.wSuiteMask = in.ConsumeIntegral<WORD>();
  static const BYTE kProductTypes[] = {1, 3, 2, 0, 0xFF};
  v.wProductType = in.PickValueInArray(kProductTypes);

  if (in.ConsumeIntegralInRange(0, 3) == 3) return;
  fake::Key& options = s.localMachine.Add("SYSTEM")
                           .Add("CurrentControlSet")
                           .Add("Control")
                           .Add("ProductOptions");
  DenyMasks(in, options);
  static const char* const kProducts[] = {"WinNT", "LanmanNT", "ServerNT",
                                          "winnt"};
  std::string product = std::string(in.PickValueInArray(kProducts)) + '\0';
  if (in.ConsumeBool()) product = SomeText(in, 300);
  static const DWORD kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD};
  options.SetValue("ProductType", in.PickValueInArray(kTypes), product);
}

void ArrangeVersionResource(FuzzedDataProvider& in, fake::State& s) {
  s.hasVersionBlock = in.ConsumeIntegralInRange(0, 7) != 7;
  s.versionBlockReadFails = in.ConsumeIntegralInRange(0, 7) == 7;
  std::string translation("\x09\x04\xE4\x04", 4);
  if (in.ConsumeBool()) translation = SomeBytes(in, 8);
  const UINT translationLength =
      in.ConsumeIntegralInRange(0, 7) == 7
          ? in.ConsumeIntegralInRange<UINT>(0, UINT(translation.size()))
          : UINT(translation.size());
  s.versionItems["\\VarFileInfo\\Translation"] = {translation,
                                                  translationLength};
  // Where the strings are looked up: under the first translation, as a
  // rule; under another one now and then.
  std::string table = "040704B0";
  if (translation.size() >= 4 && in.ConsumeIntegralInRange(0, 7) != 7) {
    const auto byte = [&](std::size_t i) {
      return static_cast<unsigned>(static_cast<unsigned char>(translation[i]));
    };
    table = FourHexDigits(byte(0) | byte(1) << 8) +
            FourHexDigits(byte(2) | byte(3) << 8);
  }
  for (const char* name : {"FileDescription", "FileVersion"}) {
    if (in.ConsumeIntegralInRange(0, 7) == 7) continue;
    const std::string bytes = SomeText(in, 200);
    const UINT length =
        in.ConsumeIntegralInRange(0, 3) == 3
            ? in.ConsumeIntegralInRange<UINT>(0, UINT(bytes.size()))
            : UINT(bytes.size());
    s.versionItems["\\StringFileInfo\\" + table + "\\" + name] = {bytes,
                                                                  length};
  }
}

void ArrangeLocale(FuzzedDataProvider& in, fake::State& s) {
  static const LCID kLocales[] = {0x0409, 0x0411, 0x0804, 0x0412,
                                  0x0404, 0x0407, 0};
  s.threadLocale = in.ConsumeIntegralInRange(0, 7) == 7
                       ? in.ConsumeIntegral<LCID>()
                       : in.PickValueInArray(kLocales);
  static const char* const kCodePages[] = {"1252", "932", "936",
                                           "",     "x9",  "4294967296"};
  s.localeAnsiCodePage = in.PickValueInArray(kCodePages);
  s.ansiCodePage = in.ConsumeIntegral<UINT>();
  // Lead bytes are never ASCII: the program's own path keeps its meaning.
  s.leadByteRanges.clear();
  for (int i = in.ConsumeIntegralInRange(0, 3); i > 0; --i) {
    const auto first = in.ConsumeIntegralInRange<BYTE>(0x80, 0xFF);
    const auto last = in.ConsumeIntegralInRange<BYTE>(0x80, 0xFF);
    s.leadByteRanges.emplace_back(first, last);
  }
  s.dbcsEnabled = in.ConsumeIntegralInRange(0, 1);
}

std::string SomeKeyName(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return SomeBytes(in, 40);
  return "KB" + std::to_string(in.ConsumeIntegralInRange(0, 999999));
}

void ArrangeHotFixes(FuzzedDataProvider& in, fake::State& s) {
  if (in.ConsumeIntegralInRange(0, 15) == 15) return;  // no hotfix key
  fake::Key& root = HotFixRoot(s);
  DenyMasks(in, root);
  s.queryInfoFails = in.ConsumeIntegralInRange(0, 15) == 15;
  if (in.ConsumeIntegralInRange(0, 7) == 7) {
    s.reportedMaxSubKeyLength = in.ConsumeIntegralInRange<DWORD>(1, 1 << 16);
  }
  for (int i = in.ConsumeIntegralInRange(0, 2); i > 0; --i) {
    s.enumFailsAt.insert(in.ConsumeIntegralInRange<DWORD>(0, kMaxSubkeys));
  }
  s.enumFailureFillsBuffer = in.ConsumeBool();
  s.enumMoreDataReportsLength = in.ConsumeBool();
  for (std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, kMaxSubkeys);
       i > 0; --i) {
    fake::Key& key = root.Add(SomeKeyName(in));
    DenyMasks(in, key);
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0: key.SetValue("Comments", REG_SZ, SomeText(in, 300)); break;
      case 1:
        key.SetValue("Comments", in.ConsumeIntegralInRange<DWORD>(0, 12),
                     SomeText(in, 300));
        break;
      case 2: key.SetValue(SomeKeyName(in), REG_SZ, SomeText(in, 20)); break;
      default: break;  // no values at all
    }
    if (in.ConsumeIntegralInRange(0, 7) == 7) key.Add(SomeKeyName(in));
  }
  if (in.ConsumeIntegralInRange(0, 7) == 7) root.Add("Q246009");
}

std::vector<Mutation> ConsumeMutations(FuzzedDataProvider& in) {
  std::vector<Mutation> mutations;
  for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
    Mutation m;
    m.kind = in.ConsumeIntegralInRange<int>(0, Mutation::kLast - 1);
    m.amount = in.ConsumeIntegral<std::uint8_t>();
    mutations.push_back(m);
  }
  return mutations;
}

// Lays out a fresh fake from the input; the same input, the same layout.
std::vector<Mutation> Arrange(const std::uint8_t* data, std::size_t size) {
  fake::Reset();
  ReportOutput = TReportOutput();
  fake::State& s = fake::Get();
  FuzzedDataProvider in(data, size);
  ArrangeOutput(in, s);
  ArrangeVersion(in, s);
  ArrangeVersionResource(in, s);
  ArrangeLocale(in, s);
  ArrangeHotFixes(in, s);
  std::vector<Mutation> mutations = ConsumeMutations(in);
  // The n-th size query of a run is followed by the n-th change, made to
  // the value just asked about in the one key the reader holds open.
  s.afterSizeQuery = [mutations, applied = std::size_t(0)](
                         const std::string& valueName) mutable {
    const std::size_t at = applied++;
    if (at >= mutations.size()) return;
    fake::State& state = fake::Get();
    Expect(state.openHandles.size() == 1,
           "a value was read while other than one key was open");
    Apply(mutations[at], *state.openHandles.begin()->second.key, valueName);
  };
  return mutations;
}

// --- Running the program ----------------------------------------------------

void PrepareAndReport() {
  PrepareProcessFacts();
  RunReport();
}

unsigned RunWholeProgram() {
  try {
    RunProgram(PrepareAndReport);
  } catch (const fake::ProcessExit& exit) {
    return exit.code;
  }
}

void ExpectKeysClosed(const char* run) {
  const fake::State& s = fake::Get();
  Expect(fake::OpenKeyCount() == 0,
         std::string(run) + ": registry keys left open");
  const auto opened = std::count_if(
      s.openAttempts.begin(), s.openAttempts.end(),
      [](const fake::OpenAttempt& a) { return a.result == ERROR_SUCCESS; });
  Expect(opened == s.closeCalls, std::string(run) + ": " +
                                     std::to_string(opened) + " keys opened, " +
                                     std::to_string(s.closeCalls) + " closes");
}

struct ReferenceRun {
  unsigned exitCode = 0;
  std::vector<std::string> lines;     // each line handed over, with CR LF
  std::vector<std::string> trailing;  // the writes behind the last line
};

ReferenceRun RunReference(const std::uint8_t* data, std::size_t size) {
  Arrange(data, size);
  fake::State& s = fake::Get();
  s.fileType = FILE_TYPE_CHAR;
  s.stdHandleInvalid = false;
  s.failingWrites.clear();
  s.failWritesFrom = SIZE_MAX;
  std::vector<std::size_t> lineEnds;  // in WriteFile calls made so far
  s.onCodeAddressQuery = [&lineEnds] {
    lineEnds.push_back(fake::Get().writes.size());
  };
  ReferenceRun run;
  run.exitCode = RunWholeProgram();
  s.onCodeAddressQuery = nullptr;
  ExpectKeysClosed("reference run");

  std::size_t from = 0;
  for (std::size_t end : lineEnds) {
    if (end == from) continue;  // asked while raising a failure
    std::string line;
    for (std::size_t i = from; i < end; ++i) line += s.writes[i];
    run.lines.push_back(line);
    from = end;
  }
  run.trailing.assign(s.writes.begin() + static_cast<std::ptrdiff_t>(from),
                      s.writes.end());
  return run;
}

// --- What the registry tree predicts ----------------------------------------

struct Prediction {
  std::vector<std::string> hotfixLines;
  int count = 0;
  std::string failureReport;  // empty: the report completes
};

// The first of the reader's masks a key grants; 0 when it does not open.
REGSAM OpeningMask(const fake::Key* key) {
  if (key == nullptr || !key->openable) return 0;
  for (REGSAM mask : kReadMasks) {
    if (!key->deniedMasks.count(mask)) return mask;
  }
  return 0;
}

// Walks the freshly laid-out tree as the listing is meant to: one entry per
// subkey the key statistics count, a failed enumeration step giving an
// empty one that opens nothing; each opened key's "Comments" changed after
// its size query as the program's run will see it.
Prediction PredictHotFixes(const std::vector<Mutation>& mutations) {
  fake::State& s = fake::Get();
  Prediction p;
  fake::Key* root = s.localMachine.Find(kHotFixPath);
  const REGSAM listMask = OpeningMask(root);
  if (listMask == 0 || s.queryInfoFails) return p;
  p.count = static_cast<int>(root->subkeys.size());

  std::uint64_t longest = s.reportedMaxSubKeyLength;
  if (longest == 0) {
    for (const auto& key : root->subkeys) {
      longest = std::max<std::uint64_t>(longest, key->name.size());
    }
  }
  if (DoubleByteLocale() && StartupPlatformId() == VER_PLATFORM_WIN32_NT) {
    longest *= 2;
  }
  // A name that does not fit is asked for again with larger buffers, up to
  // the registry's limit, 255 two-byte characters and the NUL; only a name
  // that fits neither that nor the first buffer is lost.
  const std::uint64_t largestBuffer =
      std::max<std::uint64_t>(longest + 1, 255 * 2 + 1);

  std::size_t sizeQueries = 0;
  for (std::size_t i = 0; i < root->subkeys.size(); ++i) {
    const std::string& stored = root->subkeys[i]->name;
    const bool enumerated = (listMask & KEY_ENUMERATE_SUB_KEYS) != 0 &&
                            !s.enumFailsAt.count(DWORD(i)) &&
                            stored.size() < largestBuffer;
    const std::string name =
        enumerated ? stored.substr(0, stored.find('\0')) : std::string();
    if (name.empty()) continue;
    fake::Key* key =
        s.localMachine.Find(std::string(kHotFixPath) + "\\" + name);
    if (OpeningMask(key) == 0) continue;

    std::string comment;
    if (const fake::Value* asked = key->FindValue("Comments")) {
      const std::size_t size = asked->data.size();
      const std::size_t at = sizeQueries++;
      if (at < mutations.size()) Apply(mutations[at], *key, "Comments");
      const fake::Value* fetched = key->FindValue("Comments");
      if (size != 0) {
        if (fetched == nullptr || fetched->data.size() > size) {
          p.failureReport = FailureReport("ERegistryException",
                                          "'Comments' の取得に失敗しました");
          return p;
        }
        if (fetched->type != REG_SZ && fetched->type != REG_EXPAND_SZ) {
          p.failureReport = FailureReport("ERegistryException",
                                          "'Comments' のデータ型が不正です");
          return p;
        }
        comment = fetched->data.substr(0, fetched->data.find('\0'));
      }
    }
    std::string line = "[" + name;
    line += "] ";
    line += comment;
    line += "\r\n";
    p.hotfixLines.push_back(line);
  }
  return p;
}

void CheckReference(const ReferenceRun& run, const Prediction& p) {
  const std::string shown = "\nlines:\n" + Printable(run.lines) +
                            "written behind them:\n" + Printable(run.trailing);
  for (const auto& line : run.lines) {
    Expect(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0,
           "a line handed over does not end in CR LF" + shown);
  }
  // Banner, empty line, OS line, empty line.
  Expect(run.lines.size() >= 5, "the report lacks its first lines" + shown);
  Expect(run.lines[2] == "\r\n" && run.lines[4] == "\r\n",
         "no empty line behind the banner or the OS line" + shown);
  Expect(run.lines[1].compare(0, 17, "hotfixes.exe Ver.") == 0,
         "the banner's second line is not the file name and version" + shown);

  std::vector<std::string> expected(run.lines.begin(), run.lines.begin() + 5);
  expected.insert(expected.end(), p.hotfixLines.begin(), p.hotfixLines.end());
  if (p.failureReport.empty()) {
    expected.push_back("\r\n");
    expected.push_back("Found " + std::to_string(p.count) + " Hot-Fix\r\n");
    Expect(run.exitCode == 0, "exit code " + std::to_string(run.exitCode) +
                                  " where the report completes" + shown);
    Expect(run.trailing.empty(),
           "something was written behind the complete report" + shown);
  } else {
    Expect(run.exitCode == 1, "exit code " + std::to_string(run.exitCode) +
                                  " after a failure" + shown);
    Expect(run.trailing == std::vector<std::string>{p.failureReport, "\r\n"},
           "not exactly the one failure report expected:\n" +
               Printable(p.failureReport) + shown);
  }
  Expect(run.lines == expected, "the lines differ from the prediction:\n" +
                                    Printable(expected) + shown);
}

// --- The buffered standard output, as it is meant to behave ----------------

class StreamModel {
 public:
  explicit StreamModel(const fake::State& s)
      : handleInvalid_(s.stdHandleInvalid),
        fileType_(s.fileType),
        failingWrites_(s.failingWrites),
        failWritesFrom_(s.failWritesFrom),
        writeError_(s.writeError) {}

  // Hands over one line with its CR LF; the error number its line check
  // raises with, or 0.
  DWORD Line(const std::string& line) {
    const std::string text = line.substr(0, line.size() - 2);
    if (!text.empty()) Write(text);
    Write("\r\n");
    if (open_ && characterDevice_) WritePending();
    const DWORD error = pendingError_;
    pendingError_ = 0;
    return error;
  }

  // The pending lines, then the report straight to the handle, unless
  // there is no usable one.
  void FailureReport(const std::string& text) {
    if (open_) WritePending();
    pendingError_ = 0;
    if (!open_ && (handleInvalid_ || fileType_ == FILE_TYPE_UNKNOWN)) return;
    Call(text);
    Call("\r\n");
  }

  void Finish() {
    if (open_) WritePending();
  }

  std::vector<std::string> writes;
  std::string output;
  int closedHandles = 0;

 private:
  bool Open() {
    if (handleInvalid_) return false;
    if (fileType_ == FILE_TYPE_UNKNOWN) {
      ++closedHandles;
      return false;
    }
    open_ = true;
    characterDevice_ = fileType_ == FILE_TYPE_CHAR;
    return true;
  }

  void Write(const std::string& bytes) {
    if (!open_ && !Open()) {
      pendingError_ = kNotOpenError;
      return;
    }
    std::size_t at = 0;
    while (bytes.size() - at >= kBufferSize - buffer_.size()) {
      const std::size_t room = kBufferSize - buffer_.size();
      buffer_.append(bytes, at, room);
      at += room;
      if (!WritePending()) return;  // the rest of these bytes is lost
    }
    buffer_.append(bytes, at, std::string::npos);
  }

  bool WritePending() {
    if (buffer_.empty()) return true;
    const bool written = Call(buffer_);
    buffer_.clear();
    if (!written) pendingError_ = writeError_;
    return written;
  }

  bool Call(const std::string& bytes) {
    const std::size_t index = writes.size();
    writes.push_back(bytes);
    const bool fails = failingWrites_.count(index) || index >= failWritesFrom_;
    if (!fails) output += bytes;
    return !fails;
  }

  const bool handleInvalid_;
  const DWORD fileType_;
  const std::set<std::size_t> failingWrites_;
  const std::size_t failWritesFrom_;
  const DWORD writeError_;
  bool open_ = false;
  bool characterDevice_ = false;
  std::string buffer_;
  DWORD pendingError_ = 0;
};

std::string InOutErrorReport(DWORD error) {
  switch (error) {
    case 5: return FailureReport("EInOutError", "File access denied");
    case 101: return FailureReport("EInOutError", "Disk full");
    default:
      return FailureReport("EInOutError", "I/O error " + std::to_string(error));
  }
}

void CheckOutputRun(const std::uint8_t* data, std::size_t size,
                    const ReferenceRun& reference) {
  Arrange(data, size);
  fake::State& s = fake::Get();
  StreamModel model(s);
  unsigned expectedExit = 0;
  for (const auto& line : reference.lines) {
    if (const DWORD error = model.Line(line)) {
      model.FailureReport(InOutErrorReport(error));
      expectedExit = 1;
      break;
    }
  }
  if (expectedExit == 0 && reference.exitCode == 1) {
    model.FailureReport(reference.trailing[0]);
    expectedExit = 1;
  }
  if (expectedExit == 0) model.Finish();

  const unsigned exitCode = RunWholeProgram();
  ExpectKeysClosed("output run");
  const std::string shown =
      "\nfile type " + std::to_string(s.fileType) + ", handle " +
      (s.stdHandleInvalid ? "invalid" : "valid") + "\nexpected writes:\n" +
      Printable(model.writes) + "made:\n" + Printable(s.writes);
  Expect(exitCode == expectedExit, "exit code " + std::to_string(exitCode) +
                                       ", expected " +
                                       std::to_string(expectedExit) + shown);
  Expect(s.writes == model.writes, "the writes differ" + shown);
  Expect(s.output == model.output, "the output differs" + shown);
  Expect(s.closedHandles == model.closedHandles,
         std::to_string(s.closedHandles) + " handles closed, expected " +
             std::to_string(model.closedHandles) + shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const ReferenceRun reference = RunReference(data, size);
  // The reference run fixed the locale facts the prediction needs.
  const std::vector<Mutation> mutations = Arrange(data, size);
  CheckReference(reference, PredictHotFixes(mutations));
  CheckOutputRun(data, size, reference);
  return 0;
}
