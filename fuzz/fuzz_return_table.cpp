// MODORI.DAT: the return table read by every program that is left, written
// by the launcher before it starts a tool.

#include "common/data_folder.h"
#include "common/program_start.h"
#include "common/return_table.h"
#include "fuzz_support.h"

#include <QStringList>

namespace {

const QStringList kIds = {QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP"),
                          QStringLiteral("BOOKMRG"), QStringLiteral("SHTLIST"),
                          QStringLiteral("COSTSUB"), QStringLiteral("LONGERID9")};

QByteArray Slot(const char* state, const char* command, const char* id) {
    QByteArray table(common::kReturnTableLength, ' ');
    table.replace(common::kReturnStateOffset, 3, state);
    table.replace(common::kReturnCommandOffset, 8, QByteArray(command).leftJustified(8, ' '));
    table.replace(common::kReturnCallerOffset, 8, QByteArray(id).leftJustified(8, ' '));
    return table;
}

QByteArray ReadTable() {
    QFile file(common::ReturnTablePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    fuzz::WriteSeed("empty", QByteArray());
    fuzz::WriteSeed("one_slot", Slot("YUK", "HUBMENU", "COSTCMP"));
    fuzz::WriteSeed("path_command", Slot("YUK", "../pwn", "COSTCMP"));
    QByteArray full(common::kReturnTableLength, '\0');
    for (int i = 0; i < common::kReturnSlots; ++i)
        full.replace(i * 3, 3, "YUK");
    fuzz::WriteSeed("all_slots_taken", full);
    fuzz::WriteSeed("with_tail", Slot("YUK", "HUBMENU", "SHTLIST") + "tail");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScratchFolder();
    fuzz::WriteInput(common::ReturnTablePath(), data, size);
    for (const QString& id : kIds) {
        bool ok = false;
        const QString command = common::ReadReturnTarget(id, &ok);
        FUZZ_CHECK(ok);
        FUZZ_CHECK(command.size() <= 8);
        // The hand-over decides on this text alone.
        common::IsSuiteProgram(command);
    }

    // Registering keeps whatever follows the record and is read back.
    const QByteArray tail = size > size_t(common::kReturnTableLength)
                                ? fuzz::Bytes(data, size).mid(common::kReturnTableLength)
                                : QByteArray();
    QString error;
    if (common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("BOOKMRG"), &error)) {
        FUZZ_CHECK(common::ReadReturnTarget(QStringLiteral("BOOKMRG")) ==
                   QStringLiteral("HUBMENU"));
        const QByteArray after = ReadTable();
        FUZZ_CHECK(after.size() == common::kReturnTableLength + tail.size());
        FUZZ_CHECK(after.mid(common::kReturnTableLength) == tail);
    } else {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(ReadTable() == fuzz::Bytes(data, size));
    }
    return 0;
}
