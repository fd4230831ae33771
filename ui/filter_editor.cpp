#include "ui/filter_editor.h"

#include "ui/controls/custom_controls.h"

namespace skorvel {

TEdytorFrm* EdytorFrm = nullptr;

TEdytorFrm::TEdytorFrm() : TForm(L"EDYTORFRM") {
    EdytorFrm = this;
    RegisterCustomControls();
    Build();
}

} // namespace skorvel
