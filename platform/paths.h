#pragma once
// Path and environment helpers. The program's data files are always tested
// through the FixedDrive variants, so a program folder on a removable,
// network or optical drive behaves as if its files were missing.
#include "platform/path_text.h"

#include <string>

namespace skorvel {

// True for a 32-bit process on 64-bit Windows; false where IsWow64Process does
// not exist. Raises Exception("IsWow64: bad process handle") when the call fails.
bool IsWow64();

bool NativeFileExists(const std::wstring& Path);      // an existing non-directory
bool NativeDirectoryExists(const std::wstring& Path); // an existing directory
bool FixedDriveFileExists(const std::wstring& Path) noexcept;
bool FixedDriveDirectoryExists(const std::wstring& Path) noexcept;

// The folder of the running executable, with a trailing backslash.
std::wstring ProgramFolder();

} // namespace skorvel
