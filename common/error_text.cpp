#include "common/error_text.h"

#include <QFileDevice>

#include <cerrno>
#include <cstring>

namespace common {

namespace {

struct Reason {
    int number;
    const char16_t* text;
};

// The errors of file work that a user can meet and act on.
constexpr Reason kReasons[] = {
    {ENAMETOOLONG, u"ファイル名が長すぎます"},
    {ENOENT, u"ファイルまたはフォルダがありません"},
    {EACCES, u"アクセスが許可されていません"},
    {EPERM, u"この操作は許可されていません"},
    {EROFS, u"読み取り専用の場所には書き込めません"},
    {ENOSPC, u"ディスクの空き容量が足りません"},
    {EDQUOT, u"ディスクの使用量の上限を超えました"},
    {EISDIR, u"同じ名前のフォルダがあります"},
    {ENOTDIR, u"パスの途中にフォルダではないものがあります"},
    {EEXIST, u"同じ名前のファイルがあります"},
    {EBUSY, u"ファイルが使用中です"},
    {ETXTBSY, u"ファイルが使用中です"},
    {EMFILE, u"開いているファイルが多すぎます"},
    {ENFILE, u"開いているファイルが多すぎます"},
    {EIO, u"ディスクの読み書きでエラーが発生しました"},
    {ELOOP, u"リンクが多すぎるか循環しています"},
    {EINVAL, u"ファイル名が正しくありません"},
    {EXDEV, u"別のドライブには移動できません"},
    {ENOTEMPTY, u"フォルダが空ではありません"},
    {EFBIG, u"ファイルが大きすぎます"},
};

} // namespace

QString SystemErrorText(int errorNumber) {
    for (const Reason& reason : kReasons)
        if (reason.number == errorNumber)
            return QString::fromUtf16(reason.text);
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString JapaneseErrorText(const QString& systemText) {
    const QString text = systemText.trimmed();
    if (text.isEmpty())
        return systemText;
    for (const Reason& reason : kReasons) {
        // The wording of the C library, and of Qt, which words a few errors
        // itself (translated where its Japanese texts are loaded).
        if (text.compare(QString::fromLocal8Bit(std::strerror(reason.number)),
                         Qt::CaseInsensitive) == 0 ||
            text == qt_error_string(reason.number))
            return QString::fromUtf16(reason.text);
    }
    return systemText;
}

QString FileErrorText(const QFileDevice& file) {
    return JapaneseErrorText(file.errorString());
}

} // namespace common
