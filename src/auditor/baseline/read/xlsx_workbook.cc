#include "auditor/baseline/read/xlsx_workbook.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "auditor/baseline/read/read_failure.h"
#include "auditor/baseline/read/xml_reader.h"
#include "auditor/baseline/read/zip_archive.h"
#include "auditor/text/ascii.h"
#include "auditor/text/utf8.h"
#include "auditor/text/visible_text.h"

namespace {

// A worksheet has at most 1,048,576 rows (and kSheetColumns columns).
const std::int64_t kRows = 1048576;
// The shared strings of Microsoft's 2017 file: some ten thousand, 300 KB.
// Far more is no bulletin data, and would be held whole.
const std::size_t kMostSharedStrings = std::size_t{1} << 22;
const std::size_t kSharedStringBytes = std::size_t{64} << 20;
// A text as the XML has it, before Excel's escapes ("_x000D_", seven
// bytes for one character) are decoded.
const std::size_t kRawCellBytes = 8 * kCellBytes;

const char kOfficeDocument[] = "/officeDocument";
const char kSharedStrings[] = "/sharedStrings";

// A name or value from the workbook as a message quotes it.
std::string Shown(std::string_view text) { return VisibleExcerpt(text, 80); }

const std::string* Attribute(const std::vector<XmlAttribute>& attributes,
                             std::string_view name) {
  for (const XmlAttribute& attribute : attributes) {
    if (attribute.name == name) return &attribute.value;
  }
  return nullptr;
}

// Excel writes characters XML cannot hold as "_xHHHH_" ("_x000D_" is a CR)
// and a "_x" of the text itself as "_x005F_x".
void DecodeExcelEscapes(std::string& text) {
  if (text.find("_x") == std::string::npos) return;
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t value = 0;
    bool escape = i + 7 <= text.size() && text[i] == '_' &&
                  text[i + 1] == 'x' && text[i + 6] == '_';
    for (std::size_t k = 2; escape && k < 6; ++k) {
      const int digit = HexDigitValue(text[i + k]);
      escape = digit >= 0;
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    if (escape && !(value >= 0xD800 && value <= 0xDFFF)) {
      AppendUtf8(value, decoded);
      i += 6;
    } else {
      decoded += text[i];
    }
  }
  text.swap(decoded);
}

// The part's folder, "xl/" for "xl/workbook.xml".
std::string FolderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// The member a relationship's target names, relative to `folder`; only
// ever compared with the archive's member names.
std::string ResolveTarget(const std::string& folder,
                          const std::string& target) {
  const std::string joined =
      !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    const std::string segment = joined.substr(start, slash - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = slash + 1;
  }
  std::string resolved;
  for (const std::string& segment : segments) {
    if (!resolved.empty()) resolved += '/';
    resolved += segment;
  }
  return resolved;
}

void ReadPart(const ZipArchive& zip, const std::string& name,
              XmlHandler& handler) {
  const ZipMember* member = zip.Find(name);
  if (member == nullptr) {
    throw ReadFailure{"not a workbook: it has no part " + Shown(name)};
  }
  XmlReader reader(handler, Shown(name));
  zip.Stream(*member,
             [&reader](std::string_view piece) { reader.Feed(piece); });
  reader.Finish();
}

struct Relationship {
  std::string id, type, target;
};

// Of a part's relationships, only the one of the ID asked for and the
// first of the type asked for are kept: a part of millions of them is
// read, not held.
class RelationshipsHandler : public XmlHandler {
 public:
  RelationshipsHandler(std::string id, std::string_view typeEnd)
      : id_(std::move(id)), typeEnd_(typeEnd) {}

