#pragma once

#include "workbook_tools/tool_env.h"

#include <QDir>
#include <QFile>

namespace shtlist_test {

// The private world of the consolidation program's tests (data folder, home
// and documents folder, a books folder), with the current folder restored.
class ShtlistTest : public tools_test::ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        currentFolder_ = QDir::currentPath();
    }
    void TearDown() override {
        QDir::setCurrent(currentFolder_);
        ToolTest::TearDown();
    }
    QString BooksFolder() const { return QFileInfo(Book(QStringLiteral("x"))).absolutePath(); }
    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QString currentFolder_;
};

} // namespace shtlist_test
