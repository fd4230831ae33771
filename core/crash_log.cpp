#include "core/crash_log.h"

#include "platform/exception.h"

#include <string_view>
#include <utility>

namespace skorvel {

const wchar_t* const kLogSubfolder = L"log\\skorvel\\";

namespace {

const wchar_t* const kLogWriteFailureText = L"Nie można zapisać dziennika błędów w folderze ";

// The locale's separator becomes "/" outside quoted literals.
std::wstring NormaliseDatePattern(const std::wstring& pattern, const std::wstring& separator) {
    std::wstring result;
    bool quoted = false;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] == L'\'')
            quoted = !quoted;
        if (!quoted && !separator.empty() && pattern.compare(i, separator.size(), separator) == 0) {
            result += L'/';
            i += separator.size();
            continue;
        }
        result += pattern[i++];
    }
    return result;
}

// A non-negative value in decimal, with leading zeros up to Digits.
std::wstring Number(int value, int digits) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < size_t(digits))
        text.insert(0, size_t(digits) - text.size(), L'0');
    return text;
}

size_t RunLength(const std::wstring& pattern, size_t at) {
    size_t end = at;
    while (end < pattern.size() && pattern[end] == pattern[at])
        ++end;
    return end - at;
}

// d, dd: day; M, MM: month; y, yy: year in the century; yyy and longer: the
// full year. Longer day and month runs (names) are written as two digits,
// eras (g) are left out; quoted text is copied without its quotes.
std::wstring RenderDate(const TLocalTime& time, const TFormatSettings& settings) {
    const std::wstring& pattern = settings.ShortDateFormat;
    std::wstring text;
    for (size_t i = 0; i < pattern.size();) {
        const wchar_t c = pattern[i];
        if (c == L'\'') {
            const size_t close = pattern.find(L'\'', i + 1);
            const size_t end = close == std::wstring::npos ? pattern.size() : close;
            text.append(pattern, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const size_t run = RunLength(pattern, i);
        switch (c) {
        case L'd':
            text += Number(time.Day, run == 1 ? 1 : 2);
            break;
        case L'M':
            text += Number(time.Month, run == 1 ? 1 : 2);
            break;
        case L'y':
            text += run <= 2 ? Number(time.Year % 100, int(run)) : Number(time.Year, 4);
            break;
        case L'g':
            break;
        case L'/':
            for (size_t k = 0; k < run; ++k)
                text += settings.DateSeparator;
            break;
        default:
            text.append(run, c);
            break;
        }
        i += run;
    }
    return text;
}

std::wstring RenderTime(const TLocalTime& time, const TFormatSettings& settings) {
    int hour = time.Hour;
    if (settings.TwelveHourClock)
        hour = hour % 12 == 0 ? 12 : hour % 12;
    std::wstring text = Number(hour, settings.HourLeadingZero ? 2 : 1) + settings.TimeSeparator +
                        Number(time.Minute, 2) + settings.TimeSeparator + Number(time.Second, 2);
    const std::wstring& marker = time.Hour < 12 ? settings.AMDesignator : settings.PMDesignator;
    if (settings.TwelveHourClock && !marker.empty())
        text = settings.TimeMarkerFirst ? marker + L' ' + text : text + L' ' + marker;
    return text;
}

// The locale's literal text and AM/PM markers can hold anything; characters a
// Windows file name cannot hold would send the log into another folder or an
// alternate data stream, or make it unwritable, so they become hyphens too.
std::wstring FileNamePart(std::wstring text) {
    for (auto& c : text)
        if (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos)
            c = L'-';
    return text;
}

void CollectMessages(const std::exception& e, std::vector<std::wstring>& messages) {
    messages.push_back(ExceptionMessage(e));
    try {
        std::rethrow_if_nested(e);
    } catch (const std::exception& inner) {
        CollectMessages(inner, messages);
    } catch (...) {
        // An inner object that is no exception carries no message.
    }
}

} // namespace

TFormatSettings MakeFormatSettings(const TLocaleFormats& Locale) {
    TFormatSettings settings;
    settings.ShortDateFormat = NormaliseDatePattern(Locale.ShortDate, Locale.DateSeparator);
    settings.DateSeparator = Locale.DateSeparator;
    settings.TimeSeparator = Locale.TimeSeparator;
    settings.TwelveHourClock = Locale.TwelveHourClock;
    settings.HourLeadingZero = Locale.HourLeadingZero;
    settings.TimeMarkerFirst = Locale.TimeMarkerFirst;
    settings.AMDesignator = Locale.AMDesignator;
    settings.PMDesignator = Locale.PMDesignator;
    return settings;
}

std::wstring DateTimeToText(const TLocalTime& Time, const TFormatSettings& Settings) {
    std::wstring text = RenderDate(Time, Settings);
    const bool midnight =
        Time.Hour == 0 && Time.Minute == 0 && Time.Second == 0 && Time.Millisecond == 0;
    if (!midnight)
        text += L' ' + RenderTime(Time, Settings);
    return text;
}

std::vector<std::wstring> ExceptionChainMessages(const std::exception& E) {
    std::vector<std::wstring> messages;
    CollectMessages(E, messages);
    return messages;
}

std::vector<std::wstring> CrashLogItems(const std::exception& E) {
    std::wstring chain;
    for (const auto& message : ExceptionChainMessages(E))
        chain += chain.empty() ? message : L"\r\n" + message;
    return {L"[skorvel]", L"to string: " + chain, L"message: " + ExceptionMessage(E),
            L"stack trace: "};
}

std::string CrashLogContent(const std::vector<std::wstring>& Items, const IAnsiCodePage& Ansi) {
    std::wstring text;
    for (const auto& item : Items)
        text += item + L"\r\n";
    return Ansi.Encode(text);
}

std::wstring ErrorBoxText(const std::exception& E) {
    std::wstring text = ExceptionChainMessages(E).back();
    if (text.empty())
        text = ExceptionMessage(E);
    if (!text.empty() && text.back() > L'.')
        text += L'.';
    return text;
}

TCrashLog::TCrashLog(ICrashLogSystem& System, TFormatSettings Settings)
    : FSystem(System), FSettings(std::move(Settings)) {}

void TCrashLog::ApplicationEventsException(const std::exception& E) {
    std::wstring logFolder, failure;
    bool written = false;
    try {
        logFolder = FSystem.ProgramFolder() + kLogSubfolder;
        WriteCrashLog(E, logFolder);
        written = true;
    } catch (const std::exception& writeError) {
        failure = ErrorBoxText(writeError);
    } catch (...) {
    }
    FSystem.ShowErrorBox(ErrorBoxText(E));
    if (!written && !FWriteFailureReported) {
        FWriteFailureReported = true;
        FSystem.ShowErrorBox(kLogWriteFailureText + logFolder + L": " + failure);
    }
}

void TCrashLog::WriteCrashLog(const std::exception& E, const std::wstring& logFolder) {
    const std::vector<std::wstring> items = CrashLogItems(E);
    FSettings.DateSeparator = L"-";
    FSettings.TimeSeparator = L"-";
    if (!FSystem.FixedDriveDirectoryExists(logFolder)) {
        const std::wstring programFolder = FSystem.ProgramFolder();
        FSystem.CreateFolder(programFolder + L"log\\");
        FSystem.CreateFolder(logFolder);
    }
    const std::wstring stamp = FileNamePart(DateTimeToText(FSystem.LocalTime(), FSettings));
    FSystem.WriteFile(logFolder + L"data-" + stamp + L".log",
                      CrashLogContent(items, FSystem.AnsiCodePage()));
}

} // namespace skorvel
