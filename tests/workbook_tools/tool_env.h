#pragma once

#include "common/data_folder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

// Readable failures: texts are printed as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tools_test {

// A private world for one test: the data folder, the home folder (and with
// it the documents folder) and a folder for workbooks, all under a fresh
// temporary folder. The environment comes back afterwards.
class ToolTest : public ::testing::Test {
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
    }
    void TearDown() override {
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
    QString Documents() const { return temp_.filePath(QStringLiteral("home/Documents")); }
    QString Temp(const QString& name) const { return temp_.filePath(name); }

    // An ordinary file with some content.
    static void Touch(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    // Sets an environment variable for the test; it comes back afterwards.
    void Set(const char* name, const QString& value) {
        saved_.push_back({QByteArray(name), {qEnvironmentVariableIsSet(name), qgetenv(name)}});
        qputenv(name, QFile::encodeName(value));
    }

private:
    QTemporaryDir temp_;
    std::vector<std::pair<QByteArray, std::pair<bool, QByteArray>>> saved_;
};

} // namespace tools_test