  void StartElement(std::string_view name,
                    const std::vector<XmlAttribute>& attributes) override {
    if (LocalName(name) != "Relationship") return;
    const std::string* mode = Attribute(attributes, "TargetMode");
    if (mode != nullptr && *mode == "External") return;
    Relationship relationship;
    for (const XmlAttribute& attribute : attributes) {
      if (attribute.name == "Id") relationship.id = attribute.value;
      if (attribute.name == "Type") relationship.type = attribute.value;
      if (attribute.name == "Target") relationship.target = attribute.value;
    }
    if (!withId_ && !id_.empty() && relationship.id == id_) {
      withId_ = std::make_unique<Relationship>(relationship);
    }
    if (!ofType_ && EndsWith(relationship.type, typeEnd_)) {
      ofType_ = std::make_unique<Relationship>(std::move(relationship));
    }
  }
  void EndElement(std::string_view /*name*/) override {}
  void Text(std::string_view /*text*/) override {}

  // The first of the ID and of the type asked for; null when none.
  const Relationship* withId() const { return withId_.get(); }
  const Relationship* ofType() const { return ofType_.get(); }

 private:
  std::string id_;
  std::string_view typeEnd_;
  std::unique_ptr<Relationship> withId_, ofType_;
};

// The relationship ID ("r:id") of the workbook's first <sheet>.
class FirstSheetHandler : public XmlHandler {
 public:
  void StartElement(std::string_view name,
                    const std::vector<XmlAttribute>& attributes) override {
    if (seen_ || LocalName(name) != "sheet") return;
    seen_ = true;
    for (const XmlAttribute& attribute : attributes) {
      if (LocalName(attribute.name) == "id" && attribute.name != "id") {
        id_ = attribute.value;
      }
    }
  }
  void EndElement(std::string_view /*name*/) override {}
  void Text(std::string_view /*text*/) override {}
  const std::string& id() const { return id_; }

 private:
  bool seen_ = false;
  std::string id_;
};

// The workbook's shared strings, held once in one buffer: the cells that
// refer to one are handed on as views of it, never as copies.
class SharedStrings {
 public:
  explicit SharedStrings(std::string part) : part_(std::move(part)) {}
  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t index) const {
    const std::size_t start = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(start, ends_[index] - start);
  }
  // Throws ReadFailure when a bound is passed.
  void Add(std::string_view text) {
    if (text.size() > kCellBytes) {
      Fail("a string longer than a cell holds (32,767 characters)");
    }
    if (ends_.size() == kMostSharedStrings) {
      Fail("more than " + std::to_string(kMostSharedStrings) +
           " shared strings");
    }
    if (bytes_.size() + text.size() > kSharedStringBytes) {
      Fail("more than " + std::to_string(kSharedStringBytes >> 20) +
           " MiB of shared strings");
    }
    bytes_.append(text.data(), text.size());
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw ReadFailure{part_ + " holds " + what};
  }

 private:
  std::string part_;  // as messages show it
  std::string bytes_;
  std::vector<std::uint32_t> ends_;  // of each string in bytes_
};

// Each <si>: its <t>, or the <t> of its rich-text runs <r>, without the
// phonetic reading <rPh> of East Asian text.
class SharedStringsHandler : public XmlHandler {
 public:
  explicit SharedStringsHandler(SharedStrings& strings) : strings_(strings) {}
  void StartElement(std::string_view name,
                    const std::vector<XmlAttribute>& /*attributes*/) override {
    const std::string_view local = LocalName(name);
    if (local == "si") {
      inString_ = true;
      text_.clear();
    } else if (local == "rPh") {
      ++phonetic_;
    } else if (local == "t") {
      inText_ = true;
    }
  }
  void EndElement(std::string_view name) override {
    const std::string_view local = LocalName(name);
    if (local == "si") {
      inString_ = false;
      DecodeExcelEscapes(text_);
      strings_.Add(text_);
    } else if (local == "rPh") {
      --phonetic_;
    } else if (local == "t") {
      inText_ = false;
    }
  }
  void Text(std::string_view text) override {
    if (!inString_ || !inText_ || phonetic_ != 0) return;
    if (text_.size() + text.size() > kRawCellBytes) {
      strings_.Fail("a string longer than a cell holds (32,767 characters)");
    }
    text_.append(text);
  }

