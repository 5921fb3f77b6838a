// What the drawing routines share below their interface: off-screen buffers kept between
// calls, so that painting does not allocate, and the copy that leaves one colour out.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win/Graphics.h"

namespace qn::skinblit {

// The kept buffers, one per job, so that a routine may hold one while it calls another.
enum class TPool { kCompose, kTile, kCount };

// A device-compatible surface of at least width x height lent for the length of one call,
// black over width x height, its DC in COLORONCOLOR stretch mode. It comes from the pool when
// the pool is free and the size reasonable, else it is made for this call alone.
class TBufferLease {
 public:
  TBufferLease(TPool pool, int width, int height);
  TBufferLease(const TBufferLease&) = delete;
  TBufferLease& operator=(const TBufferLease&) = delete;
  ~TBufferLease();

  // Null when no surface could be made.
  HDC DC() const { return dc_; }

 private:
  TPool pool_;
  bool pooled_ = false;
  std::unique_ptr<TBitmap> own_;
  HDC dc_ = nullptr;
};

// Copies width x height of src at (src_x, src_y) to dst at (x, y), except the pixels of
// exactly `color`, where dst keeps its own. The source rectangle must lie inside src's bitmap.
void TransparentCopy(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, COLORREF color);

// Frees every kept buffer.
void ReleaseBuffers();

}  // namespace qn::skinblit
