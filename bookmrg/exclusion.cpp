#include "bookmrg/run_params.h"
#include "workbook_tools/output_name.h"

namespace bookmrg {

bool IsExcludedSheet(const QString& sheetName, const RunParams& params) {
    const QString name = tools::TrimSpaces(sheetName);
    if (params.matchMode == QLatin1String("1"))
        return name == params.exclude1 || name == params.exclude2;
    if (params.matchMode == QLatin1String("2")) {
        for (const QString& text : {params.exclude1, params.exclude2}) {
            if (!text.isEmpty() && name.contains(text))
                return true;
        }
    }
    return false;
}

bool HasExclusions(const RunParams& params) {
    return !params.exclude1.isEmpty() || !params.exclude2.isEmpty();
}

} // namespace bookmrg
