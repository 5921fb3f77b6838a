// JPEG pictures through libjpeg-turbo.
#include <turbojpeg.h>

#include "platform/win/Graphics.h"

namespace qn {

void DecodeJpeg(const std::vector<uint8_t>& bytes, TBitmap& out) {
  tjhandle tj = tjInitDecompress();
  if (!tj) throw EStreamError("JPEG decoder unavailable");
  struct Closer {
    tjhandle h;
    ~Closer() { tjDestroy(h); }
  } closer{tj};
  int width = 0, height = 0, subsamp = 0, colorspace = 0;
  auto* data = const_cast<unsigned char*>(bytes.data());
  auto size = static_cast<unsigned long>(bytes.size());
  if (tjDecompressHeader3(tj, data, size, &width, &height, &subsamp, &colorspace) != 0 || width <= 0 ||
      height <= 0 || int64_t(width) * height > (int64_t(1) << 26))
    throw EStreamError("JPEG error: not a valid picture");
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  if (tjDecompress2(tj, data, size, pixels.data(), width, width * 3, height, TJPF_BGR, 0) != 0)
    throw EStreamError(std::string("JPEG error: ") + tjGetErrorStr2(tj));
  out.LoadPixels24(width, height, pixels.data(), width * 3, true);
}

}  // namespace qn
