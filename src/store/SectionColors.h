#pragma once

#include "app/MainFormState.h"

namespace qm {

// The classic look: the colours of the default settings row, in section order.
const SectionColorSet& ClassicSectionColors();

} // namespace qm
