#include "platform/core/Streams.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/core/TextConv.h"

namespace qn {

int64_t TStream::Remaining() {
  int64_t left = Size() - Position();
  return left > 0 ? left : 0;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  uint8_t buf[65536];
  int64_t done = 0;
  while (done < count) {
    size_t n = static_cast<size_t>(std::min<int64_t>(sizeof buf, count - done));
    source.ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    done += static_cast<int64_t>(n);
  }
  return done;
}

uint32_t TStream::ReadU32() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void TStream::WriteU32(uint32_t v) {
  const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  WriteBuffer(b, 4);
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  if (pos_ >= data_.size() || count == 0) return 0;
  size_t n = std::min(count, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? static_cast<int64_t>(pos_)
                                                    : static_cast<int64_t>(data_.size());
  int64_t p = base + offset;
  pos_ = p < 0 ? 0 : static_cast<size_t>(p);
  return static_cast<int64_t>(pos_);
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(size < 0 ? 0 : static_cast<size_t>(size));
  pos_ = std::min(pos_, data_.size());
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  data_.resize(static_cast<size_t>(source.Size()));
  source.ReadBuffer(data_.data(), data_.size());
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& utf8_path) {
  TFileStream f(utf8_path, TFileMode::fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteBuffer(data_.data(), data_.size()); }

void TMemoryStream::SaveToFile(const std::string& utf8_path) {
  TFileStream f(utf8_path, TFileMode::fmCreate);
  SaveToStream(f);
}

TFileStream::TFileStream(const std::string& utf8_path, TFileMode mode) {
  const char* m = mode == TFileMode::fmOpenRead ? "rb" : mode == TFileMode::fmCreate ? "w+b" : "r+b";
#ifdef _WIN32
  std::wstring wpath = Utf8ToWide(utf8_path);
  std::wstring wm(m, m + std::strlen(m));
  file_ = _wfopen(wpath.c_str(), wm.c_str());
#else
  file_ = std::fopen(utf8_path.c_str(), m);
#endif
  if (!file_) {
    throw EStreamError(mode == TFileMode::fmCreate ? "Cannot create file \"" + utf8_path + "\""
                                                   : "Cannot open file \"" + utf8_path + "\"");
  }
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

size_t TFileStream::Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, file_); }

size_t TFileStream::Write(const void* buffer, size_t count) {
  return std::fwrite(buffer, 1, count, file_);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
               : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                  : SEEK_END;
#ifdef _WIN32
  _fseeki64(file_, offset, whence);
  return _ftelli64(file_);
#else
  fseeko(file_, offset, whence);
  return ftello(file_);
#endif
}

int64_t TFileStream::Size() {
  int64_t here = Position();
  int64_t end = Seek(0, TSeekOrigin::soEnd);
  SetPosition(here);
  return end;
}

void TFileStream::SetSize(int64_t size) {
  std::fflush(file_);
#ifdef _WIN32
  _chsize_s(_fileno(file_), size);
#else
  if (ftruncate(fileno(file_), size) != 0) throw EStreamError("Cannot resize file");
#endif
}

}  // namespace qn
