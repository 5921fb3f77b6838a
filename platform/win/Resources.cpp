#include "platform/win/Resources.h"

#include <cstring>

#include "platform/core/TextConv.h"

namespace qn {

namespace {

bool ReadResource(HINSTANCE inst, const wchar_t* name, const wchar_t* type, std::vector<uint8_t>& out) {
  HRSRC res = FindResourceW(inst, name, type);
  if (!res) return false;
  HGLOBAL h = LoadResource(inst, res);
  const void* p = h ? LockResource(h) : nullptr;
  if (!p) return false;
  DWORD size = SizeofResource(inst, res);
  out.resize(size);
  if (size) std::memcpy(out.data(), p, size);
  return true;
}

std::wstring Describe(const wchar_t* s) {
  if (IS_INTRESOURCE(s)) return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(s));
  return s;
}

}  // namespace

bool LoadRcData(const wchar_t* name, std::vector<uint8_t>& out, const wchar_t* type) {
  return ReadResource(GetModuleHandleW(nullptr), name, type ? type : RT_RCDATA, out);
}

TResourceStream::TResourceStream(HINSTANCE instance, const wchar_t* name, const wchar_t* type) {
  std::vector<uint8_t> bytes;
  if (!ReadResource(instance, name, type, bytes))
    throw EStreamError("Resource " + WideToUtf8(Describe(name)) + " not found");
  Bytes() = std::move(bytes);
}

}  // namespace qn
