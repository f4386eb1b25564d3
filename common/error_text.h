#pragma once

#include <QString>

class QFileDevice;

namespace common {

// The reason for a failed file operation as the suite's messages give it: in
// Japanese for the errors a user meets ("ファイル名が長すぎます" rather than
// the system's "File name too long"). A text the table does not know is
// given as it is.
QString SystemErrorText(int errorNumber);
// The same for the text of a system error (QFileDevice::errorString(),
// strerror()), recognised in the system's own wording.
QString JapaneseErrorText(const QString& systemText);
// The reason of a file's last error.
QString FileErrorText(const QFileDevice& file);

} // namespace common
