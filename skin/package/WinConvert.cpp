#include "skin/package/WinConvert.h"

#include "skin/package/LzhModel.h"

namespace qn {

void TLZH::GetBlockStream(void* buffer, uint16_t count, uint16_t& done) {
  done = static_cast<uint16_t>(StreamIn->Read(buffer, count));
}

void TLZH::PutBlockStream(const void* buffer, uint16_t count, uint16_t& done) {
  StreamOut->WriteBuffer(buffer, count);
  done = count;
}

int64_t LzhMaxCount(int64_t code_bytes) {
  return code_bytes <= 0 ? 0 : code_bytes * lzh::kMaxBytesPerCodeByte;
}

void LZHDecompress(TStream& source, TStream& dest, TLzhFrameInfo* info) {
  source.SetPosition(0);
  dest.SetPosition(0);
  dest.SetSize(0);
  uint32_t count = source.ReadU32();
  int64_t code_bytes = source.Remaining();
  if (count > 0x7FFFFFFFu || static_cast<int64_t>(count) > LzhMaxCount(code_bytes)) {
    throw ElzhBadCount();
  }
  TLZH lzh;
  lzh.StreamIn = &source;
  lzh.StreamOut = &dest;
  lzh.LZHUnpack(
      static_cast<int32_t>(count),
      [&lzh](void* b, uint16_t n, uint16_t& d) { lzh.GetBlockStream(b, n, d); },
      [&lzh](const void* b, uint16_t n, uint16_t& d) { lzh.PutBlockStream(b, n, d); });
  if (info) {
    info->Count = count;
    info->CodeBytes = code_bytes;
    info->CodeUsed = lzh.codesize;
    info->RanOut = lzh.ranout;
  }
}

void LZHCompress(TStream& source, TStream& dest) {
  source.SetPosition(0);
  dest.SetPosition(0);
  dest.SetSize(0);
  int64_t size = source.Size();
  if (size > 0x7FFFFFFF) throw ElzhException("LZH : Input too large");
  dest.WriteU32(static_cast<uint32_t>(size));
  TLZH lzh;
  lzh.StreamIn = &source;
  lzh.StreamOut = &dest;
  int32_t written = 0;
  lzh.LZHPack(
      written, [&lzh](void* b, uint16_t n, uint16_t& d) { lzh.GetBlockStream(b, n, d); },
      [&lzh](const void* b, uint16_t n, uint16_t& d) { lzh.PutBlockStream(b, n, d); });
  // The count went out first; a source that gave less than its size would make it a lie.
  if (written != size) throw EStreamError("Stream read error");
}

}  // namespace qn
