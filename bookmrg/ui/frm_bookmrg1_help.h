#pragma once

// FRM_BOOKMRG1_HELP: the explanatory picture of the consolidation, shown
// beside the main screen without blocking it.

#include "common/ui/screen_base.h"

namespace bookmrg {

class ConsolidationHelpScreen : public ui::Screen {
    Q_OBJECT
public:
    ConsolidationHelpScreen();
};

} // namespace bookmrg
