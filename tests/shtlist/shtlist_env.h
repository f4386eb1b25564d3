#pragma once

#include "common/data_folder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace shtlist_test {

// A private world for one test: the data folder, the home folder (and with
// it the documents folder) and a folder for workbooks, all under a fresh
// temporary folder. The environment and the current folder come back
// afterwards.
class ShtlistTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        Set("APPDATA", temp_.filePath(QStringLiteral("appdata")));
        Set("HOME", temp_.filePath(QStringLiteral("home")));
        Set("XDG_CONFIG_HOME", temp_.filePath(QStringLiteral("home/.config")));
        ASSERT_TRUE(QDir().mkpath(temp_.filePath(QStringLiteral("home/.config"))));
        ASSERT_TRUE(QDir().mkpath(temp_.filePath(QStringLiteral("books"))));
        common::SetDataFolder();
        ASSERT_TRUE(QDir().mkpath(common::DataFolder()));
        currentFolder_ = QDir::currentPath();
    }
    void TearDown() override {
        QDir::setCurrent(currentFolder_);
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second.first)
                qputenv(it->first.constData(), it->second.second);
            else
                qunsetenv(it->first.constData());
        }
    }

    // A path in the books folder.
    QString Book(const QString& name) const {
        return temp_.filePath(QStringLiteral("books/") + name);
    }
    QString BooksFolder() const { return temp_.filePath(QStringLiteral("books")); }
    QString Documents() const { return temp_.filePath(QStringLiteral("home/Documents")); }
    QString Temp(const QString& name) const { return temp_.filePath(name); }

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
    void Set(const char* name, const QString& value) {
        saved_.push_back({QByteArray(name), {qEnvironmentVariableIsSet(name), qgetenv(name)}});
        qputenv(name, QFile::encodeName(value));
    }

    QTemporaryDir temp_;
    QString currentFolder_;
    std::vector<std::pair<QByteArray, std::pair<bool, QByteArray>>> saved_;
};

} // namespace shtlist_test
