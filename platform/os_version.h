#pragma once
// Identification of the running Windows release and edition.
#include "platform/os_version_classify.h"

namespace skorvel {

// Fills Info from the version the system reports; raises nothing. Info is
// expected fresh (as default-constructed): fields that no rule sets keep their
// values, and when the system reports no version at all nothing is set.
void GetWindowsTypeEx(TWindowsTypeEx& Info);

} // namespace skorvel
