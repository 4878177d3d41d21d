#include "tools/mksetup/description.h"

#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <utility>

#include <toml++/toml.h>

#include "base/error.h"
#include "tools/mksetup/gbk_text.h"

namespace setup {
namespace {

using Words = std::vector<std::pair<std::string_view, uint8_t>>;

const Words kPlaceWords = {{"desktop", 0}, {"group", 1}, {"both", 2}};
const Words kKindWords = {{"bool", 0}, {"string", 1}, {"integer", 2}};

struct TextField {
  std::string_view key;
  ShortStringField field;
  bool required;
};

const TextField kTextFields[] = {
    {"AuthorName", field::kAuthorName, false},   {"VendorName", field::kVendorName, true},
    {"WebSite", field::kWebSite, false},         {"CopyrightText", field::kCopyrightText, false},
    {"VersionText", field::kVersionText, false}, {"ReleaseDate", field::kReleaseDate, false},
    {"ProductName", field::kProductName, true},  {"FolderName", field::kFolderName, true},
    {"CategoryText", field::kCategoryText, false}, {"IntroText", field::kIntroText, false},
    {"InstallDate", field::kInstallDate, false}, {"SecondDate", field::kSecondDate, false},
    {"InstallFolder", field::kInstallFolder, false},
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower;
}

// The characters that no file name may hold besides control characters.
bool IsBadInFileName(char c, const char* alsoBad) {
  return static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c) || std::strchr(alsoBad, c);
}

// Why `path` (UTF-8) cannot be a packed file's path; empty when it can.
std::string RelPathProblem(std::string_view path) {
  if (path.empty() || path[0] != '\\') return "must begin with a backslash";
  size_t start = 1;
  for (;;) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    // ".." climbs; Windows also drops trailing dots and blanks, so ". ." and
    // "..." would too.
    if (part.find_first_not_of(". ") == std::string_view::npos && part.find("..") != std::string_view::npos) {
      return "climbs out of the install folder";
    }
    for (const char c : part) {
      if (IsBadInFileName(c, "/")) return "holds a character that a file name cannot hold";
    }
    if (end == path.size()) return part.empty() ? "names no file" : "";
    start = end + 1;
  }
}

// Reads the keys of one TOML table; every message names the place in the
// description and the field.
class TableReader {
 public:
  TableReader(const toml::table& table, std::string prefix, const std::string& name)
      : table_(table), prefix_(std::move(prefix)), name_(name) {}

  std::string Field(std::string_view key) const { return prefix_.empty() ? std::string(key) : prefix_ + "." + std::string(key); }

  std::string Where(const toml::node* at) const {
    const auto line = (at ? at->source() : table_.source()).begin.line;
    return line ? name_ + ":" + std::to_string(line) : name_;
  }

  // "product.toml:12: Files[2].Source": the key's line, or the table's.
  std::string Location(std::string_view key) const { return Where(table_.get(key)) + ": " + Field(key); }

  [[noreturn]] void Fail(std::string_view key, const std::string& what) const { throw Error(Location(key) + " " + what); }

  const toml::node* Take(std::string_view key) {
    used_.insert(std::string(key));
    return table_.get(key);
  }

  std::optional<std::string> Utf8(std::string_view key) {
    const toml::node* node = Take(key);
    if (!node) return std::nullopt;
    if (!node->is_string()) Fail(key, "must be a string");
    return node->as_string()->get();
  }

  // The GBK form of a UTF-8 value, checked against the field's capacity.
  std::string ToText(std::string_view key, const std::string& utf8, size_t capacity) const {
    std::string gbk;
    try {
      gbk = GbkFromUtf8(utf8);
    } catch (const Error& e) {
      Fail(key, e.what());
    }
    if (gbk.size() > capacity) {
      Fail(key, "is " + std::to_string(gbk.size()) + " bytes long in GBK; at most " + std::to_string(capacity) + " fit");
    }
    return gbk;
  }

  std::string Text(std::string_view key, size_t capacity, bool required) {
    const auto utf8 = Utf8(key);
    if (!utf8) {
      if (required) Fail(key, "is missing");
      return {};
    }
    return ToText(key, *utf8, capacity);
  }

  std::optional<int64_t> Integer(std::string_view key, int64_t min, int64_t max) {
    const toml::node* node = Take(key);
    if (!node) return std::nullopt;
    if (!node->is_integer()) Fail(key, "must be a whole number");
    const int64_t value = node->as_integer()->get();
    if (value < min || value > max) {
      Fail(key, "is " + std::to_string(value) + "; it must lie from " + std::to_string(min) + " to " + std::to_string(max));
    }
    return value;
  }

