#include "platform/exception.h"

#include "platform/text.h"

namespace skorvel {

Exception::Exception(std::wstring message)
    : FMessage(std::move(message)), FNarrow(WideToUtf8(FMessage)) {}

EListError::EListError(int index)
    : Exception(L"List index out of bounds (" + std::to_wstring(index) + L")") {}

std::wstring ExceptionMessage(const std::exception& e) {
    if (auto* own = dynamic_cast<const Exception*>(&e))
        return own->Message();
    return Utf8ToWide(e.what());
}

} // namespace skorvel
