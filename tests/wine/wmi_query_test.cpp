#include "platform/wmi_query.h"

#include "platform/com_ptr.h"
#include "platform/text.h"
#include "tests/wine/fixture_processes.h"

#include <windows.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <thread>
#include <vector>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

// A property of a made-up WMI object: serves one value with one CIM type.
class TFakeProperty final : public ISWbemProperty {
public:
    TFakeProperty(WbemCimtypeEnum type, const std::function<void(VARIANT*)>& makeValue)
        : FType(type) {
        ::VariantInit(&FValue);
        makeValue(&FValue);
    }
    TFakeProperty(const TFakeProperty&) = delete;
    TFakeProperty& operator=(const TFakeProperty&) = delete;
    ~TFakeProperty() { ::VariantClear(&FValue); }

    HRESULT FValueResult = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
            riid == __uuidof(ISWbemProperty)) {
            *object = static_cast<ISWbemProperty*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack: the count only has to balance.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override { return --FReferences; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) override {
        if (FAILED(FValueResult))
            return FValueResult;
        ::VariantInit(value);
        return ::VariantCopy(value, &FValue);
    }
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
        *name = ::SysAllocString(L"Fake");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsLocal(VARIANT_BOOL* local) override {
        *local = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Origin(BSTR* origin) override {
        *origin = ::SysAllocString(L"Fake_Class");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CIMType(WbemCimtypeEnum* type) override {
        *type = FType;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Qualifiers_(ISWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsArray(VARIANT_BOOL* isArray) override {
        *isArray = (V_VT(&FValue) & VT_ARRAY) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    WbemCimtypeEnum FType;
    VARIANT FValue;
    ULONG FReferences = 1;
};

std::function<void(VARIANT*)> Null() {
    return [](VARIANT* v) { V_VT(v) = VT_NULL; };
}
template <typename T> std::function<void(VARIANT*)> Scalar(VARTYPE type, T value) {
    return [type, value](VARIANT* v) {
        V_VT(v) = type;
        std::memcpy(&v->llVal, &value, sizeof(value));
    };
}
std::function<void(VARIANT*)> Text(const wchar_t* text) {
    return [text](VARIANT* v) {
        V_VT(v) = VT_BSTR;
        V_BSTR(v) = ::SysAllocString(text);
    };
}
std::function<void(VARIANT*)> Boolean(bool value) {
    return Scalar<VARIANT_BOOL>(VT_BOOL, value ? VARIANT_TRUE : VARIANT_FALSE);
}
// A zero-based array of VARIANTs (as WMI delivers arrays) holding the values.
std::function<void(VARIANT*)>
VariantArray(std::initializer_list<std::function<void(VARIANT*)>> elements) {
    const std::vector<std::function<void(VARIANT*)>> makers(elements);
    return [makers](VARIANT* v) {
        SAFEARRAY* array = ::SafeArrayCreateVector(VT_VARIANT, 0, ULONG(makers.size()));
        for (LONG i = 0; i < LONG(makers.size()); ++i) {
            VARIANT element;
            ::VariantInit(&element);
            makers[size_t(i)](&element);
            ::SafeArrayPutElement(array, &i, &element);
            ::VariantClear(&element);
        }
        V_VT(v) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(v) = array;
    };
}
// A zero-based array of plain elements of one type.
std::function<void(VARIANT*)> TypedArray(VARTYPE type, std::initializer_list<LONG> integers,
                                         std::initializer_list<const wchar_t*> texts = {}) {
    const std::vector<LONG> numbers(integers);
    const std::vector<const wchar_t*> strings(texts);
    return [type, numbers, strings](VARIANT* v) {
        const size_t count = type == VT_BSTR ? strings.size() : numbers.size();
        SAFEARRAY* array = ::SafeArrayCreateVector(type, 0, ULONG(count));
        for (LONG i = 0; i < LONG(count); ++i) {
            if (type == VT_BSTR) {
                const BSTR text = ::SysAllocString(strings[size_t(i)]);
                ::SafeArrayPutElement(array, &i, text);
                ::SysFreeString(text);
            } else {
                LONG number = numbers[size_t(i)];
                ::SafeArrayPutElement(array, &i, &number);
            }
        }
        V_VT(v) = VT_ARRAY | type;
        V_ARRAY(v) = array;
    };
}

std::wstring PropertyText(WbemCimtypeEnum type, const std::function<void(VARIANT*)>& value) {
    TFakeProperty property(type, value);
    std::wstring text = L"stale";
    WmiPropertyToText(&property, text);
    return text;
}

const auto kUnknownType = WbemCimtypeEnum(0); // what Wine's own properties report

// Polish regional settings for the decimal separator while a test runs.
class PolishDecimalSeparator : public ::testing::Test {
protected:
    void SetUp() override {
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, FSaved, 8);
        ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
        wchar_t now[8] = {};
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, now, 8);
        ASSERT_EQ(std::wstring(now), L",");
    }
    void TearDown() override { ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, FSaved); }

    wchar_t FSaved[8] = {};
};

struct TTextCase {
    const char* Name;
    WbemCimtypeEnum Type;
    std::function<void(VARIANT*)> Value;
    const wchar_t* Expected;
};

} // namespace

TEST_F(PolishDecimalSeparator, EveryCimTypeAsText) {
    const std::vector<TTextCase> cases = {
        {"null of any type", wbemCimtypeString, Null(), L"NULL"},
        {"null integer", wbemCimtypeSint32, Null(), L"NULL"},
        {"sint8", wbemCimtypeSint8, Scalar<SHORT>(VT_I2, -128), L"-128"},
        {"uint8", wbemCimtypeUint8, Scalar<BYTE>(VT_UI1, 255), L"255"},
        {"sint16", wbemCimtypeSint16, Scalar<SHORT>(VT_I2, -32768), L"-32768"},
        {"uint16", wbemCimtypeUint16, Scalar<LONG>(VT_I4, 65535), L"65535"},
        {"sint32", wbemCimtypeSint32, Scalar<LONG>(VT_I4, -2147483647 - 1), L"-2147483648"},
        {"uint32", wbemCimtypeUint32, Scalar<ULONG>(VT_UI4, 4000000000u), L"4000000000"},
        {"sint64 as WMI's text", wbemCimtypeSint64, Text(L"-9223372036854775808"),
         L"-9223372036854775808"},
        {"uint64 as WMI's text", wbemCimtypeUint64, Text(L"18446744073709551615"),
         L"18446744073709551615"},
        {"integer array", wbemCimtypeSint32,
         VariantArray({Scalar<LONG>(VT_I4, 1), Scalar<LONG>(VT_I4, -2), Scalar<LONG>(VT_I4, 3)}),
         L"1|-2|3"},
        {"typed integer array", wbemCimtypeUint16, TypedArray(VT_I4, {7, 8}), L"7|8"},
        {"empty array", wbemCimtypeSint32, TypedArray(VT_I4, {}), L""},
        {"string", wbemCimtypeString, Text(L"Zażółć gęślą jaźń"), L"Zażółć gęślą jaźń"},
        {"empty string", wbemCimtypeString, Text(L""), L""},
        {"string array", wbemCimtypeString, VariantArray({Text(L"a"), Text(L""), Text(L"c d")}),
         L"a||c d"},
        {"typed string array", wbemCimtypeString, TypedArray(VT_BSTR, {}, {L"x", L"y"}), L"x|y"},
        {"uint64 array", wbemCimtypeUint64, VariantArray({Text(L"1"), Text(L"2")}), L"1|2"},
        {"true", wbemCimtypeBoolean, Boolean(true), L"True"},
        {"false", wbemCimtypeBoolean, Boolean(false), L"False"},
        {"object", wbemCimtypeObject, Scalar<LONG>(VT_I4, 0), L"<CIM Object>"},
        {"char16", wbemCimtypeChar16, Scalar<SHORT>(VT_I2, 65), L"<16-bit character>"},
        {"datetime", wbemCimtypeDatetime, Text(L"20261210111213.123456+060"),
         L"20261210111213.123456+060"},
        {"reference", wbemCimtypeReference, Text(L"\\\\.\\root\\cimv2:Win32_Process.Handle=\"4\""),
         L"\\\\.\\root\\cimv2:Win32_Process.Handle=\"4\""},
        {"a type without a text", kUnknownType, Text(L"ignored"), L""},
        {"real64", wbemCimtypeReal64, Scalar<double>(VT_R8, 3.14), L"3,14"},
        {"negative real", wbemCimtypeReal64, Scalar<double>(VT_R8, -2.5), L"-2,5"},
        {"whole real", wbemCimtypeReal64, Scalar<double>(VT_R8, 100.0), L"100"},
        {"zero", wbemCimtypeReal64, Scalar<double>(VT_R8, 0.0), L"0"},
        {"fifteen digits", wbemCimtypeReal64, Scalar<double>(VT_R8, 2.0 / 3), L"0,666666666666667"},
        {"largest fixed", wbemCimtypeReal64, Scalar<double>(VT_R8, 123456789012345.0),
         L"123456789012345"},
        {"exponent 15", wbemCimtypeReal64, Scalar<double>(VT_R8, 1e15), L"1E15"},
        {"rounded up to exponent 15", wbemCimtypeReal64, Scalar<double>(VT_R8, 999999999999999.9),
         L"1E15"},
        {"large with digits", wbemCimtypeReal64, Scalar<double>(VT_R8, 1.25e20), L"1,25E20"},
        {"exponent -4", wbemCimtypeReal64, Scalar<double>(VT_R8, 0.0001), L"0,0001"},
        {"exponent -5", wbemCimtypeReal64, Scalar<double>(VT_R8, 1.5e-5), L"1,5E-5"},
        {"real32", wbemCimtypeReal32, Scalar<float>(VT_R4, 0.5f), L"0,5"},
        {"real32 widened exactly", wbemCimtypeReal32, Scalar<float>(VT_R4, 0.1f),
         L"0,100000001490116"},
        {"real as text", wbemCimtypeReal64, Text(L"7"), L"7"},
    };
    for (const TTextCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(WideToUtf8(PropertyText(c.Type, c.Value)), WideToUtf8(c.Expected));
    }
}

TEST_F(PolishDecimalSeparator, RealsFollowTheUsersSeparator) {
    ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L"."));
    EXPECT_EQ(WideToUtf8(PropertyText(wbemCimtypeReal64, Scalar<double>(VT_R8, 3.14))), "3.14");
}

