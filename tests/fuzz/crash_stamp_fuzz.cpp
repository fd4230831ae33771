// The crash log's file name under arbitrary locale formats. The user's
// regional settings (short date format, separators, AM/PM markers) shape the
// time stamp, and the stamp is part of the log's file name, so whatever they
// hold the log must land in the log folder under a name Windows accepts.
//
// Input: byte 0 holds the clock flags (bit 0: 12-hour clock, bit 1: leading
// zero on the hour, bit 2: marker before the time); bytes 1-9 the local time
// (year in two bytes LE, month, day, hour, minute, second, milliseconds in two
// bytes LE, each folded into the range GetLocalTime reports); then UTF-8 text
// fields split by NUL (as GetLocaleInfoW returns them, none holds a NUL):
// short date format, date separator, time separator, AM marker, PM marker.
#include "core/crash_log.h"
#include "fuzz_check.h"
#include "platform/text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

using namespace skorvel;
using skorvel::fuzz::Check;

namespace {

const std::wstring kLogFolder = L"C:\\Skorvel\\log\\skorvel\\";

class FuzzCrashLogSystem : public ICrashLogSystem {
public:
    explicit FuzzCrashLogSystem(const TLocalTime& now) : FNow(now) {}

    std::vector<std::wstring> WrittenPaths;

    std::wstring ProgramFolder() override { return L"C:\\Skorvel\\"; }
    bool FixedDriveDirectoryExists(const std::wstring&) override { return true; }
    void CreateFolder(const std::wstring&) override {}
    TLocalTime LocalTime() override { return FNow; }
    const IAnsiCodePage& AnsiCodePage() override { return FAnsi; }
    void WriteFile(const std::wstring& path, const std::string&) override {
        WrittenPaths.push_back(path);
    }
    void ShowErrorBox(const std::wstring&) override {}

private:
    TLocalTime FNow;
    TWindows1250CodePage FAnsi;
};

struct TInput {
    TLocaleFormats Locale;
    TLocalTime Time;
};

TInput ReadInput(const uint8_t* data, size_t size) {
    uint8_t header[10] = {};
    std::copy(data, data + std::min(size, sizeof header), header);
    TInput input;
    input.Locale.TwelveHourClock = header[0] & 1;
    input.Locale.HourLeadingZero = header[0] & 2;
    input.Locale.TimeMarkerFirst = header[0] & 4;
    auto& t = input.Time;
    t.Year = 1601 + (header[1] | header[2] << 8) % (30827 - 1601 + 1);
    t.Month = 1 + header[3] % 12;
    t.Day = 1 + header[4] % 31;
    t.Hour = header[5] % 24;
    t.Minute = header[6] % 60;
    t.Second = header[7] % 60;
    t.Millisecond = (header[8] | header[9] << 8) % 1000;

    std::wstring* const fields[] = {&input.Locale.ShortDate, &input.Locale.DateSeparator,
                                    &input.Locale.TimeSeparator, &input.Locale.AMDesignator,
                                    &input.Locale.PMDesignator};
    const std::string_view text =
        size > sizeof header ? std::string_view(reinterpret_cast<const char*>(data) + sizeof header,
                                                size - sizeof header)
                             : std::string_view();
    size_t start = 0;
    for (std::wstring* field : fields) {
        if (start > text.size())
            break;
        const size_t end = std::min(text.find('\0', start), text.size());
        *field = Utf8ToWide(text.substr(start, end - start));
        start = end + 1;
    }
    return input;
}

// Control characters and < > : " / \ | ? * cannot stand in a Windows file
// name; a colon would even write the log into an alternate data stream.
bool ValidInFileName(wchar_t c) {
    return c >= 0x20 && std::wstring_view(L"<>:\"/\\|?*").find(c) == std::wstring_view::npos;
}

// The time stamp of the log that one exception at Time writes, checked to be
// a plain name in the log folder.
std::wstring LoggedStamp(const TInput& input, const TLocalTime& time) {
    FuzzCrashLogSystem system(time);
    TCrashLog log(system, MakeFormatSettings(input.Locale));
    log.ApplicationEventsException(std::runtime_error("fuzz"));
    log.ApplicationEventsException(std::runtime_error("fuzz again"));
    Check(system.WrittenPaths.size() == 2, "an exception writes no crash log");
    Check(system.WrittenPaths[0] == system.WrittenPaths[1],
          "a second exception at the same moment is logged under another name");
    Check(log.FormatSettings().DateSeparator == L"-" && log.FormatSettings().TimeSeparator == L"-",
          "the separators are not hyphens after an exception");

    const std::wstring& path = system.WrittenPaths[0];
    const std::wstring prefix = kLogFolder + L"data-", suffix = L".log";
    Check(path.size() >= prefix.size() + suffix.size() &&
              path.compare(0, prefix.size(), prefix) == 0 &&
              path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0,
          "the log is not named log folder + data- + stamp + .log");
    const std::wstring stamp =
        path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    Check(std::all_of(stamp.begin(), stamp.end(), ValidInFileName),
          "the stamp holds a character a file name cannot");
    return stamp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TInput input = ReadInput(data, size);
    const std::wstring stamp = LoggedStamp(input, input.Time);

    // At most two characters per character of the date format (a one-letter
    // day, month or year field gives up to two digits), then a space, the
    // time with its separators, a space and the marker. With the lengths
    // Windows allows (short date 79, markers 14) the name stays within the
    // 255 characters of a file name.
    const auto& locale = input.Locale;
    const size_t marker = std::max(locale.AMDesignator.size(), locale.PMDesignator.size());
    Check(stamp.size() <= 2 * locale.ShortDate.size() + 10 + marker,
          "the stamp is longer than its formats allow");

    const auto& t = input.Time;
    if (t.Hour == 0 && t.Minute == 0 && t.Second == 0 && t.Millisecond == 0) {
        TLocalTime later = t;
        later.Millisecond = 1;
        const std::wstring withTime = LoggedStamp(input, later);
        Check(withTime.size() > stamp.size() + 1 && withTime.compare(0, stamp.size(), stamp) == 0 &&
                  withTime[stamp.size()] == L' ',
              "at midnight the stamp is not the date alone");
    }
    return 0;
}
