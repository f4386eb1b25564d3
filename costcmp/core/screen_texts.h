#pragma once

#include <QString>

#include "costcmp/core/cost_model.h"
#include "costcmp/core/prm_record.h"

namespace costcmp {

// The caption of the option that chooses the solution; empty for None.
QString SolutionCaption(SolutionKind kind);

// The record saved on exit: the eleven texts as they stand and the chosen
// solution. With no solution chosen field 12 keeps its previous value.
PrmRecord RecordFromInputs(const ParamTexts& texts, SolutionKind kind, const PrmRecord& previous);

// The eleven texts of a stored record.
ParamTexts TextsFromRecord(const PrmRecord& record);

} // namespace costcmp
