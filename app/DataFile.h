// The recipe database's file beside the system: where it goes, writing it out of the
// program's resources and deleting it again.
#pragma once

#include <windows.h>

#include <string>

namespace qn {

// The path of a shell special folder (36: the Windows directory). Throws when the shell
// cannot name it, so that nothing is written relative to the current drive instead.
std::wstring GetSpecialFolderPath(int csidl);

// Writes the whole of a resource of the program's own module to a file, creating it or
// replacing its content. Throws on any failure.
void SaveResourceToFile(const std::wstring& name, const std::wstring& type, const std::wstring& file);

// The file-system calls the deletion rule makes, replaceable so that tests can show it a
// directory link where the platform cannot make one.
struct TFileSystem {
  BOOL(WINAPI* deleteFile)(LPCWSTR path);
  DWORD(WINAPI* getAttributes)(LPCWSTR path);
  BOOL(WINAPI* removeDirectory)(LPCWSTR path);
};
const TFileSystem& RealFileSystem();

// Deletes a file; a directory link (reparse point) of that name is removed as a directory.
// Failures are left for the caller to ignore; the last error is kept for it.
void DeleteDataFile(const std::wstring& path, const TFileSystem& fs = RealFileSystem());

}  // namespace qn
