#pragma once
// WQL queries on the local "root\CIMV2" namespace through the WMI scripting
// interfaces, each answering one property of the single matching object as
// text: over a connection that serves several queries, or alone, with a
// connection of its own.
#include "platform/com_ptr.h"
#include "platform/exception.h"

#include <windows.h>
#include <wbemdisp.h>

#include <cstdint>
#include <string>

namespace skorvel {

// A failed COM call or conversion: the HRESULT with the system's text for it.
class EOleSysError : public Exception {
public:
    explicit EOleSysError(HRESULT code);
    HRESULT ErrorCode() const noexcept { return FCode; }

private:
    HRESULT FCode;
};

// One connection to the local namespace, with the caller's own credentials,
// made at the first query (again at the next one when making it failed) and
// released with the object. The calling thread must be in a COM apartment for
// the object's whole life.
class TWmiConnection {
public:
    TWmiConnection() noexcept = default;
    TWmiConnection(const TWmiConnection&) = delete;
    TWmiConnection& operator=(const TWmiConnection&) = delete;

    // Runs Query (WQL) and returns the number of objects it matched, or -1
    // when anything failed (the connection included); it never raises. Only
    // when exactly one object matched is Value set: to its property
    // PropertyName (exact letter case) as WmiPropertyToText writes it;
    // otherwise Value is empty.
    int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                          std::wstring& Value) noexcept;

private:
    ISWbemServices& Services();

    ComPtr<ISWbemServices> FServices;
};

// TWmiConnection::WmiQueryValue over a connection made for this one query.
int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                      std::wstring& Value) noexcept;

// The property's value as text by its CIM type: "NULL" for null, integers in
// decimal, reals in general format with 15 significant digits and the user's
// decimal separator, arrays of integers and strings joined with "|". Raises
// EOleSysError when a COM call or a conversion fails.
void WmiPropertyToText(ISWbemProperty* Property, std::wstring& Text);

} // namespace skorvel
