#include "ui/filter_editor.h"

namespace skorvel {

TEdytorFrm* EdytorFrm = nullptr;

TEdytorFrm::TEdytorFrm() : TForm(L"EDYTORFRM") {
    EdytorFrm = this;
    Build();
}

} // namespace skorvel