TEST(WmiPropertyToText, FailuresRaiseAndLeaveTheTextEmpty) {
    const std::vector<TTextCase> cases = {
        {"real array", wbemCimtypeReal64,
         VariantArray({Scalar<double>(VT_R8, 1.0), Scalar<double>(VT_R8, 2.0)}), nullptr},
        {"boolean array", wbemCimtypeBoolean, VariantArray({Boolean(true)}), nullptr},
        {"not a number", wbemCimtypeSint32, Text(L"abc"), nullptr},
        {"datetime array", wbemCimtypeDatetime, VariantArray({Text(L"x")}), nullptr},
    };
    for (const TTextCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeProperty property(c.Type, c.Value);
        std::wstring text = L"stale";
        EXPECT_THROW(WmiPropertyToText(&property, text), EOleSysError);
        EXPECT_EQ(text, L"");
    }

    TFakeProperty unreadable(wbemCimtypeString, Text(L"x"));
    unreadable.FValueResult = WBEM_E_ACCESS_DENIED;
    std::wstring text;
    try {
        WmiPropertyToText(&unreadable, text);
        ADD_FAILURE() << "no exception";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), HRESULT(WBEM_E_ACCESS_DENIED));
    }
}

class WmiQueryValueTest : public ::testing::Test {
protected:
    static std::wstring ProcessQuery(const std::wstring& name, wchar_t quote = L'\'') {
        return L"SELECT * FROM Win32_Process WHERE Name=" + std::wstring(1, quote) + name +
               std::wstring(1, quote);
    }

