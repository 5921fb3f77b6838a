// Skin archives: a skin package is a framed LZH stream (WinConvert.h) holding an archive of a
// 16-byte head, a block whose size depends on the format version, a directory of entry names
// (one per line), a table of their sizes and their bytes back to back. TSkinReader hands out
// single entries by name; TSkinWriter makes packages of any version. No Windows header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Streams.h"

namespace qn {

struct TSkinHeader {
  int32_t Version = 0;
  int32_t DirLen = 0;  // bytes of directory text
  int32_t U1 = 0;      // not used
  int32_t U2 = 0;      // not used
};
static_assert(sizeof(TSkinHeader) == 16);

inline constexpr int32_t kSkinVersions[] = {20000, 30000, 40000, 50000, 60000, 70000};
inline constexpr int kMaxSkinEntries = 1001;

// Bytes between the head and the directory for a format version; -1 for an unknown version.
int SkinSkipSize(int32_t version);

// The one message the reader has for the user, shown for an archive of unknown version.
inline constexpr char kOlderSkinMessage[] = "This is Older Skin File\rPlease update to new version !";

// Receives the reader's user messages. The program installs one that shows a message box;
// tools and tests install their own. None is installed by default (nothing is shown).
using TSkinMessageSink = std::function<void(const std::string&)>;
// Installs sink and returns the previous one.
TSkinMessageSink SetSkinMessageSink(TSkinMessageSink sink);

class TSkinReader {
 public:
  // Decompresses the framed stream in source into dest (see LZHDecompress).
  static void Decompress(TStream& source, TStream& dest);

  // Reads a package from position 0 of stream. False for an unknown version (after showing
  // kOlderSkinMessage) and for a package too damaged to find its entries in; the reader's
  // entries are then unchanged. LastError says which.
  [[nodiscard]] bool Loadfromstream(TStream& stream);
  // The same for an archive that is already decompressed.
  [[nodiscard]] bool LoadArchive(TStream& archive);

  // Copies the entry named name (compared in lower case) into stream, which is emptied first
  // and rewound after; stays empty when there is no such entry.
  void readfile(const std::wstring& name, TStream& stream);
  // The bytes of the entry named name, in place (valid until the next load); empty when
  // there is no such entry.
  struct TEntryView {
    const uint8_t* data = nullptr;
    size_t size = 0;
  };
  TEntryView EntryView(const std::wstring& name) const;
  // Copies the first entry whose name contains name (case-sensitive) into stream and returns
  // its name in fname; stream empty and fname unchanged when none does.
  void readIni(const std::wstring& name, TStream& stream, std::wstring& fname);

  // Why the last load failed; empty after one that succeeded.
  const std::string& LastError() const { return last_error_; }
  // Entries from this index on do not lie within the data area: their sizes are negative or
  // run past its end (or follow one that does). They read as empty.
  int32_t ValidEntries() const { return valid_; }
  // Bytes of the data area, and how many of them the valid entries take.
  int64_t DataSize() const { return data_size_; }
  int64_t DataUsed() const { return data_used_; }

  std::vector<std::wstring> Dir;  // entry names, lower case, in directory order
  int32_t Num = 0;                // number of entries
  std::vector<int32_t> sizes;     // entry sizes, in directory order
  TMemoryStream ms;               // the data area
  TSkinHeader header;             // head of the last archive read

 private:
  bool Damaged(std::string why);
  void CopyEntry(int32_t index, TStream& stream);

  std::vector<int64_t> offsets_;  // of the valid entries within ms
  int32_t valid_ = 0;
  int64_t data_size_ = 0;
  int64_t data_used_ = 0;
  std::string last_error_;
};

// Makes skin packages. Names are stored as given, in the system code page; the reader finds
// them in lower case.
class TSkinWriter {
 public:
  // Throws std::invalid_argument for a version that is not one of kSkinVersions.
  explicit TSkinWriter(int32_t version = 70000);

  // Adds an entry after the others. Throws std::invalid_argument for an empty name, a name
  // with a line break or NUL or with characters the system code page lacks, a name already
  // present (compared in lower case, as readers look them up), and past kMaxSkinEntries.
  void Add(const std::wstring& name, std::vector<uint8_t> data);

  // Writes the decompressed archive into dest from its position.
  void SaveArchive(TStream& dest) const;
  // Writes the package (the framed, compressed archive) into dest, which is emptied first.
  void SaveToStream(TStream& dest) const;

  int32_t Version() const { return version_; }
  size_t Count() const { return entries_.size(); }

 private:
  struct TEntry {
    std::string name;  // system code page
    std::vector<uint8_t> data;
  };
  int32_t version_;
  std::vector<TEntry> entries_;
};

}  // namespace qn
