#include "common/return_table.h"

#include "common/cp932.h"
#include "common/data_folder.h"
#include "common/record_file.h"
#include "common/text.h"

namespace common {

namespace {

constexpr int kStateWidth = 3;
constexpr int kFieldWidth = 8;
const QByteArray kInUse("YUK");

QByteArray Field(const QByteArray& table, int offset, int width, int slot) {
    return table.mid(offset + slot * width, width);
}

int FindCaller(const QByteArray& table, const QByteArray& key) {
    for (int i = 0; i < kReturnSlots; ++i) {
        if (Field(table, kReturnCallerOffset, kFieldWidth, i) == key)
            return i;
    }
    return -1;
}

// Reads the record padded with zero bytes to its full length; whatever
// follows the record in the file is kept in `tail`.
bool LoadTable(QByteArray* table, QByteArray* tail, QString* error) {
    if (DataFolder().isEmpty()) {
        if (error)
            *error = QStringLiteral("データフォルダが設定されていません");
        return false;
    }
    QByteArray all;
    if (!ReadRecordFile(ReturnTablePath(), &all, -1, error))
        return false;
    *table = all.left(kReturnTableLength);
    table->append(QByteArray(kReturnTableLength - table->size(), '\0'));
    if (tail)
        *tail = all.mid(kReturnTableLength);
    return true;
}

} // namespace

QString ReturnTablePath() {
    return DataFolder() + QStringLiteral("MODORI.DAT");
}

QString ReadReturnTarget(const QString& id, bool* ok) {
    QByteArray table;
    const bool loaded = LoadTable(&table, nullptr, nullptr);
    if (ok)
        *ok = loaded;
    if (!loaded)
        return QString();
    const int slot = FindCaller(table, ToCp932Fixed(id, kFieldWidth));
    if (slot < 0)
        return QString();
    return TrimBlanks(FromCp932(Field(table, kReturnCommandOffset, kFieldWidth, slot)));
}

bool WriteReturnTarget(const QString& command, const QString& id, QString* error) {
    QByteArray table;
    QByteArray tail;
    if (!LoadTable(&table, &tail, error))
        return false;
    const QByteArray key = ToCp932Fixed(id, kFieldWidth);
    int slot = FindCaller(table, key);
    for (int i = 0; slot < 0 && i < kReturnSlots; ++i) {
        if (Field(table, kReturnStateOffset, kStateWidth, i) != kInUse)
            slot = i;
    }
    if (slot < 0) {
        if (error)
            *error = QStringLiteral("戻り先の登録領域（%1件）に空きがありません").arg(kReturnSlots);
        return false;
    }
    table.replace(kReturnStateOffset + slot * kStateWidth, kStateWidth, kInUse);
    table.replace(kReturnCommandOffset + slot * kFieldWidth, kFieldWidth,
                  ToCp932Fixed(command, kFieldWidth));
    table.replace(kReturnCallerOffset + slot * kFieldWidth, kFieldWidth, key);
    return WriteRecordFile(ReturnTablePath(), table + tail, error);
}

} // namespace common
