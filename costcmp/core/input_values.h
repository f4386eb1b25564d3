#pragma once

#include <QStringList>

#include "costcmp/core/cost_model.h"

namespace costcmp {

// The two-letter codes of the eleven parameters, in input order.
inline constexpr const char* kParamCodes[kParamCount] = {"SA", "SB", "SC", "SD", "JA", "JB",
                                                         "JC", "JD", "JE", "CA", "CB"};

// The sample set of the input screen: the box texts exactly as shown, and
// the first solution.
ParamTexts SampleParamTexts();
inline constexpr SolutionKind kSampleSolution = SolutionKind::Users;

// The value list of the drop-down box of parameter `index` (0 = SA ... 10 =
// CB), every entry formatted with "##,##0"; empty for an index out of range.
QStringList DropDownEntries(int index);

} // namespace costcmp
