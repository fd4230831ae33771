#include "core/filter_file_win.h"

#include "core/ansi_code_page_win.h"
#include "platform/files.h"

namespace skorvel {

TFilterText ReadFilterFile(const std::wstring& Path) {
    return DecodeFilterFile(ReadWholeFile(Path), TSystemAnsiCodePage());
}

void WriteFilterFile(const std::wstring& Path, const std::vector<std::wstring>& Lines,
                     TFilterEncoding Encoding) {
    WriteWholeFile(Path, EncodeFilterFile(Lines, Encoding, TSystemAnsiCodePage()));
}

} // namespace skorvel
