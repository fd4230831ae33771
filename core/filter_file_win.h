#pragma once
// Filter files on disk, in the format of filter_file.h with the system's
// ANSI code page.
#include "core/filter_file.h"

namespace skorvel {

// Raises EOSError when the file cannot be opened (also while another program
// holds it open for writing) or read.
TFilterText ReadFilterFile(const std::wstring& Path);

// Replaces the file; raises EOSError when it cannot be written.
void WriteFilterFile(const std::wstring& Path, const std::vector<std::wstring>& Lines,
                     TFilterEncoding Encoding);

} // namespace skorvel
