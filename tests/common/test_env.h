#pragma once

#include "common/data_folder.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Points APPDATA at a fresh temporary folder and makes the data folder there
// for the duration of a test; the previous value comes back afterwards.
class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        hadAppData_ = qEnvironmentVariableIsSet("APPDATA");
        oldAppData_ = qgetenv("APPDATA");
        qputenv("APPDATA", QFile::encodeName(temp_.path()));
        common::SetDataFolder();
        ASSERT_TRUE(QDir().mkpath(common::DataFolder()));
    }
    void TearDown() override {
        if (hadAppData_)
            qputenv("APPDATA", oldAppData_);
        else
            qunsetenv("APPDATA");
    }
    QString TempPath() const { return temp_.path(); }

private:
    QTemporaryDir temp_;
    bool hadAppData_ = false;
    QByteArray oldAppData_;
};