 private:
  SharedStrings& strings_;
  bool inString_ = false, inText_ = false;
  int phonetic_ = 0;
  std::string text_;
};

// Column index (0 is A) and row number of a reference such as "C5".
bool ParseCellReference(std::string_view reference, std::size_t& column,
                        std::int64_t& row) {
  std::size_t i = 0;
  column = 0;
  while (i < reference.size() && i < 3 && reference[i] >= 'A' &&
         reference[i] <= 'Z') {
    column = column * 26 + static_cast<std::size_t>(reference[i] - 'A' + 1);
    ++i;
  }
  if (i == 0 || column > kSheetColumns || i == reference.size()) return false;
  --column;
  row = 0;
  for (; i < reference.size(); ++i) {
    if (reference[i] < '0' || reference[i] > '9' || row > kRows) return false;
    row = row * 10 + (reference[i] - '0');
  }
  return row >= 1 && row <= kRows;
}

bool ParseIndex(std::string_view text, std::size_t& index) {
  if (text.empty() || text.size() > 9) return false;
  index = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    index = index * 10 + static_cast<std::size_t>(c - '0');
  }
  return true;
}

// The cells of each <row>: <c r="C5" t="s"><v>12</v></c>, an inline
// <c t="inlineStr"><is><t>text</t></is></c>, a formula's string
// (t="str") or a number. Empty cells are not written: a cell's column is
// its reference's, or the one after the previous cell's.
class WorksheetHandler : public XmlHandler {
 public:
  WorksheetHandler(const SharedStrings& shared, SheetRowSink& rows)
      : shared_(shared), rows_(rows) {}

  void StartElement(std::string_view name,
                    const std::vector<XmlAttribute>& attributes) override {
    const std::string_view local = LocalName(name);
    if (local == "row") {
      StartRow(Attribute(attributes, "r"));
    } else if (local == "c" && inRow_) {
      StartCell(attributes);
    } else if (inCell_ && local == "v") {
      inValue_ = true;
    } else if (inCell_ && local == "is") {
      inInline_ = true;
    } else if (inInline_ && local == "t") {
      inText_ = true;
    } else if (inInline_ && local == "rPh") {
      ++phonetic_;
    }
  }

  void EndElement(std::string_view name) override {
    const std::string_view local = LocalName(name);
    if (local == "row" && inRow_) {
      inRow_ = false;
      HandRow();
    } else if (local == "c" && inCell_) {
      EndCell();
    } else if (local == "v") {
      inValue_ = false;
    } else if (local == "is") {
      inInline_ = false;
    } else if (local == "t") {
      inText_ = false;
    } else if (local == "rPh" && phonetic_ > 0) {
      --phonetic_;
    }
  }

  void Text(std::string_view text) override {
    if (inValue_ || (inInline_ && inText_ && phonetic_ == 0)) {
      if (value_.size() + text.size() > kRawCellBytes) {
        throw ReadFailure{LongerThanACellHolds(row_)};
      }
      value_.append(text);
    }
  }

 private:
  void StartRow(const std::string* number) {
    std::int64_t row = row_ + 1;
    if (number != nullptr) {
      std::size_t parsed;
      if (!ParseIndex(*number, parsed) || parsed < 1 ||
          parsed > static_cast<std::size_t>(kRows)) {
        throw ReadFailure{"a row number " + Shown(*number) + " that is none"};
      }
      row = static_cast<std::int64_t>(parsed);
    }
    inRow_ = true;
    row_ = row;
    column_ = 0;
    cells_.clear();
    rowText_.clear();
  }

  void StartCell(const std::vector<XmlAttribute>& attributes) {
    const std::string* reference = Attribute(attributes, "r");
    if (reference != nullptr) {
      std::int64_t row;
      if (!ParseCellReference(*reference, column_, row) || row != row_) {
        throw ReadFailure{"a cell reference " + Shown(*reference) +
                          " that is none in row " + std::to_string(row_)};
      }
    } else if (column_ >= kSheetColumns) {
      throw ReadFailure{MoreCellsThanARowHolds(row_)};
    }
    const std::string* type = Attribute(attributes, "t");
    type_ = type == nullptr ? std::string() : *type;
    inCell_ = true;
    value_.clear();
  }