    ComInitialization FCom{COINIT_APARTMENTTHREADED};
    TFixtureFolder FFolder;
};

TEST_F(WmiQueryValueTest, TheStatusCountsTheMatchingObjects) {
    ASSERT_TRUE(SUCCEEDED(FCom.Result()));
    std::wstring value = L"stale";
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"skv_nobody.exe"), L"ProcessId", value), 0);
    EXPECT_EQ(value, L"");

    const std::wstring path = FFolder.Copy(L"fixture_app", L"skv_wmi.exe");
    TFixtureProcess first(path);
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"ProcessId", value), 1);
    // Wine's properties report no name, so the value is never taken there.
    if (RunningUnderWine()) {
        EXPECT_EQ(value, L"");
    } else {
        EXPECT_EQ(value, std::to_wstring(first.Id()));
    }
    // The property name must match exactly, letter case included.
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"processid", value), 1);
    EXPECT_EQ(value, L"");

    TFixtureProcess second(path);
    value = L"stale";
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"ProcessId", value), 2);
    EXPECT_EQ(value, L"");
}

TEST_F(WmiQueryValueTest, FailuresGiveMinusOneAndAnEmptyValue) {
    ASSERT_TRUE(SUCCEEDED(FCom.Result()));
    TFixtureProcess running(FFolder.Copy(L"fixture_app", L"it's.exe"));
    std::wstring value = L"stale";
    // The apostrophe ends the literal early: not valid WQL.
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"it's.exe"), L"ProcessId", value), -1);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"it's.exe", L'"'), L"ProcessId", value), 1);

    value = L"stale";
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"it's.exe", L'"'), L"NoSuchProperty", value), -1);
    EXPECT_EQ(value, L"");
    if (!RunningUnderWine()) { // Wine answers a query on a class it lacks with no objects
        EXPECT_EQ(WmiQueryValue(L"SELECT * FROM Skorvel_NoSuchClass", L"Name", value), -1);
    }
    EXPECT_EQ(WmiQueryValue(L"this is not WQL", L"Name", value), -1);
    EXPECT_EQ(value, L"");
}

