#pragma once

#include <QByteArray>
#include <QStringList>

#include "costcmp/core/cost_model.h"

namespace costcmp {

// The result listing of a calculation run: the parameters as entered
// (converted), the chosen solution and the answer. 20 lines for a solution
// 1 to 5, 18 lines when no solution is chosen (None). When the
// calculation failed, the failure message takes the place of the answer
// sentence and the in-house total line.
QStringList BuildListing(const Calculation& calc);
QStringList BuildListing(const ParamTexts& texts, SolutionKind kind);

// The listing as the export file "WORK.TXT" holds it: each line in cp932,
// ended by CR LF.
inline constexpr char kExportFileName[] = "WORK.TXT";
QByteArray ListingExportBytes(const QStringList& lines);

} // namespace costcmp
