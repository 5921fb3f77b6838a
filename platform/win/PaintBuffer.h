// Off-screen composition for WM_PAINT: a painter draws into the buffer's DC in window
// coordinates, then the buffer is copied to the screen in one blit. The bitmap behind it is
// shared and only grows, so painting does not allocate.
#pragma once

#include <windows.h>

namespace qn {

class TPaintBuffer {
 public:
  // area: the part of the target to compose, in the target's coordinates.
  TPaintBuffer(HDC target, const RECT& area);
  TPaintBuffer(const TPaintBuffer&) = delete;
  TPaintBuffer& operator=(const TPaintBuffer&) = delete;
  ~TPaintBuffer();

  HDC DC() const { return dc_; }
  void CopyOut();

 private:
  HDC target_;
  RECT area_;
  HDC dc_;
  int saved_;
  bool nested_;
};

}  // namespace qn
