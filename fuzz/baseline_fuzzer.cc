// Reads fuzz input as a bulletin data file the way hotfixes-baseline does,
// then makes the catalog of it, and checks:
//  - a file refused, a row left out or a baseline not written is said in
//    one line of visible UTF-8 text (no control character, nothing that
//    moves text), whatever bytes the file holds;
//  - a baseline written is one that hotfixes-table reads: at most its
//    bound, a requirement or more, each with rules, IDs once each;
//  - a file whose dates do not tell their order is read in the order
//    given too.
// Memory and time are bounded by libFuzzer's limits (run_fuzz.sh: 2 GiB,
// 10 s an input): the readers must stay far below either.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "auditor/baseline/catalog/catalog.h"
#include "auditor/baseline/read/bulletin_file.h"
#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/text/utf8.h"
#include "platform/platform-fake.h"

namespace {

const char kPath[] = "C:\\data\\bulletins";

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "baseline_fuzzer: %s\n", what.c_str());
  std::abort();
}

void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

// One line a person reads on a terminal: UTF-8, no C0 or C1 control
// character, no character that moves text.
void ExpectOneVisibleLine(const std::string& text, const char* what) {
  Expect(!text.empty() && IsValidUtf8(text),
         std::string(what) + ": empty or not UTF-8");
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    Expect(byte >= 0x20 && byte != 0x7F,
           std::string(what) + ": a control character in " + text);
    // U+0080-U+009F, U+200B-U+200F, U+2028-U+202E, U+2060-U+206F.
    const bool c1 = byte == 0xC2 && at + 1 < text.size() &&
                    static_cast<unsigned char>(text[at + 1]) < 0xA0;
    const bool moving =
        byte == 0xE2 && at + 2 < text.size() &&
        ((text[at + 1] == '\x80' &&
          ((text[at + 2] >= '\x8B' && text[at + 2] <= '\x8F') ||
           (text[at + 2] >= '\xA8' && text[at + 2] <= '\xAE'))) ||
         (text[at + 1] == '\x81' && text[at + 2] >= '\xA0' &&
          text[at + 2] <= '\xAF'));
    Expect(!c1 && !moving,
           std::string(what) + ": a hidden character in " + text);
  }
}

// The file read into a catalog; false when it was refused.
bool ReadInto(const std::string& bytes, DateOrder order, Catalog& catalog,
              BulletinFileFacts& facts, std::string& error) {
  fake::Get().files[kPath].bytes = bytes;
  catalog.BeginFile();
  return ReadBulletinFile(kPath, order, catalog, facts, error);
}

void CheckConverted(const std::string& bytes, DateOrder order) {
  Catalog catalog({"Windows Internet Explorer"});
  BulletinFileFacts facts;
  std::string error;
  if (!ReadInto(bytes, order, catalog, facts, error)) {
    ExpectOneVisibleLine(error, "a file refused");
    if (order == DateOrder::kNotKnown &&
        error.find("--date-order") != std::string::npos) {
      CheckConverted(bytes, DateOrder::kDayFirst);
    }
    return;
  }
  for (const auto& bad : facts.badRows) {
    ExpectOneVisibleLine(bad.second, "a row left out");
  }
  fake::Get().output.clear();
  TextOutput out(STD_OUTPUT_HANDLE);
  if (!catalog.Write({facts}, out, error)) {
    ExpectOneVisibleLine(error, "a baseline not written");
    Expect(fake::Get().output.empty(), "a baseline refused, but written");
    return;
  }
  out.Flush();
  const std::string& text = fake::Get().output;
  Expect(text.size() <= kLargestBaseline, "a baseline too large");
  Baseline baseline;
  Expect(baseline.Parse(text, "catalog.txt", error),
         "a baseline the table refuses: " + error);
  Expect(!baseline.empty(), "a baseline without requirements");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  fake::Reset();
  CheckConverted(std::string(reinterpret_cast<const char*>(data), size),
                 DateOrder::kNotKnown);
  return 0;
}
