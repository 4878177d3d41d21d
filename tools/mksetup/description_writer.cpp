#include "tools/mksetup/description_writer.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/mksetup/gbk_text.h"

namespace setup {
namespace {

struct NamedText {
  const char* key;
  ShortStringField field;
};

const NamedText kTexts[] = {
    {"AuthorName", field::kAuthorName},     {"VendorName", field::kVendorName},   {"WebSite", field::kWebSite},
    {"CopyrightText", field::kCopyrightText}, {"VersionText", field::kVersionText}, {"ReleaseDate", field::kReleaseDate},
    {"ProductName", field::kProductName},   {"FolderName", field::kFolderName},   {"CategoryText", field::kCategoryText},
    {"IntroText", field::kIntroText},       {"InstallDate", field::kInstallDate}, {"SecondDate", field::kSecondDate},
    {"InstallFolder", field::kInstallFolder},
};

class Writer {
 public:
  void Text(const char* key, const std::string& gbk) {
    bool lossless = true;
    const std::string utf8 = Utf8FromGbk(gbk, &lossless);
    if (!lossless) out_ << "# " << key << " holds bytes that are not GBK; they are shown as U+FFFD\n";
    out_ << key << " = " << TomlString(utf8) << "\n";
  }
  void Number(const char* key, int64_t value) { out_ << key << " = " << value << "\n"; }
  void Word(const char* key, const char* word) { out_ << key << " = \"" << word << "\"\n"; }
  // A byte that means yes or no: true for 1, the number otherwise.
  void Flag(const char* key, uint8_t value) {
    if (value == 1) {
      out_ << key << " = true\n";
    } else {
      Number(key, value);
    }
  }
  std::ostringstream& Raw() { return out_; }
  std::string Str() const { return out_.str(); }

 private:
  std::ostringstream out_;
};

// Folded as the description folds paths: in UTF-8, where no byte of a
// Chinese character can pass for a Latin letter.
std::string FoldedPath(const std::string& gbk) {
  std::string text = Utf8FromGbk(gbk);
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

// Whether a shortcut can name its target by path: the index is in use and
// no earlier entry has the same path (the description matches paths
// without regard to case, the first one wins).
bool TargetHasUniquePath(const SetupConfig& config, int fileCount, int32_t index) {
  if (index < 0 || index >= fileCount) return false;
  const std::string path = FoldedPath(config.File(index).relPath);
  for (int j = 0; j < index; ++j) {
    if (FoldedPath(config.File(j).relPath) == path) return false;
  }
  return true;
}

}  // namespace

std::string TomlString(const std::string& text) {
  // Paths read best as literal strings, whose backslashes are not escapes.
  const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
    return c == '\'' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
  if (plain && text.find('\\') != std::string::npos) return "'" + text + "'";
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escape;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string DescribeRecord(const SetupConfig& config) {
  Writer w;
  for (const NamedText& t : kTexts) w.Text(t.key, config.Text(t.field));

  const int files = EntriesInUse(config.FileCount());
  for (int i = 0; i < files; ++i) {
    const SetupFileEntry e = config.File(i);
    w.Raw() << "\n[[Files]]\n";
    w.Raw() << "# Files[" << i << "]: " << e.size << " bytes at offset " << e.offset << "\n";
    w.Text("RelPath", e.relPath);
    if (e.entryFlag != 1) w.Number("EntryFlag", e.entryFlag);
    if (e.reserved != 0) w.Number("Reserved", e.reserved);
  }

  static const char* const kPlaces[] = {"desktop", "group", "both"};
  const int shortcuts = EntriesInUse(config.ShortcutCount());
  for (int i = 0; i < shortcuts; ++i) {
    const SetupShortcutEntry e = config.Shortcut(i);
    w.Raw() << "\n[[Shortcuts]]\n";
    w.Text("Caption", e.caption);
    if (TargetHasUniquePath(config, files, e.fileIndex)) {
      w.Text("File", config.File(e.fileIndex).relPath);
    } else {
      w.Number("FileIndex", e.fileIndex);
    }
    if (e.place <= 2) {
      w.Word("Place", kPlaces[e.place]);
    } else {
      w.Number("Place", e.place);
    }
    if (!e.arguments.empty()) w.Text("Arguments", e.arguments);
  }

  static const char* const kKinds[] = {"bool", "string", "integer"};
  const int values = EntriesInUse(config.RegValueCount());
  for (int i = 0; i < values; ++i) {
    const SetupRegValueEntry e = config.RegValue(i);
    w.Raw() << "\n[[RegValues]]\n";
    w.Text("ValueName", e.valueName);
    if (e.useCurrentUser != 0) w.Flag("UseCurrentUser", e.useCurrentUser);
    w.Text("KeyPath", e.keyPath);
    if (e.kind <= 2) {
      w.Word("Kind", kKinds[e.kind]);
    } else {
      w.Number("Kind", e.kind);
    }
    if (e.boolValue != 0) w.Flag("BoolValue", e.boolValue);
    if (!e.stringValue.empty()) w.Text("StringValue", e.stringValue);
    if (e.intValue != 0) w.Number("IntValue", e.intValue);
  }
  return w.Str();
}

}  // namespace setup
