#pragma once
// One WQL query on the local "root\CIMV2" namespace through the WMI
// scripting interfaces, answering one property of the single matching object
// as text. Nothing is kept between calls: each builds its own connection.
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

// Runs Query (WQL) and returns the number of objects it matched, or -1 when
// anything failed; it never raises. Only when exactly one object matched is
// Value set: to its property PropertyName (exact letter case) as
// WmiPropertyToText writes it; otherwise Value is empty. The calling thread
// must already be in a COM apartment.
int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                      std::wstring& Value) noexcept;

// The property's value as text by its CIM type: "NULL" for null, integers in
// decimal, reals in general format with 15 significant digits and the user's
// decimal separator, arrays of integers and strings joined with "|". Raises
// EOleSysError when a COM call or a conversion fails.
void WmiPropertyToText(ISWbemProperty* Property, std::wstring& Text);

} // namespace skorvel
