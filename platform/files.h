#pragma once
// Whole-file reading and writing for the filter files and the crash log.
#include <string>

namespace skorvel {

// The file's bytes. Others may read it meanwhile but not write it. Raises
// EOSError (code and system message, the path in the text) when the file
// cannot be opened or read.
std::string ReadWholeFile(const std::wstring& Path);

// Creates or replaces the file with Bytes; raises EOSError when it cannot.
void WriteWholeFile(const std::wstring& Path, const std::string& Bytes);

// Replaces the file with Bytes so that no failure can leave it half written:
// the bytes go to a temporary file in the same folder, which is flushed to the
// disk and only then renamed over the original. A read-only original is
// refused (ERROR_ACCESS_DENIED). On any failure the original is left as it
// was, the temporary file is removed, and EOSError is raised.
void ReplaceWholeFile(const std::wstring& Path, const std::string& Bytes);

} // namespace skorvel
