#include "skin/package/SkinRead.h"

#include <stdexcept>
#include <utility>

#include "platform/core/TextConv.h"
#include "skin/package/WinConvert.h"

namespace qn {

namespace {

TSkinMessageSink& Sink() {
  static TSkinMessageSink sink;
  return sink;
}

int32_t ReadI32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void PutI32(std::vector<uint8_t>& b, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

// The directory's lines: each ends at a carriage return, a line feed or both; a last line
// needs no ending. The text ends at its first NUL, as the original readers of the format
// stop there, so a directory padded with NULs keeps its true number of entries.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t end = text.find(L'\0');
  if (end == std::wstring::npos) end = text.size();
  size_t p = 0;
  while (p < end) {
    size_t start = p;
    while (p < end && text[p] != L'\r' && text[p] != L'\n') ++p;
    lines.push_back(text.substr(start, p - start));
    if (p < end && text[p] == L'\r') ++p;
    if (p < end && text[p] == L'\n') ++p;
  }
  return lines;
}

}  // namespace

int SkinSkipSize(int32_t version) {
  switch (version) {
    case 20000: return 0;
    case 30000: return 256;
    case 40000: return 80;
    case 50000: return 48;
    case 60000: return 117;
    case 70000: return 69;
    default: return -1;
  }
}

TSkinMessageSink SetSkinMessageSink(TSkinMessageSink sink) { return std::exchange(Sink(), std::move(sink)); }

void TSkinReader::Decompress(TStream& source, TStream& dest) { LZHDecompress(source, dest); }

bool TSkinReader::Damaged(std::string why) {
  last_error_ = std::move(why);
  return false;
}

bool TSkinReader::Loadfromstream(TStream& stream) {
  TMemoryStream archive;
  try {
    Decompress(stream, archive);
  } catch (const ElzhBadCount&) {
    return Damaged("the package's count does not fit its compressed data");
  } catch (const EStreamError&) {
    return Damaged("the package is too short to hold its count");
  }
  return LoadArchive(archive);
}

// Everything the archive claims is checked against what it holds before anything is
// allocated or copied: the head, the directory and the size table must lie within it, or the
// archive is refused. Entries are then valid up to the first whose size is negative or runs
// past the end of the data area; that one and those after it read as empty.
bool TSkinReader::LoadArchive(TStream& archive) {
  last_error_.clear();
  archive.SetPosition(0);
  int64_t total = archive.Size();
  uint8_t head[16];
  if (total < 16) return Damaged("the archive is shorter than its head");
  archive.ReadBuffer(head, 16);
  header.Version = ReadI32(head);
  header.DirLen = ReadI32(head + 4);
  header.U1 = ReadI32(head + 8);
  header.U2 = ReadI32(head + 12);

  int skip = SkinSkipSize(header.Version);
  if (skip < 0) {
    if (Sink()) Sink()(kOlderSkinMessage);
    return Damaged("unknown archive version " + std::to_string(header.Version));
  }
  int64_t dir_at = 16 + skip;
  if (header.DirLen < 0 || dir_at + header.DirLen > total) return Damaged("the directory runs past the end of the archive");

  std::string raw(static_cast<size_t>(header.DirLen), '\0');
  archive.SetPosition(dir_at);
  archive.ReadBuffer(raw.data(), raw.size());
  std::vector<std::wstring> names = SplitLines(AnsiToWide(raw));
  if (names.size() > kMaxSkinEntries) {
    return Damaged("the directory has " + std::to_string(names.size()) + " entries, more than " +
                   std::to_string(kMaxSkinEntries));
  }
  int64_t count = static_cast<int64_t>(names.size());
  int64_t data_at = dir_at + header.DirLen + 4 * count;
  if (data_at > total) return Damaged("the size table runs past the end of the archive");

  std::vector<uint8_t> table(static_cast<size_t>(4 * count));
  archive.ReadBuffer(table.data(), table.size());
  std::vector<int32_t> new_sizes(static_cast<size_t>(count));
  for (size_t i = 0; i < new_sizes.size(); ++i) new_sizes[i] = ReadI32(table.data() + 4 * i);

  for (auto& n : names) n = LowerAscii(std::move(n));
  Dir = std::move(names);
  Num = static_cast<int32_t>(count);
  sizes = std::move(new_sizes);
  data_size_ = total - data_at;
  ms.Clear();  // all of it replaced: a shorter archive must not leave the last one's tail
  if (data_size_ > 0) {
    if (auto* mem = dynamic_cast<TMemoryStream*>(&archive)) {
      // One copy from the decompressed archive, without clearing the room first.
      const std::vector<uint8_t>& all = mem->Bytes();
      ms.Bytes().assign(all.begin() + data_at, all.begin() + data_at + data_size_);
    } else {
      ms.SetSize(data_size_);
      archive.SetPosition(data_at);
      archive.ReadBuffer(ms.Memory(), static_cast<size_t>(data_size_));
    }
  }

  offsets_.clear();
  int64_t at = 0;
  for (int32_t size : sizes) {
    if (size < 0 || at + size > data_size_) break;
    offsets_.push_back(at);
    at += size;
  }
  valid_ = static_cast<int32_t>(offsets_.size());
  data_used_ = at;
  return true;
}

// An entry of size 0 gives nothing (CopyFrom would read a count of 0 as "all of it").
void TSkinReader::CopyEntry(int32_t index, TStream& stream) {
  if (index < valid_ && sizes[static_cast<size_t>(index)] > 0) {
    stream.WriteBuffer(ms.Memory() + offsets_[static_cast<size_t>(index)], static_cast<size_t>(sizes[static_cast<size_t>(index)]));
  }
  stream.SetPosition(0);
}

void TSkinReader::readfile(const std::wstring& name, TStream& stream) {
  stream.SetPosition(0);
  stream.SetSize(0);
  ms.SetPosition(0);
  std::wstring wanted = LowerAscii(name);
  for (int32_t i = 0; i < Num; ++i) {
    if (Dir[static_cast<size_t>(i)] == wanted) {
      CopyEntry(i, stream);
      return;
    }
  }
}

TSkinReader::TEntryView TSkinReader::EntryView(const std::wstring& name) const {
  std::wstring wanted = LowerAscii(name);
  for (int32_t i = 0; i < Num; ++i) {
    if (Dir[static_cast<size_t>(i)] != wanted) continue;
    if (i >= valid_ || sizes[static_cast<size_t>(i)] <= 0) return {};
    return {ms.Bytes().data() + offsets_[static_cast<size_t>(i)], static_cast<size_t>(sizes[static_cast<size_t>(i)])};
  }
  return {};
}

void TSkinReader::readIni(const std::wstring& name, TStream& stream, std::wstring& fname) {
  stream.SetPosition(0);
  stream.SetSize(0);
  ms.SetPosition(0);
  for (int32_t i = 0; i < Num; ++i) {
    const std::wstring& entry = Dir[static_cast<size_t>(i)];
    if (entry.find(name) != std::wstring::npos) {
      CopyEntry(i, stream);
      fname = entry;
      return;
    }
  }
}

TSkinWriter::TSkinWriter(int32_t version) : version_(version) {
  if (SkinSkipSize(version) < 0) throw std::invalid_argument("unknown skin version " + std::to_string(version));
}

void TSkinWriter::Add(const std::wstring& name, std::vector<uint8_t> data) {
  std::string utf8 = WideToUtf8(name);
  if (name.empty()) throw std::invalid_argument("an entry needs a name");
  if (name.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) {
    throw std::invalid_argument("entry name \"" + utf8 + "\" holds a line break or NUL");
  }
  std::string ansi = WideToAnsi(name);
  if (AnsiToWide(ansi) != name) {
    throw std::invalid_argument("entry name \"" + utf8 + "\" cannot be written in the system code page");
  }
  for (const auto& e : entries_) {
    if (SameTextAscii(e.name, ansi)) throw std::invalid_argument("entry name \"" + utf8 + "\" is already used");
  }
  if (entries_.size() >= kMaxSkinEntries) {
    throw std::invalid_argument("a skin holds at most " + std::to_string(kMaxSkinEntries) + " entries");
  }
  if (data.size() > 0x7FFFFFFF) throw std::invalid_argument("entry \"" + utf8 + "\" is too large");
  entries_.push_back({std::move(ansi), std::move(data)});
}

void TSkinWriter::SaveArchive(TStream& dest) const {
  std::string dir;
  for (const auto& e : entries_) dir += e.name + "\r\n";
  std::vector<uint8_t> head;
  PutI32(head, version_);
  PutI32(head, static_cast<int32_t>(dir.size()));
  PutI32(head, 0);
  PutI32(head, 0);
  head.resize(head.size() + static_cast<size_t>(SkinSkipSize(version_)), 0);
  head.insert(head.end(), dir.begin(), dir.end());
  for (const auto& e : entries_) PutI32(head, static_cast<int32_t>(e.data.size()));
  dest.WriteBuffer(head.data(), head.size());
  for (const auto& e : entries_) dest.WriteBuffer(e.data.data(), e.data.size());
}

void TSkinWriter::SaveToStream(TStream& dest) const {
  TMemoryStream archive;
  SaveArchive(archive);
  LZHCompress(archive, dest);
}

}  // namespace qn
