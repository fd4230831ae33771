#include "ui/framework/control_kinds.h"

#include "platform/exception.h"
#include "ui/framework/edit_controls.h"
#include "ui/framework/speed_button.h"
#include "ui/framework/standard_controls.h"

namespace skorvel {

TControlKinds::TControlKinds()
    : FKinds{
          {L"panel", MakeControl<TPanel>},
          {L"picture", MakeControl<TPicture>},
          {L"checklist", MakeControl<TCheckListBox>},
          {L"button", MakeControl<TButton>},
          {L"label", MakeControl<TLabel>},
          {L"combobox", MakeControl<TComboBox>},
          {L"listbox", MakeControl<TListBox>},
          {L"edit", MakeControl<TEdit>},
          {L"speedbutton", MakeControl<TSpeedButton>},
      } {}

void TControlKinds::Add(const std::wstring& kind, TControlFactory factory) {
    if (!FKinds.emplace(kind, factory).second)
        throw Exception(L"The kind of control " + kind + L" is added twice");
}

TControlFactory TControlKinds::Find(const std::wstring& kind) const {
    auto it = FKinds.find(kind);
    return it == FKinds.end() ? nullptr : it->second;
}

} // namespace skorvel
