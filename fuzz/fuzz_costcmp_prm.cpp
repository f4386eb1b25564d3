// COSTCMP.PRM: the calculator's twelve stored texts, shown on the input
// screen and converted to numbers when a calculation runs.

#include "common/data_folder.h"
#include "costcmp/core/cost_model.h"
#include "costcmp/core/prm_record.h"
#include "fuzz_support.h"

namespace {

costcmp::PrmRecord Sample() {
    costcmp::PrmRecord record;
    const char* texts[] = {"80,000", "15,000", "5", "2", "100", "600",
                           "0",      "5",      "6", "5", "60",  "1"};
    for (int i = 0; i < costcmp::PrmRecord::kFieldCount; ++i)
        record.fields[i] = QString::fromLatin1(texts[i]);
    return record;
}

costcmp::ParamTexts TextsOf(const costcmp::PrmRecord& record) {
    costcmp::ParamTexts texts;
    for (int i = 0; i < costcmp::kParamCount; ++i)
        texts[i] = record.fields[i];
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    fuzz::WriteSeed("empty", QByteArray());
    fuzz::WriteSeed("sample", costcmp::EncodePrmRecord(Sample()));
    costcmp::PrmRecord odd = Sample();
    odd.fields[0] = QStringLiteral("９，９９９，９９９，９９９，９９９");
    odd.fields[4] = QStringLiteral("-1.23456789");
    odd.fields[9] = QStringLiteral("1e308");
    odd.Solution() = QStringLiteral("5");
    fuzz::WriteSeed("odd_texts", costcmp::EncodePrmRecord(odd));
    fuzz::WriteSeed("long_length", QByteArray("\xFF\x7F", 2) + QByteArray(64, 'x'));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScratchFolder();
    const QString path = common::DataFolder() + QString::fromLatin1(costcmp::kPrmFileName);
    fuzz::WriteInput(path, data, size);
    QString error;
    const std::optional<costcmp::PrmRecord> record = costcmp::LoadPrmRecord(path, &error);
    if (!record) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const costcmp::SolutionKind kind = costcmp::SolutionFromText(record->Solution());
    const int number = costcmp::SolutionNumber(kind);
    FUZZ_CHECK(number >= 0 && number <= 5);
    // A calculation from whatever was stored either answers or says why not.
    const costcmp::Calculation calc = costcmp::Calculate(TextsOf(*record), kind);
    FUZZ_CHECK(calc.ok || !calc.message.isEmpty());

    // Saved again and read back, the texts are those the screen showed.
    if (costcmp::SavePrmRecord(path, *record)) {
        const std::optional<costcmp::PrmRecord> again = costcmp::LoadPrmRecord(path);
        FUZZ_CHECK(again.has_value());
        const std::optional<costcmp::PrmRecord> third =
            costcmp::SavePrmRecord(path, *again) ? costcmp::LoadPrmRecord(path) : std::nullopt;
        FUZZ_CHECK(third.has_value() && third->fields == again->fields);
    }
    return 0;
}