  // A byte field: a number from 0 to 255, or one of `words`, or (when
  // `allowBool`) true or false.
  std::optional<uint8_t> Byte(std::string_view key, const Words& words, bool allowBool) {
    const toml::node* node = Take(key);
    if (!node) return std::nullopt;
    if (allowBool && node->is_boolean()) return node->as_boolean()->get() ? 1 : 0;
    if (node->is_string()) {
      for (const auto& [word, value] : words) {
        if (node->as_string()->get() == word) return value;
      }
    }
    if (!node->is_integer()) {
      std::string expected;
      for (const auto& [word, value] : words) expected += Quoted(word) + ", ";
      if (allowBool) expected += "true, false, ";
      Fail(key, "must be " + expected + "or a number from 0 to 255");
    }
    return static_cast<uint8_t>(*Integer(key, 0, 255));
  }

  const toml::array* Array(std::string_view key) {
    const toml::node* node = Take(key);
    if (!node) return nullptr;
    if (!node->is_array()) Fail(key, "must be an array of tables ([[" + std::string(key) + "]])");
    const toml::array* array = node->as_array();
    if (array->size() > static_cast<size_t>(kTableCapacity)) {
      Fail(key, "has " + std::to_string(array->size()) + " entries; a table holds at most 256");
    }
    return array;
  }

  TableReader Element(const toml::array& array, std::string_view key, size_t index) const {
    const std::string field = Field(key) + "[" + std::to_string(index) + "]";
    const toml::table* table = array.get(index)->as_table();
    if (!table) throw Error(Where(array.get(index)) + ": " + field + " must be a table");
    return TableReader(*table, field, name_);
  }

  // Every key must have been taken; `computed` are keys that mksetup
  // works out itself.
  void Finish(const std::set<std::string_view>& computed = {}) const {
    for (const auto& [key, node] : table_) {
      if (used_.count(std::string(key.str()))) continue;
      throw Error(Where(&node) + ": " + Field(key.str()) +
                  (computed.count(key.str()) ? " is worked out by mksetup and cannot be given" : " is not a known key"));
    }
  }

 private:
  const toml::table& table_;
  std::string prefix_;
  const std::string& name_;
  std::set<std::string> used_;
};

// Files: the record's entries and where their bytes come from. Returns the
// UTF-8 paths (in lower case) for the shortcuts to refer to.
std::vector<std::string> ReadFiles(TableReader& top, ProductDescription& d) {
  std::vector<std::string> paths;
  const toml::array* files = top.Array("Files");
  for (size_t i = 0; files && i < files->size(); ++i) {
    TableReader r = top.Element(*files, "Files", i);
    const auto relPath = r.Utf8("RelPath");
    if (!relPath) r.Fail("RelPath", "is missing");
    if (const std::string problem = RelPathProblem(*relPath); !problem.empty()) r.Fail("RelPath", Quoted(*relPath) + " " + problem);
    SetupFileEntry entry;
    entry.relPath = r.ToText("RelPath", *relPath, 128);
    if (HasBackslashTrailByte(entry.relPath)) {
      r.Fail("RelPath", Quoted(*relPath) + " holds a character whose GBK form ends in a backslash byte, "
                                           "which the installer would take for a folder separator");
    }
    const std::string lower = AsciiLower(*relPath);
    for (size_t j = 0; j < paths.size(); ++j) {
      if (paths[j] == lower) r.Fail("RelPath", Quoted(*relPath) + " names the same file as Files[" + std::to_string(j) + "]");
    }
    paths.push_back(lower);
    entry.entryFlag = r.Byte("EntryFlag", {}, false).value_or(1);
    entry.reserved = r.Byte("Reserved", {}, false).value_or(0);
    d.config.SetFile(static_cast<int>(i), entry);

    std::string source = relPath->substr(1);
    for (char& c : source) c = c == '\\' ? '/' : c;
    d.sources.push_back({r.Utf8("Source").value_or(source), r.Location("Source")});
    r.Finish({"Offset", "Size"});
  }
  d.config.SetInt(field::kFileCount, static_cast<int32_t>(paths.size()));
  return paths;
}

