#include "core/filter_file_win.h"

#include "core/ansi_code_page_win.h"
#include "platform/files.h"

namespace skorvel {

TFilterText ReadFilterFile(const std::wstring& Path) {
    return DecodeFilterFile(ReadWholeFile(Path), TSystemAnsiCodePage());
}

TFilterEncoding WriteFilterFile(const std::wstring& Path, const std::vector<std::wstring>& Lines,
                                TFilterEncoding Encoding) {
    const TSystemAnsiCodePage ansi;
    const TFilterEncoding written = FilterSaveEncoding(Lines, Encoding, ansi);
    ReplaceWholeFile(Path, EncodeFilterFile(Lines, written, ansi));
    return written;
}

} // namespace skorvel
