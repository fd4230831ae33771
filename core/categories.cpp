#include "core/categories.h"

namespace skorvel {

// The caption of row 3 says "Manadżery" while its stem says "menedzery":
// existing filter folders use that stem, so both stay as they are.
const std::array<TCategory, kFilterCategoryCount> kCategories = {{
    {L"Antywirusy", L"antywirusy", false},
    {L"Inne", L"inne", false},
    {L"Komunikatory", L"komunikatory", true},
    {L"Manadżery plików i kompresja", L"menedzery_plikow", true},
    {L"Odtwarzacze multimedialne", L"odtwarzacze_multimedialne", true},
    {L"Pobieranie danych", L"pobieranie_danych", true},
    {L"Programy biurowe", L"programy_biurowe", true},
    {L"Przeglądarki internetowe", L"przegladarki_internetowe", true},
    {L"Użytkowe", L"uzytkowe", true},
    {L"Wirtualne dyski i montowanie napędów", L"wirtualne_dyski", false},
}};

const wchar_t* const kEffectsRowCaption = L"Wyłącz efekty Aero i kompozycje";

std::vector<std::wstring> CategoryRowCaptions() {
    std::vector<std::wstring> captions;
    for (const auto& category : kCategories)
        captions.emplace_back(category.Caption);
    captions.emplace_back(kEffectsRowCaption);
    return captions;
}

std::wstring CategoryDisplayName(const std::wstring& Stem) {
    for (const auto& category : kCategories)
        if (Stem == category.FileStem)
            return category.Caption;
    return Stem;
}

std::wstring CategoryFileStem(const std::wstring& Caption) {
    for (const auto& category : kCategories)
        if (Caption == category.Caption)
            return category.FileStem;
    return Caption;
}

} // namespace skorvel
