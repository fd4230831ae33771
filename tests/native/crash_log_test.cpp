#include "core/crash_log.h"

#include "platform/exception.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace skorvel;

namespace {

using Lines = std::vector<std::wstring>;

TLocaleFormats Polish() {
    TLocaleFormats f;
    f.ShortDate = L"dd.MM.yyyy";
    f.DateSeparator = L".";
    f.TimeSeparator = L":";
    return f;
}

TLocaleFormats UnitedStates() {
    TLocaleFormats f;
    f.ShortDate = L"M/d/yyyy";
    f.DateSeparator = L"/";
    f.TimeSeparator = L":";
    f.TwelveHourClock = true;
    f.HourLeadingZero = false;
    f.AMDesignator = L"AM";
    f.PMDesignator = L"PM";
    return f;
}

TFormatSettings Hyphenated(const TLocaleFormats& locale) {
    TFormatSettings settings = MakeFormatSettings(locale);
    settings.DateSeparator = L"-";
    settings.TimeSeparator = L"-";
    return settings;
}

TLocalTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return TLocalTime{y, mo, d, h, mi, s, ms};
}

[[noreturn]] void ThrowNested() {
    try {
        try {
            throw std::runtime_error("inner failure");
        } catch (...) {
            std::throw_with_nested(Exception(L"middle \u0142\u0105cze"));
        }
    } catch (...) {
        std::throw_with_nested(Exception(L"outer"));
    }
}

} // namespace

