// The LZH stream codec of skin packages and compressed definition files: an LZSS coder over a
// 4096-byte window whose literals and match lengths are sent with an adaptive Huffman code and
// whose match positions with a fixed prefix code. Stored data is always framed: a 32-bit
// little-endian count of the uncompressed bytes, then the bit stream (most significant bit
// first, the last byte padded with zero bits). No Windows header.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

#include "platform/core/Streams.h"

namespace qn {

inline constexpr char kLzhNoMemory[] = "LZH : Cannot get memory for dictionary tables";
// Kept for callers that match on it: releasing the tables cannot fail here.
inline constexpr char kLzhFreeError[] = "LZH : Error freeing memory for dictionary tables";
inline constexpr char kLzhBadCount[] = "LZH : Stored count does not fit the compressed data";

class ElzhException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A framed stream whose count its code cannot hold (see LZHDecompress): damaged input, where
// the plain ElzhException means exhausted memory.
class ElzhBadCount : public ElzhException {
 public:
  ElzhBadCount() : ElzhException(kLzhBadCount) {}
};

// GetBytes fills up to count bytes and reports how many it gave (fewer only at the end of the
// input); PutBytes takes count bytes and reports how many it took.
using TGetBytesProc = std::function<void(void* buffer, uint16_t count, uint16_t& done)>;
using TPutBytesProc = std::function<void(const void* buffer, uint16_t count, uint16_t& done)>;

class TLZH {
 public:
  // Compresses everything GetBytes delivers into PutBytes (without the count, which the caller
  // writes first). Bytes_Written receives the number of input bytes consumed. An empty input
  // produces no code at all.
  void LZHPack(int32_t& Bytes_Written, const TGetBytesProc& GetBytes, const TPutBytesProc& PutBytes);
  // Decodes until exactly TextSize bytes have been delivered. Input that ends early reads as
  // zero bits: the count is always delivered.
  void LZHUnpack(int32_t TextSize, const TGetBytesProc& GetBytes, const TPutBytesProc& PutBytes);

  // The standard reader over StreamIn and writer over StreamOut. The writer throws EStreamError
  // when the stream takes fewer bytes than given.
  void GetBlockStream(void* buffer, uint16_t count, uint16_t& done);
  void PutBlockStream(const void* buffer, uint16_t count, uint16_t& done);

  TStream* StreamIn = nullptr;   // not owned
  TStream* StreamOut = nullptr;  // not owned

  // After a call: bytes of text handled, bytes of code written (pack) or used (unpack), and
  // whether the decoder needed bits past the end of its input.
  int32_t textsize = 0;
  int32_t codesize = 0;
  bool ranout = false;
};

// What a framed stream held, as found by LZHDecompress.
struct TLzhFrameInfo {
  uint32_t Count = 0;      // the stored count
  int64_t CodeBytes = 0;   // bytes after the count
  int64_t CodeUsed = 0;    // bytes of them the decoder needed
  bool RanOut = false;     // the code ended before the count was reached
};

// The largest count a frame with code_bytes of code can honestly hold (see LZHDecompress).
int64_t LzhMaxCount(int64_t code_bytes);

// Decompresses the framed stream in source (from position 0) into dest, which is emptied and
// then written from position 0. A count that no encoder could have produced from the code that
// follows it (more than LzhMaxCount bytes, or 2^31 or more) is refused with ElzhBadCount
// before anything is decoded: such a count on a few bytes of input would otherwise be
// delivered in full from zero bits. Honest but truncated input still yields exactly the count,
// padded as the decoder reads zero bits. A source too short to hold the count throws
// EStreamError.
void LZHDecompress(TStream& source, TStream& dest, TLzhFrameInfo* info = nullptr);
// Compresses all of source (from position 0) into dest (emptied first): count, then code.
void LZHCompress(TStream& source, TStream& dest);

}  // namespace qn
