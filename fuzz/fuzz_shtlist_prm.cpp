// SHTLIST.PRM: the sheet list program's workbook path.

#include "common/cp932.h"
#include "fuzz_support.h"
#include "shtlist/settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    fuzz::WriteSeed("empty", QByteArray());
    fuzz::WriteSeed("path", shtlist::EncodeSettings(QStringLiteral("/home/山田/月次.xls")));
    fuzz::WriteSeed("long_length", QByteArray("\xFF\xFF", 2) + QByteArray(40, '\x81'));
    fuzz::WriteSeed("blanks", shtlist::EncodeSettings(QStringLiteral("　 a b 　")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScratchFolder();
    fuzz::WriteInput(shtlist::SettingsPath(), data, size);
    QString text;
    FUZZ_CHECK(shtlist::ReadSettingsFile(&text));
    common::StoredPathProblem(text, shtlist::kMaxTextBytes);
    const QByteArray once = shtlist::EncodeSettings(text);
    FUZZ_CHECK(once.size() == shtlist::kRecordLength);
    const QString second = shtlist::DecodeSettings(once);
    FUZZ_CHECK(shtlist::DecodeSettings(shtlist::EncodeSettings(second)) == second);
    return 0;
}
