// Decodes any bytes as a framed LZH stream, and packs them and unpacks the result, which must
// give them back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/package/WinConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  {
    qn::TMemoryStream in(bytes), out;
    qn::TLzhFrameInfo info;
    try {
      qn::LZHDecompress(in, out, &info);
      if (out.Size() != info.Count || info.Count > qn::LzhMaxCount(info.CodeBytes)) std::abort();
    } catch (const qn::ElzhBadCount&) {
    } catch (const qn::EStreamError&) {
    }
  }
  qn::TMemoryStream plain(bytes), packed, back;
  qn::LZHCompress(plain, packed);
  qn::TLzhFrameInfo info;
  qn::LZHDecompress(packed, back, &info);
  if (back.Bytes() != bytes || info.RanOut || info.CodeUsed != info.CodeBytes) std::abort();
  return 0;
}