TEST(CrashLogStamp, RendersTheLocaleOrderWithHyphens) {
    TLocaleFormats iso = Polish();
    iso.ShortDate = L"yyyy-MM-dd";
    iso.DateSeparator = L"-";
    TLocaleFormats markerFirst = UnitedStates();
    markerFirst.TimeMarkerFirst = true;
    markerFirst.HourLeadingZero = true;
    TLocaleFormats quoted = Polish();
    quoted.ShortDate = L"d.M.yy 'r.'";
    const struct {
        TLocaleFormats locale;
        TLocalTime time;
        const wchar_t* stamp;
    } cases[] = {
        {iso, At(2014, 7, 13, 15, 42, 7), L"2014-07-13 15-42-07"},
        {Polish(), At(2026, 12, 10, 10, 19, 21), L"10-12-2026 10-19-21"},
        {Polish(), At(2026, 1, 2, 3, 4, 5), L"02-01-2026 03-04-05"},
        {UnitedStates(), At(2026, 12, 10, 10, 19, 20), L"12-10-2026 10-19-20 AM"},
        {UnitedStates(), At(2026, 2, 3, 0, 5, 0), L"2-3-2026 12-05-00 AM"},
        {UnitedStates(), At(2026, 2, 3, 12, 30, 9), L"2-3-2026 12-30-09 PM"},
        {UnitedStates(), At(2026, 2, 3, 23, 0, 0), L"2-3-2026 11-00-00 PM"},
        {markerFirst, At(2026, 2, 3, 9, 1, 2), L"2-3-2026 AM 09-01-02"},
        {quoted, At(2009, 3, 4, 5, 6, 7), L"4-3-09 r. 05-06-07"},
        // Exactly midnight: no time part.
        {Polish(), At(2026, 12, 10, 0, 0, 0), L"10-12-2026"},
        {UnitedStates(), At(2026, 12, 10, 0, 0, 0), L"12-10-2026"},
        {Polish(), At(2026, 12, 10, 0, 0, 0, 1), L"10-12-2026 00-00-00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateTimeToText(c.time, Hyphenated(c.locale)), c.stamp);
}

TEST(CrashLogStamp, LocaleSeparatorsApplyUntilTheyAreReplaced) {
    EXPECT_EQ(DateTimeToText(At(2026, 12, 10, 10, 19, 21), MakeFormatSettings(Polish())),
              L"10.12.2026 10:19:21");
}

TEST(CrashLogText, FourItemsWithTheWholeChain) {
    try {
        ThrowNested();
    } catch (const std::exception& e) {
        EXPECT_EQ(
            CrashLogItems(e),
            (Lines{L"[skorvel]", L"to string: outer\r\nmiddle \u0142\u0105cze\r\ninner failure",
                   L"message: outer", L"stack trace: "}));
        EXPECT_EQ(ErrorBoxText(e), L"inner failure.");
    }
    const std::runtime_error plain("plain");
    EXPECT_EQ(CrashLogItems(plain)[1], L"to string: plain");
}

TEST(CrashLogText, AnEmptyOuterMessageAddsNoLeadingBreak) {
    try {
        try {
            throw Exception(L"inner");
        } catch (...) {
            std::throw_with_nested(Exception(L""));
        }
    } catch (const std::exception& e) {
        EXPECT_EQ(CrashLogItems(e)[1], L"to string: inner");
        EXPECT_EQ(CrashLogItems(e)[2], L"message: ");
    }
}

TEST(CrashLogText, ContentIsAnsiWithCrLfAfterEachItem) {
    const TWindows1250CodePage ansi;
    EXPECT_EQ(CrashLogContent({L"[skorvel]", L"to string: \u0142"}, ansi),
              "[skorvel]\r\nto string: \xB3\r\n");
}

TEST(ErrorBox, FullStopOnlyAfterACharacterAboveTheFullStop) {
    const struct {
        const wchar_t* message;
        const wchar_t* shown;
    } cases[] = {
        {L"Brak dost\u0119pu", L"Brak dost\u0119pu."},
        {L"Uwaga!", L"Uwaga!"},
        {L"Koniec.", L"Koniec."},
        {L"Czy?", L"Czy?."},
        {L"(1)", L"(1)"},
        {L"kod 5", L"kod 5."},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxText(Exception(c.message)), c.shown);
    // An empty innermost message falls back to the outer one.
    try {
        try {
            throw Exception(L"");
        } catch (...) {
            std::throw_with_nested(Exception(L"outer"));
        }
    } catch (const std::exception& e) {
        EXPECT_EQ(ErrorBoxText(e), L"outer.");
    }
}

namespace {

class FakeCrashLogSystem : public ICrashLogSystem {
public:
    bool FolderExists = false;
    bool WriteFails = false;
    TLocalTime Now = At(2026, 12, 10, 10, 19, 21);
    Lines Events;
    std::string Written;

    std::wstring ProgramFolder() override { return L"C:\\Skorvel\\"; }
    bool FixedDriveDirectoryExists(const std::wstring& path) override {
        Events.push_back(L"exists " + path);
        return FolderExists;
    }
    void CreateFolder(const std::wstring& path) override { Events.push_back(L"mkdir " + path); }
    TLocalTime LocalTime() override { return Now; }
    const IAnsiCodePage& AnsiCodePage() override { return FAnsi; }
    void WriteFile(const std::wstring& path, const std::string& bytes) override {
        Events.push_back(L"write " + path);
        if (WriteFails)
            throw Exception(L"Odmowa dost\u0119pu");
        Written = bytes;
    }
    void ShowErrorBox(const std::wstring& text) override { Events.push_back(L"box " + text); }

private:
    TWindows1250CodePage FAnsi;
};

} // namespace

TEST(CrashLog, CreatesBothFolderLevelsWritesTheFileThenShowsTheError) {
    FakeCrashLogSystem system;
    TCrashLog log(system, MakeFormatSettings(Polish()));
    log.ApplicationEventsException(Exception(L"Nie mo\u017Cna"));
    EXPECT_EQ(system.Events,
              (Lines{L"exists C:\\Skorvel\\log\\skorvel\\", L"mkdir C:\\Skorvel\\log\\",
                     L"mkdir C:\\Skorvel\\log\\skorvel\\",
                     L"write C:\\Skorvel\\log\\skorvel\\data-10-12-2026 10-19-21.log",
                     L"box Nie mo\u017Cna."}));
    EXPECT_EQ(system.Written, "[skorvel]\r\nto string: Nie mo\xBFna\r\nmessage: Nie mo\xBFna\r\n"
                              "stack trace: \r\n");
    EXPECT_EQ(log.FormatSettings().DateSeparator, L"-");
    EXPECT_EQ(log.FormatSettings().TimeSeparator, L"-");

    system.Events.clear();
    system.FolderExists = true;
    system.Now = At(2026, 12, 11, 0, 0, 0);
    log.ApplicationEventsException(std::runtime_error("second"));
    EXPECT_EQ(system.Events,
              (Lines{L"exists C:\\Skorvel\\log\\skorvel\\",
                     L"write C:\\Skorvel\\log\\skorvel\\data-11-12-2026.log", L"box second."}));
}

TEST(CrashLog, TheStampHoldsNothingAFileNameCannot) {
    // Custom regional settings can put anything in literal text and markers.
    TLocaleFormats path = Polish();
    path.ShortDate = L"dd.MM.yyyy'\\..\\'";
    TLocaleFormats stream = UnitedStates();
    stream.AMDesignator = L"a:m";
    TLocaleFormats controls = UnitedStates();
    controls.ShortDate = L"M/d'<|>*?\"'";
    controls.AMDesignator = L"A\rM\t";
    const struct {
        TLocaleFormats locale;
        const wchar_t* name;
    } cases[] = {
        {path, L"data-10-12-2026-..- 10-19-21.log"},
        {stream, L"data-12-10-2026 10-19-21 a-m.log"},
        {controls, L"data-12-10------ 10-19-21 A-M-.log"},
    };
    for (const auto& c : cases) {
        FakeCrashLogSystem system;
        system.FolderExists = true;
        TCrashLog log(system, MakeFormatSettings(c.locale));
        log.ApplicationEventsException(Exception(L"x"));
        EXPECT_EQ(system.Events.at(1), std::wstring(L"write C:\\Skorvel\\log\\skorvel\\") + c.name);
    }
}

TEST(CrashLog, AnUnwritableLogIsReportedOnceAfterTheErrorAndNeverRaises) {
    FakeCrashLogSystem system;
    system.FolderExists = true;
    system.WriteFails = true;
    TCrashLog log(system, MakeFormatSettings(UnitedStates()));
    EXPECT_NO_THROW(log.ApplicationEventsException(Exception(L"first")));
    const Lines boxes(system.Events.end() - 2, system.Events.end());
    EXPECT_EQ(boxes, (Lines{L"box first.",
                            L"box Nie mo\u017Cna zapisa\u0107 dziennika b\u0142\u0119d\u00F3w "
                            L"w folderze C:\\Skorvel\\log\\skorvel\\: Odmowa dost\u0119pu."}));

    system.Events.clear();
    EXPECT_NO_THROW(log.ApplicationEventsException(Exception(L"second")));
    EXPECT_EQ(system.Events.back(), L"box second.");
    EXPECT_EQ(system.Events.size(), 3u); // exists, write, one box

    // A log that can be written again is written as usual.
    system.WriteFails = false;
    log.ApplicationEventsException(Exception(L"third"));
    EXPECT_EQ(system.Events.back(), L"box third.");
    EXPECT_FALSE(system.Written.empty());
}
