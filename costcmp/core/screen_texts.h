#pragma once

#include <QString>

#include "costcmp/core/cost_model.h"
#include "costcmp/core/prm_record.h"

namespace costcmp {

// The caption of the option that chooses solution `kaiNo` (1 to 5); empty for
// any other number.
QString KaiCaption(int kaiNo);

// The record saved on exit: the eleven texts as they stand and the chosen
// solution. With no solution chosen (0) field 12 keeps its previous value.
PrmRecord RecordFromInputs(const ParamTexts& texts, int kaiNo, const PrmRecord& previous);

// The eleven texts of a stored record.
ParamTexts TextsFromRecord(const PrmRecord& record);

} // namespace costcmp
