#pragma once
// The crash log: every exception that reaches the application-wide handler is
// written to program folder + "log\skorvel\data-" + time stamp + ".log" (any
// character of the stamp that a file name cannot hold written as "-") and
// then shown in the error box. The text and the time stamp are rendered here
// from given locale formats; the system behind them is ICrashLogSystem
// (crash_log_win.h on Windows).
#include "core/ansi_code_page.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace skorvel {

struct TLocalTime {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The locale's own values, as Windows reports them.
struct TLocaleFormats {
    std::wstring ShortDate;                  // LOCALE_SSHORTDATE, for example "dd.MM.yyyy"
    std::wstring DateSeparator;              // LOCALE_SDATE
    std::wstring TimeSeparator;              // LOCALE_STIME
    bool TwelveHourClock = false;            // LOCALE_ITIME = 0
    bool HourLeadingZero = true;             // LOCALE_ITLZERO = 1
    bool TimeMarkerFirst = false;            // LOCALE_ITIMEMARKPOSN = 1
    std::wstring AMDesignator, PMDesignator; // LOCALE_S1159, LOCALE_S2359
};

// The process's date and time formats. In ShortDateFormat a "/" stands for
// DateSeparator, so the separators can be changed without touching it.
struct TFormatSettings {
    std::wstring ShortDateFormat;
    std::wstring DateSeparator;
    std::wstring TimeSeparator;
    bool TwelveHourClock = false;
    bool HourLeadingZero = true;
    bool TimeMarkerFirst = false;
    std::wstring AMDesignator, PMDesignator;
};

TFormatSettings MakeFormatSettings(const TLocaleFormats& Locale);

// The short date, a space and the long time (hours, minutes and seconds with
// the AM/PM marker where the clock has 12 hours). At exactly midnight the
// time and the space before it are left out.
std::wstring DateTimeToText(const TLocalTime& Time, const TFormatSettings& Settings);

// The messages of E and of its nested exceptions, outermost first.
std::vector<std::wstring> ExceptionChainMessages(const std::exception& E);

// The four items of the log: "[skorvel]", "to string: " with the chain's
// messages joined by CR LF, "message: " with E's own message, and
// "stack trace: " (no stack-trace provider exists).
std::vector<std::wstring> CrashLogItems(const std::exception& E);

// The items in the ANSI code page, each followed by CR LF.
std::string CrashLogContent(const std::vector<std::wstring>& Items, const IAnsiCodePage& Ansi);

// The innermost message of E's chain (E's own when that is empty), with a
// full stop appended when its last character is above "." in code order.
std::wstring ErrorBoxText(const std::exception& E);

extern const wchar_t* const kLogSubfolder; // "log\skorvel\"

class ICrashLogSystem {
public:
    virtual ~ICrashLogSystem() = default;
    virtual std::wstring ProgramFolder() = 0;
    virtual bool FixedDriveDirectoryExists(const std::wstring& Path) = 0;
    // Default security; whether it succeeds does not matter.
    virtual void CreateFolder(const std::wstring& Path) = 0;
    virtual TLocalTime LocalTime() = 0;
    virtual const IAnsiCodePage& AnsiCodePage() = 0;
    // Creates or replaces the file; raises when it cannot.
    virtual void WriteFile(const std::wstring& Path, const std::string& Bytes) = 0;
    // Modal, caption "Skorvel", OK button, error icon.
    virtual void ShowErrorBox(const std::wstring& Text) = 0;
};

class TCrashLog {
public:
    TCrashLog(ICrashLogSystem& System, TFormatSettings Settings);

    // Writes the log and shows E. A log that cannot be written is reported
    // once per process, after E itself, in a second error box; later failures
    // pass silently, so a broken log folder never floods the user and nothing
    // here raises again into the handler that called it.
    void ApplicationEventsException(const std::exception& E);

    // The process-wide formats; the first exception sets both separators to
    // "-", and they stay so.
    const TFormatSettings& FormatSettings() const { return FSettings; }

private:
    void WriteCrashLog(const std::exception& E, const std::wstring& logFolder);

    ICrashLogSystem& FSystem;
    TFormatSettings FSettings;
    bool FWriteFailureReported = false;
};

} // namespace skorvel
