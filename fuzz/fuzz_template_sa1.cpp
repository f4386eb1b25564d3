// <name>.SA1: a parameter template, loaded into the input screen.

#include "common/data_folder.h"
#include "costcmp/core/cost_model.h"
#include "costcmp/templates/template_record.h"
#include "fuzz_support.h"

#include <limits>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    costcmp::TemplateRecord record;
    const qint64 sample[] = {800000000, 150000000, 50000, 20000, 10000000000, 60000000000,
                             0,         500,       60000, 50000, 6000000000,  10000};
    for (int i = 0; i < 12; ++i)
        record.fields[i] = sample[i];
    fuzz::WriteSeed("sample", costcmp::EncodeTemplateRecord(record));
    costcmp::TemplateRecord extremes;
    for (int i = 0; i < costcmp::TemplateRecord::kFieldCount; ++i)
        extremes.fields[i] =
            i % 2 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    fuzz::WriteSeed("extremes", costcmp::EncodeTemplateRecord(extremes));
    fuzz::WriteSeed("longer_file", costcmp::EncodeTemplateRecord(record) + QByteArray(64, '\x11'));
    fuzz::WriteSeed("short", QByteArray(100, '\0'));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScratchFolder();
    const QString path = common::DataFolder() + QStringLiteral("見積.SA1");
    fuzz::WriteInput(path, data, size);
    costcmp::TemplateRecord record;
    QString error;
    if (!costcmp::ReadTemplateFile(path, &record, &error)) {
        FUZZ_CHECK(size < size_t(costcmp::TemplateRecord::kByteLength) && !error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(costcmp::EncodeTemplateRecord(record) ==
               fuzz::Bytes(data, costcmp::TemplateRecord::kByteLength));
    const costcmp::SolutionKind kind = costcmp::SolutionOf(record);
    const int number = costcmp::SolutionNumber(kind);
    FUZZ_CHECK(number >= 0 && number <= 5);
    // Loading shows the values as texts; the next calculation reads them.
    const costcmp::ParamTexts texts = costcmp::DisplayTexts(record);
    for (const QString& text : texts)
        FUZZ_CHECK(!text.isEmpty());
    const costcmp::Calculation calc = costcmp::Calculate(texts, kind);
    FUZZ_CHECK(calc.ok || !calc.message.isEmpty());
    costcmp::ParamsOf(record);
    return 0;
}