  // A cell's text: a shared string's index, or where its own text lies
  // in the row's.
  struct CellText {
    bool shared = false;
    std::size_t start = 0, size = 0;
  };

  void EndCell() {
    inCell_ = false;
    CellText cell;
    if (type_ == "s") {
      if (!ParseIndex(value_, cell.start) || cell.start >= shared_.size()) {
        throw ReadFailure{"a cell in row " + std::to_string(row_) +
                          " refers to a shared string that does not exist"};
      }
      cell.shared = true;
    } else {
      if (type_ == "inlineStr" || type_ == "str") DecodeExcelEscapes(value_);
      if (value_.size() > kCellBytes) {
        throw ReadFailure{LongerThanACellHolds(row_)};
      }
      if (rowText_.size() + value_.size() > kRowBytes) {
        throw ReadFailure{MoreTextThanARowHolds(row_)};
      }
      cell.start = rowText_.size();
      cell.size = value_.size();
      rowText_ += value_;
    }
    if (cells_.size() <= column_) cells_.resize(column_ + 1);
    cells_[column_] = cell;
    ++column_;
  }

  void HandRow() {
    views_.clear();
    for (const CellText& cell : cells_) {
      views_.push_back(cell.shared ? shared_[cell.start]
                                   : std::string_view(rowText_).substr(
                                         cell.start, cell.size));
    }
    rows_.Row(row_, views_);
  }

  const SharedStrings& shared_;
  SheetRowSink& rows_;
  bool inRow_ = false, inCell_ = false, inValue_ = false, inInline_ = false,
       inText_ = false;
  int phonetic_ = 0;
  std::int64_t row_ = 0;
  std::size_t column_ = 0;
  std::string type_, value_;
  std::vector<CellText> cells_;  // by column
  std::string rowText_;          // the texts of its cells but shared strings
  std::vector<std::string_view> views_;
};

std::string RelationshipsOf(const std::string& part) {
  const std::string folder = FolderOf(part);
  return folder + "_rels/" + part.substr(folder.size()) + ".rels";
}

// The workbook part that the package's relationships name, or where every
// known writer puts it.
std::string WorkbookPart(const ZipArchive& zip) {
  if (zip.Find("_rels/.rels") != nullptr) {
    RelationshipsHandler package("", kOfficeDocument);
    ReadPart(zip, "_rels/.rels", package);
    if (const Relationship* document = package.ofType()) {
      return ResolveTarget("", document->target);
    }
  }
  return "xl/workbook.xml";
}

}  // namespace

void ReadFirstWorksheet(std::string_view bytes, SheetRowSink& rows) {
  const ZipArchive zip(bytes);
  const std::string workbook = WorkbookPart(zip);
  FirstSheetHandler firstSheet;
  ReadPart(zip, workbook, firstSheet);
  RelationshipsHandler parts(firstSheet.id(), kSharedStrings);
  ReadPart(zip, RelationshipsOf(workbook), parts);
  const Relationship* sheet = parts.withId();
  if (firstSheet.id().empty() || sheet == nullptr) {
    throw ReadFailure{"not a workbook: it names no first worksheet"};
  }
  const std::string folder = FolderOf(workbook);
  const Relationship* strings = parts.ofType();
  const std::string stringsPart = strings == nullptr
                                      ? std::string()
                                      : ResolveTarget(folder, strings->target);
  SharedStrings shared(Shown(stringsPart));
  if (strings != nullptr) {
    SharedStringsHandler handler(shared);
    ReadPart(zip, stringsPart, handler);
  }
  WorksheetHandler worksheet(shared, rows);
  ReadPart(zip, ResolveTarget(folder, sheet->target), worksheet);
}
