#include "bookmrg/output_name.h"
#include "bookmrg/run_params.h"

namespace bookmrg {

int IsExcludedSheet(const QString& sheetName, const RunParams& params) {
    const QString name = TrimSpaces(sheetName);
    if (params.matchMode == QLatin1String("1"))
        return name == params.exclude1 || name == params.exclude2 ? 1 : 0;
    if (params.matchMode == QLatin1String("2")) {
        for (const QString& text : {params.exclude1, params.exclude2}) {
            if (!text.isEmpty() && name.contains(text))
                return 1;
        }
    }
    return 0;
}

bool HasExclusions(const RunParams& params) {
    return !params.exclude1.isEmpty() || !params.exclude2.isEmpty();
}

} // namespace bookmrg