int32_t ShortcutTarget(TableReader& r, const std::vector<std::string>& paths) {
  const auto file = r.Utf8("File");
  const auto index = r.Integer("FileIndex", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  if (file && index) r.Fail("File", "and FileIndex cannot both be given");
  if (index) {
    if (*index < 0 || *index >= static_cast<int64_t>(paths.size())) {
      r.Fail("FileIndex", std::to_string(*index) + " names no packed file; the package has " + std::to_string(paths.size()));
    }
    return static_cast<int32_t>(*index);
  }
  if (!file) r.Fail("File", "is missing (the RelPath of a packed file)");
  for (size_t j = 0; j < paths.size(); ++j) {
    if (paths[j] == AsciiLower(*file)) return static_cast<int32_t>(j);
  }
  r.Fail("File", Quoted(*file) + " names no packed file");
}

void ReadShortcuts(TableReader& top, ProductDescription& d, const std::vector<std::string>& paths) {
  const toml::array* shortcuts = top.Array("Shortcuts");
  const size_t count = shortcuts ? shortcuts->size() : 0;
  for (size_t i = 0; i < count; ++i) {
    TableReader r = top.Element(*shortcuts, "Shortcuts", i);
    SetupShortcutEntry entry;
    const auto caption = r.Utf8("Caption");
    if (!caption || caption->empty()) r.Fail("Caption", "is missing (the name of the shortcut)");
    for (const char c : *caption) {
      if (IsBadInFileName(c, "/\\")) r.Fail("Caption", Quoted(*caption) + " holds a character that a file name cannot hold");
    }
    entry.caption = r.ToText("Caption", *caption, 128);
    entry.fileIndex = ShortcutTarget(r, paths);
    const auto place = r.Byte("Place", kPlaceWords, false);
    if (!place) r.Fail("Place", "is missing (\"desktop\", \"group\" or \"both\")");
    entry.place = *place;
    entry.arguments = r.Text("Arguments", 128, false);
    r.Finish();
    d.config.SetShortcut(static_cast<int>(i), entry);
  }
  d.config.SetInt(field::kShortcutCount, static_cast<int32_t>(count));
  // The first unused entry holds the builder's template row.
  if (count < static_cast<size_t>(kTableCapacity)) d.config.SetShortcut(static_cast<int>(count), {kShortcutTemplateCaption, 0, 0, ""});
}

void ReadRegValues(TableReader& top, ProductDescription& d) {
  const toml::array* values = top.Array("RegValues");
  const size_t count = values ? values->size() : 0;
  for (size_t i = 0; i < count; ++i) {
    TableReader r = top.Element(*values, "RegValues", i);
    SetupRegValueEntry entry;
    entry.valueName = r.Text("ValueName", 128, true);
    entry.useCurrentUser = r.Byte("UseCurrentUser", {}, true).value_or(0);
    entry.keyPath = r.Text("KeyPath", 128, true);
    const auto boolValue = r.Byte("BoolValue", {}, true);
    const auto stringValue = r.Utf8("StringValue");
    const auto intValue = r.Integer("IntValue", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    entry.boolValue = boolValue.value_or(0);
    entry.stringValue = stringValue ? r.ToText("StringValue", *stringValue, 128) : "";
    entry.intValue = static_cast<int32_t>(intValue.value_or(0));
    if (const auto kind = r.Byte("Kind", kKindWords, false)) {
      entry.kind = *kind;
    } else if (boolValue.has_value() + stringValue.has_value() + intValue.has_value() == 1) {
      entry.kind = boolValue ? 0 : stringValue ? 1 : 2;
    } else {
      r.Fail("Kind", "is missing; give it, or exactly one of BoolValue, StringValue and IntValue");
    }
    r.Finish();
    d.config.SetRegValue(static_cast<int>(i), entry);
  }
  d.config.SetInt(field::kRegValueCount, static_cast<int32_t>(count));
}

}  // namespace

ProductDescription ParseDescription(std::string_view toml, const std::string& name) {
  toml::table table;
  try {
    table = toml::parse(toml, name);
  } catch (const toml::parse_error& e) {
    const auto& at = e.source().begin;
    throw Error(name + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": " + std::string(e.description()));
  }
  ProductDescription d;
  TableReader top(table, "", name);
  for (const TextField& f : kTextFields) d.config.SetText(f.field, top.Text(f.key, f.field.capacity, f.required));
  const std::vector<std::string> paths = ReadFiles(top, d);
  ReadShortcuts(top, d, paths);
  ReadRegValues(top, d);
  top.Finish({"PackChecksum", "FileCount", "ShortcutCount", "RegValueCount"});
  return d;
}

}  // namespace setup
