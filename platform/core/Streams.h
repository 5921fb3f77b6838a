// Byte streams: the seekable stream interface shared by the skin readers, the form reader
// and the data components, with memory and file implementations. No Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace qn {

// Raised for file errors and for reads that a caller requires to be complete.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Reads up to count bytes; returns how many were read (fewer only at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Moves the position and returns the new one. Positions past the end are allowed.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  // Bytes from the position to the end (0 when the position is past the end).
  int64_t Remaining();

  // Reads exactly count bytes or throws EStreamError.
  void ReadBuffer(void* buffer, size_t count);
  // Writes exactly count bytes or throws EStreamError.
  void WriteBuffer(const void* buffer, size_t count);
  // Copies count bytes from source's position (all of source from position 0 when count is 0).
  int64_t CopyFrom(TStream& source, int64_t count);

  // Little-endian helpers; Read32 throws when fewer than four bytes are left.
  uint32_t ReadU32();
  void WriteU32(uint32_t value);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  void Clear() { data_.clear(); pos_ = 0; }
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& utf8_path);
  void SaveToStream(TStream& dest);
  void SaveToFile(const std::string& utf8_path);

  uint8_t* Memory() { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t>& Bytes() { return data_; }

 private:
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

enum class TFileMode { fmOpenRead, fmCreate, fmOpenReadWrite };

// A file opened by a UTF-8 path (converted to UTF-16 on Windows).
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& utf8_path, TFileMode mode);
  ~TFileStream() override;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace qn
