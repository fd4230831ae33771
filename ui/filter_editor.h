#pragma once
// The filter editor window, created hidden at start-up and shown modally
// from the main window's menu.
#include "ui/framework/form.h"

namespace skorvel {

class TEdytorFrm : public TForm {
public:
    TEdytorFrm();
};

extern TEdytorFrm* EdytorFrm;

} // namespace skorvel
