// BOOKMRG.PRM: the consolidation program's output book, exclusions, book
// list and match mode.

#include "bookmrg/settings.h"
#include "common/cp932.h"
#include "fuzz_support.h"

namespace {

bool Same(const bookmrg::Settings& a, const bookmrg::Settings& b) {
    return a.outputBook == b.outputBook && a.exclude1 == b.exclude1 && a.exclude2 == b.exclude2 &&
           a.books == b.books && a.matchMode == b.matchMode;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    fuzz::WriteSeed("empty", QByteArray());
    bookmrg::Settings s;
    s.outputBook = QStringLiteral("/home/山田/結果.xls");
    s.exclude1 = QStringLiteral("目次");
    s.books = {QStringLiteral("/d/a.xls"), QStringLiteral("/d/売上～①.xls")};
    s.matchMode = QStringLiteral("1");
    fuzz::WriteSeed("two_books", bookmrg::EncodeSettings(s));
    for (int i = 0; i < bookmrg::kBookSlots; ++i)
        s.books.append(QString(200, QChar(0x8CC7)));
    fuzz::WriteSeed("full_list", bookmrg::EncodeSettings(s));
    fuzz::WriteSeed("short", bookmrg::EncodeSettings(s).left(300));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScratchFolder();
    fuzz::WriteInput(bookmrg::SettingsPath(), data, size);
    bookmrg::Settings read;
    FUZZ_CHECK(bookmrg::ReadSettingsFile(&read));
    FUZZ_CHECK(read.books.size() <= bookmrg::kBookSlots);
    FUZZ_CHECK(read.outputBook.size() <= bookmrg::kOutputBookWidth);
    FUZZ_CHECK(read.matchMode.size() <= bookmrg::kMatchModeWidth);
    for (const QString& book : read.books) {
        FUZZ_CHECK(!book.isEmpty() && book.size() <= bookmrg::kBookWidth);
        // The screen's check of a path that enters the list.
        common::StoredPathProblem(book, bookmrg::kBookWidth);
    }

    // Written and read again, the record settles at once: what the screen
    // shows after one save is what every later save keeps.
    const QByteArray once = bookmrg::EncodeSettings(read);
    FUZZ_CHECK(once.size() == bookmrg::kRecordLength);
    const bookmrg::Settings second = bookmrg::DecodeSettings(once);
    const bookmrg::Settings third = bookmrg::DecodeSettings(bookmrg::EncodeSettings(second));
    FUZZ_CHECK(Same(second, third));
    return 0;
}
