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

} // namespace skorvel
