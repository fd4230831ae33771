#include "platform/wmi_query.h"

#include "platform/com_ptr.h"
#include "platform/os_error.h"

#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace skorvel {

namespace {

[[noreturn]] void RaiseOleError(HRESULT code) {
    throw EOleSysError(code);
}

void Check(HRESULT result) {
    if (FAILED(result))
        RaiseOleError(result);
}

// An owned COM string; a default one is the null BSTR, which COM reads as "".
class TBstr {
public:
    TBstr() noexcept = default;
    explicit TBstr(const std::wstring& text)
        : FText(::SysAllocStringLen(text.data(), UINT(text.size()))) {
        if (!FText)
            RaiseOleError(E_OUTOFMEMORY);
    }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;
    ~TBstr() { ::SysFreeString(FText); }

    BSTR get() const noexcept { return FText; }
    BSTR* put() noexcept {
        ::SysFreeString(FText);
        FText = nullptr;
        return &FText;
    }
    std::wstring Text() const { return std::wstring(FText ? FText : L"", ::SysStringLen(FText)); }

private:
    BSTR FText = nullptr;
};

class TVariant {
public:
    TVariant() noexcept { ::VariantInit(&FValue); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { ::VariantClear(&FValue); }

    VARIANT* get() noexcept { return &FValue; }
    const VARIANT& operator*() const noexcept { return FValue; }
    void Clear() noexcept { ::VariantClear(&FValue); }

private:
    VARIANT FValue;
};

// The scripting locator: a running instance when there is one, else a new one.
class TSWbemLocator {
public:
    ISWbemLocator& Locator() {
        if (!FLocator)
            FLocator = Obtain();
        return *FLocator.get();
    }

private:
    static ComPtr<ISWbemLocator> Obtain() {
        ComPtr<ISWbemLocator> locator;
        ComPtr<IUnknown> running;
        if (SUCCEEDED(::GetActiveObject(__uuidof(SWbemLocator), nullptr, running.put())) &&
            SUCCEEDED(running.As(locator)))
            return locator;
        Check(::CoCreateInstance(__uuidof(SWbemLocator), nullptr, CLSCTX_ALL,
                                 __uuidof(ISWbemLocator), locator.put_void()));
        return locator;
    }

