// The skin definition reader: an INI-style text held in memory as its kept lines (trimmed,
// without empty and comment lines) and an index of its section headers, answering section,
// key, string and integer queries. Also writes, saves and loads plain or compressed copies.
// Section names match without regard to case, keys in lower case. No Windows header.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/Streams.h"

namespace qn {

// A failed check of a caller's arguments; the message names the unit that made it.
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

using TStringVec = std::vector<std::wstring>;

class TQuickIni {
 public:
  // Replaces the content with the text from the stream's position to its end (8-bit text in
  // the system code page, read up to its first NUL). A null stream does nothing.
  void LoadFromStream(TStream* stream);
  // File names are UTF-8. File errors pass to the caller (EStreamError), as do damaged
  // compressed files (ElzhBadCount).
  void LoadFromFile(const std::string& name);
  void SaveToFile(const std::string& name) const;
  // Writes the kept lines, each ended by a carriage return and a line feed.
  void SaveToStream(TStream& stream) const;
  // The same through the compressed framing: the file holds the count and the LZH code.
  void LoadFromZip(const std::string& name);
  void SavetoZip(const std::string& name) const;

  // Section names without brackets, in file order. The lists must be given (EAssertionFailed).
  void ReadSections(TStringVec* strings) const;
  // The keys of a section's lines (lower case; lines without a key left out).
  void ReadSection(const std::wstring& section, TStringVec* strings) const;
  // A section's lines, whole.
  void ReadSectionValues(const std::wstring& section, TStringVec* strings) const;

  // The value of the first line of the section whose key is ident, or def when there is no
  // such line or its value is empty. A later line with the same key is never consulted.
  std::wstring ReadString(std::wstring_view section, std::wstring_view ident, std::wstring_view def) const;
  // That value as a number: optional sign, then decimal digits or "$" (or a leading "0x")
  // and hexadecimal digits; anything else gives def.
  int32_t ReadInteger(std::wstring_view section, std::wstring_view ident, int32_t def) const;
  bool ReadBool(std::wstring_view section, std::wstring_view ident, bool def) const;

  // Sets ident's line in the section ("ident=value", ident as given), adding the section at
  // the end when it is missing. An empty ident writes no key line.
  void WriteString(const std::wstring& section, const std::wstring& ident, const std::wstring& value);
  void WriteInteger(const std::wstring& section, const std::wstring& ident, int32_t value);
  void WriteBool(const std::wstring& section, const std::wstring& ident, bool value);
  void DeleteKey(const std::wstring& section, const std::wstring& ident);
  // Removes the header and lines of a section; an empty line stands where the header was
  // (unless it was the first line), keeping sections apart when saved.
  void EraseSection(const std::wstring& section);

  // Replaces the lines as given, then indexes their headers.
  void SetIniFile(const TStringVec& strings);
  void RebuildSections();
  void Clear();

  const TStringVec& IniFile() const { return FIniFile; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& name) {
    if (name != FFileName) FFileName = name;
  }

 private:
  struct TSection {
    std::wstring header;  // with its brackets
    int line;             // index in FIniFile
  };

  int FindSection(std::wstring_view name) const;
  // The trimmed value of the first line of the section with key ident; empty when none.
  std::wstring_view ValueView(std::wstring_view section, std::wstring_view ident) const;
  // Index of the line after the section's last one (the next header, or the end).
  size_t BodyEnd(size_t header) const;
  int FindKey(std::wstring_view section, std::wstring_view ident) const;

  // The key of every line and every header in lower case, kept until the text changes.
  const std::vector<std::wstring>& Keys() const;

  std::string FFileName;
  TStringVec FIniFile;
  std::vector<TSection> FSections;
  mutable std::vector<std::wstring> keys_;
  mutable std::unordered_map<std::wstring, int> headers_;  // lower-case header -> its line
  mutable bool keys_valid_ = false;
};

// Delphi-style string to integer: optional sign, decimal digits or "$" and hexadecimal digits
// (hexadecimal wraps to 32 bits), the whole text; def for anything else.
int32_t StrToIntDef(std::wstring_view s, int32_t def);

}  // namespace qn