TEST_F(WmiQueryValueTest, OneConnectionAnswersQueryAfterQueryAsSingleQueriesDo) {
    ASSERT_TRUE(SUCCEEDED(FCom.Result()));
    const TFixtureProcess running(FFolder.Copy(L"fixture_app", L"skv_wmi.exe"));
    TWmiConnection connection;
    std::wstring value = L"stale", alone;
    EXPECT_EQ(connection.WmiQueryValue(ProcessQuery(L"skv_nobody.exe"), L"ProcessId", value), 0);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(connection.WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"ProcessId", value), 1);
    EXPECT_EQ(WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"ProcessId", alone), 1);
    EXPECT_EQ(value, alone);
    // A failed query leaves the connection fit for the next one.
    EXPECT_EQ(connection.WmiQueryValue(L"this is not WQL", L"Name", value), -1);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(connection.WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"NoSuchProperty", value), -1);
    EXPECT_EQ(connection.WmiQueryValue(ProcessQuery(L"skv_wmi.exe"), L"ProcessId", value), 1);
    EXPECT_EQ(value, alone);
}

TEST(WmiConnection, AConnectionThatCouldNotBeMadeIsTriedAgainAtTheNextQuery) {
    int32_t withoutApartment = 0, inApartment = 0;
    // A thread of its own, outside any COM apartment to begin with.
    std::thread([&] {
        std::optional<ComInitialization> com;
        TWmiConnection connection; // released before COM is uninitialised
        std::wstring value;
        withoutApartment = connection.WmiQueryValue(
            L"SELECT * FROM Win32_Process WHERE Name='skv_nobody.exe'", L"ProcessId", value);
        com.emplace(COINIT_APARTMENTTHREADED);
        inApartment = connection.WmiQueryValue(
            L"SELECT * FROM Win32_Process WHERE Name='skv_nobody.exe'", L"ProcessId", value);
    }).join();
    EXPECT_EQ(withoutApartment, -1);
    EXPECT_EQ(inApartment, 0);
}
