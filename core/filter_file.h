#pragma once
// The keyword file format of the filter folder, shared by the optimisation
// run and the filter editor.
//
// Reading: a byte-order mark selects UTF-8 (EF BB BF), UTF-16 LE (FF FE) or
// UTF-16 BE (FE FF); without one the bytes are in the ANSI code page. Lines
// end at CR LF, LF or CR; a break at the very end adds no empty line; a NUL
// ends the text. Every line is one keyword exactly as written.
//
// Writing: one keyword per line, each followed by CR LF, in the encoding the
// file was read in, preceded by that encoding's byte-order mark (none for the
// ANSI code page); an empty list is an empty file, without a mark, in every
// encoding. A list that the ANSI code page cannot hold whole is written
// as UTF-8 with its mark instead: in the code page the characters it lacks
// would become "?" and the keyword would never match again. Keywords whose ANSI
// bytes would begin with a byte-order mark are written as UTF-8 too, so that
// they read back unchanged.
#include "core/ansi_code_page.h"

#include <string>
#include <string_view>
#include <vector>

namespace skorvel {

enum class TFilterEncoding { feAnsi, feUtf8, feUtf16LE, feUtf16BE };

struct TFilterText {
    std::vector<std::wstring> Lines;
    TFilterEncoding Encoding = TFilterEncoding::feAnsi;
};

// The encoding a byte-order mark at the start of Bytes names, and the mark's length.
TFilterEncoding DetectFilterEncoding(std::string_view Bytes, size_t& MarkLength);

// The lines of Text up to its first NUL.
std::vector<std::wstring> SplitFilterLines(std::wstring_view Text);

TFilterText DecodeFilterFile(std::string_view Bytes, const IAnsiCodePage& Ansi);

// The encoding a list read in Remembered is saved in: Remembered, except that
// an ANSI list with a character the code page cannot hold becomes UTF-8.
TFilterEncoding FilterSaveEncoding(const std::vector<std::wstring>& Lines,
                                   TFilterEncoding Remembered, const IAnsiCodePage& Ansi);

std::string EncodeFilterFile(const std::vector<std::wstring>& Lines, TFilterEncoding Encoding,
                             const IAnsiCodePage& Ansi);

} // namespace skorvel
