// Resources of the running program's own module.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/core/Streams.h"

namespace qn {

// The bytes of a resource of the given type (RT_RCDATA when none); false when missing.
bool LoadRcData(const wchar_t* name, std::vector<uint8_t>& out, const wchar_t* type = nullptr);

// A read-only stream over a resource, as the run-time library offers it; throws when the
// resource does not exist.
class TResourceStream : public TMemoryStream {
 public:
  TResourceStream(HINSTANCE instance, const wchar_t* name, const wchar_t* type);
};

}  // namespace qn
