#include "platform/core/XpCompat.h"

namespace qn::compat {

uint64_t ExtendTickCount(uint64_t last, uint32_t now) {
  if (last == 0) return now;  // the first read
  // How far the 32-bit count moved on since `last`, across a wrap too; a count behind `last`
  // was read before another thread stored a newer one.
  const auto moved = static_cast<int32_t>(now - static_cast<uint32_t>(last));
  return moved > 0 ? last + static_cast<uint64_t>(moved) : last;
}

}  // namespace qn::compat
