#include "app/DataFile.h"

#include <shlobj.h>

#include <stdexcept>

#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/Resources.h"

namespace qn {

std::wstring GetSpecialFolderPath(int csidl) {
  LPITEMIDLIST list = nullptr;
  HWND owner = Application ? Application->Handle() : nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &list)) || !list)
    throw std::runtime_error("The shell cannot name folder " + std::to_string(csidl));
  wchar_t buf[256] = {};
  BOOL ok = SHGetPathFromIDListW(list, buf);
  CoTaskMemFree(list);
  if (!ok) throw std::runtime_error("The shell cannot name folder " + std::to_string(csidl));
  return std::wstring(buf);  // up to the first NUL
}

void SaveResourceToFile(const std::wstring& name, const std::wstring& type, const std::wstring& file) {
  TResourceStream res(GetModuleHandleW(nullptr), name.c_str(), type.c_str());
  TFileStream out(WideToUtf8(file), TFileMode::fmCreate);
  out.CopyFrom(res, 0);
}

const TFileSystem& RealFileSystem() {
  static const TFileSystem fs{DeleteFileW, GetFileAttributesW, RemoveDirectoryW};
  return fs;
}

void DeleteDataFile(const std::wstring& path, const TFileSystem& fs) {
  if (fs.deleteFile(path.c_str())) return;
  DWORD error = GetLastError();
  DWORD attrs = fs.getAttributes(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT) && (attrs & FILE_ATTRIBUTE_DIRECTORY))
    fs.removeDirectory(path.c_str());
  else
    SetLastError(error);
}

}  // namespace qn