    ComPtr<ISWbemLocator> FLocator;
};

// --- value conversions ---

void ChangeType(TVariant& target, const VARIANT& source, VARTYPE type) {
    Check(::VariantChangeType(target.get(), const_cast<VARIANT*>(&source), 0, type));
}

std::wstring IntegerText(const VARIANT& value) {
    TVariant converted;
    ChangeType(converted, value, VT_I8);
    return std::to_wstring(static_cast<long long>(V_I8(&*converted)));
}

std::wstring PlainText(const VARIANT& value) {
    TVariant converted;
    ChangeType(converted, value, VT_BSTR);
    const BSTR text = V_BSTR(&*converted);
    return std::wstring(text ? text : L"", ::SysStringLen(text));
}

bool BooleanValue(const VARIANT& value) {
    TVariant converted;
    ChangeType(converted, value, VT_BOOL);
    return V_BOOL(&*converted) != VARIANT_FALSE;
}

std::wstring UserDecimalSeparator() {
    wchar_t separator[8] = {};
    if (!::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8))
        return L".";
    return separator;
}

// General number format with 15 significant digits: fixed notation unless the
// decimal exponent is below -4 or at least 15, trailing zeros dropped.
std::wstring GeneralFloatText(double value, const std::wstring& decimalSeparator) {
    if (std::isnan(value))
        return L"NAN";
    if (std::isinf(value))
        return value < 0 ? L"-INF" : L"INF";
    if (value == 0)
        return L"0";
    char scientific[40];
    std::snprintf(scientific, sizeof(scientific), "%.14e", std::fabs(value)); // d.ddd...e+XX
    std::wstring digits(1, wchar_t(scientific[0]));
    digits.append(scientific + 2, scientific + 16);
    const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
    digits.erase(digits.find_last_not_of(L'0') + 1);

    std::wstring text = value < 0 ? L"-" : L"";
    if (exponent < -4 || exponent >= 15) {
        text += digits[0];
        if (digits.size() > 1)
            text += decimalSeparator + digits.substr(1);
        return text + L'E' + std::to_wstring(exponent);
    }
    if (exponent < 0)
        return text + L'0' + decimalSeparator + std::wstring(size_t(-exponent - 1), L'0') + digits;
    const size_t integerDigits = size_t(exponent) + 1;
    if (digits.size() <= integerDigits)
        return text + digits + std::wstring(integerDigits - digits.size(), L'0');
    return text + digits.substr(0, integerDigits) + decimalSeparator + digits.substr(integerDigits);
}

std::wstring RealText(const VARIANT& value) {
    TVariant converted;
    ChangeType(converted, value, VT_R8);
    return GeneralFloatText(V_R8(&*converted), UserDecimalSeparator());
}

// Element Index of a one-dimensional array as a variant of its own.
void ReadElement(SAFEARRAY* array, VARTYPE type, LONG index, TVariant& element) {
    if (type == VT_VARIANT) {
        Check(::SafeArrayGetElement(array, &index, element.get()));
        return;
    }
    VARIANT* target = element.get();
    // Every scalar of a variant starts at the same place in its union; wider
    // elements (DECIMAL, records) have no place there.
    if (::SafeArrayGetElemsize(array) > sizeof(target->llVal))
        RaiseOleError(DISP_E_TYPEMISMATCH);
    Check(::SafeArrayGetElement(array, &index, &target->llVal));
    V_VT(target) = type;
}

// Convert applied to the value, or to each element of an array from index 0
// to the upper bound, joined with "|".
std::wstring EachElementText(const VARIANT& value, std::wstring (*convert)(const VARIANT&)) {
    if (!(V_VT(&value) & VT_ARRAY))
        return convert(value);
    if (V_VT(&value) & VT_BYREF)
        RaiseOleError(DISP_E_TYPEMISMATCH);
    SAFEARRAY* array = V_ARRAY(&value);
    LONG upperBound = -1;
    Check(::SafeArrayGetUBound(array, 1, &upperBound));
    std::wstring text;
    for (LONG index = 0; index <= upperBound; ++index) {
        TVariant element;
        ReadElement(array, VARTYPE(V_VT(&value) & VT_TYPEMASK), index, element);
        if (index > 0)
            text += L'|';
        text += convert(*element);
    }
    return text;
}

std::wstring CimValueText(const VARIANT& value, WbemCimtypeEnum type) {
    switch (type) {
    case wbemCimtypeSint8:
    case wbemCimtypeUint8:
    case wbemCimtypeSint16:
    case wbemCimtypeUint16:
    case wbemCimtypeSint32:
    case wbemCimtypeUint32:
    case wbemCimtypeSint64:
        return EachElementText(value, IntegerText);
    case wbemCimtypeReal32:
    case wbemCimtypeReal64:
        return RealText(value);
    case wbemCimtypeString:
    case wbemCimtypeUint64: // delivered as the decimal text WMI writes
        return EachElementText(value, PlainText);
    case wbemCimtypeBoolean:
        return BooleanValue(value) ? L"True" : L"False";
    case wbemCimtypeObject:
        return L"<CIM Object>";
    case wbemCimtypeDatetime: // the DMTF text, unchanged
    case wbemCimtypeReference:
        return PlainText(value);
    case wbemCimtypeChar16:
        return L"<16-bit character>";
    }
    return std::wstring();
}

// --- the query ---

ComPtr<ISWbemObject> ObjectOf(const VARIANT& element) {
    if (V_VT(&element) != VT_DISPATCH && V_VT(&element) != VT_UNKNOWN)
        RaiseOleError(DISP_E_TYPEMISMATCH);
    IUnknown* unknown = V_UNKNOWN(&element);
    if (!unknown)
        RaiseOleError(E_POINTER);
    ComPtr<ISWbemObject> object;
    Check(unknown->QueryInterface(__uuidof(ISWbemObject), object.put_void()));
    return object;
}

// Value = the property when its reported name is exactly PropertyName.
void ReadProperty(ISWbemObject& object, const std::wstring& propertyName, std::wstring& value) {
    ComPtr<ISWbemPropertySet> properties;
    Check(object.get_Properties_(properties.put()));
    ComPtr<ISWbemProperty> property;
    Check(properties->Item(TBstr(propertyName).get(), 0, property.put()));
    // A scripting layer that does not report names (Wine's answers E_NOTIMPL)
    // cannot confirm the letter case: the value is then not taken, as for a
    // name that differs.
    TBstr name;
    const HRESULT named = property->get_Name(name.put());
    if (named == E_NOTIMPL)
        return;
    Check(named);
    if (name.Text() == propertyName)
        WmiPropertyToText(property.get(), value);
}

int32_t QueryValue(ISWbemServices& services, const std::wstring& query,
                   const std::wstring& propertyName, std::wstring& value) {
    ComPtr<ISWbemObjectSet> objects;
    Check(services.ExecQuery(TBstr(query).get(), TBstr(L"WQL").get(), wbemFlagReturnImmediately,
                             nullptr, objects.put()));
    long count = 0;
    Check(objects->get_Count(&count)); // waits for the complete result
    if (count != 1)
        return int32_t(count);
    ComPtr<IUnknown> enumUnknown;
    Check(objects->get__NewEnum(enumUnknown.put()));
    ComPtr<IEnumVARIANT> enumerator;
    Check(enumUnknown.As(enumerator));
    TVariant element;
    for (HRESULT next = enumerator->Next(1, element.get(), nullptr); next == S_OK;
         next = enumerator->Next(1, element.get(), nullptr)) {
        ReadProperty(*ObjectOf(*element).get(), propertyName, value);
        element.Clear();
    }
    return int32_t(count);
}

} // namespace

EOleSysError::EOleSysError(HRESULT code)
    : Exception(SystemErrorMessage(uint32_t(code))), FCode(code) {}

ISWbemServices& TWmiConnection::Services() {
    if (!FServices) {
        // The local machine with the caller's own credentials and defaults.
        // The locator is needed only to connect.
        TSWbemLocator locator;
        ComPtr<ISWbemServices> services;
        Check(locator.Locator().ConnectServer(nullptr, TBstr(L"root\\CIMV2").get(), nullptr,
                                              nullptr, nullptr, nullptr, 0, nullptr,
                                              services.put()));
        FServices = std::move(services);
    }
    return *FServices.get();
}

int32_t TWmiConnection::WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                                      std::wstring& Value) noexcept {
    Value.clear();
    try {
        return QueryValue(Services(), Query, PropertyName, Value);
    } catch (...) {
        Value.clear();
        return -1;
    }
}

int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                      std::wstring& Value) noexcept {
    return TWmiConnection().WmiQueryValue(Query, PropertyName, Value);
}

void WmiPropertyToText(ISWbemProperty* Property, std::wstring& Text) {
    Text.clear();
    if (!Property)
        RaiseOleError(E_POINTER);
    TVariant value;
    Check(Property->get_Value(value.get()));
    if (V_VT(value.get()) == VT_NULL) {
        Text = L"NULL";
        return;
    }
    WbemCimtypeEnum type{};
    Check(Property->get_CIMType(&type));
    Text = CimValueText(*value, type);
}

} // namespace skorvel
