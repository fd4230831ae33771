#pragma once
// Filter files on disk, in the format of filter_file.h with the system's
// ANSI code page.
#include "core/filter_file.h"

namespace skorvel {

// Raises EOSError when the file cannot be opened (also while another program
// holds it open for writing) or read.
TFilterText ReadFilterFile(const std::wstring& Path);

// Replaces the file with Lines in the encoding FilterSaveEncoding chooses for
// Encoding, and returns it. The file is replaced whole or not at all
// (ReplaceWholeFile); raises EOSError when it cannot be written.
TFilterEncoding WriteFilterFile(const std::wstring& Path, const std::vector<std::wstring>& Lines,
                                TFilterEncoding Encoding);

} // namespace skorvel
