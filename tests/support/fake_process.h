#pragma once

#include "common/program_start.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace testing_support {

// Records program starts, ends and opened documents instead of doing them.
// Installed for the lifetime of the object.
class FakeProcess : public common::ProcessLauncher, public common::DocumentOpener {
public:
    struct Started {
        QString program;
        QStringList args;
        QString workingFolder;
    };
    struct Opened {
        QString target;
        QString parameters;
        QString workingFolder;
    };

    FakeProcess() = default;
    FakeProcess(const FakeProcess&) = delete;
    FakeProcess& operator=(const FakeProcess&) = delete;

    // Every program is found under its own name, except those listed in
    // `missing`; with `realLookup` the product lookup is used.
    QString Locate(const QString& name) override {
        if (realLookup)
            return common::FindProgram(name);
        return missing.contains(name) ? QString() : name;
    }
    bool StartDetached(const QString& program, const QStringList& args,
                       const QString& workingFolder) override {
        starts.append({program, args, workingFolder});
        return startSucceeds;
    }
    void EndProcess(int code) override { ends.append(code); }
    bool Open(const QString& target, const QString& parameters,
              const QString& workingFolder) override {
        opened.append({target, parameters, workingFolder});
        return openSucceeds;
    }

    bool realLookup = false;
    QStringList missing;
    bool startSucceeds = true;
    bool openSucceeds = true;
    QList<Started> starts;
    QList<int> ends;
    QList<Opened> opened;

private:
    common::ScopedOverride<common::ProcessLauncher> launcherInPlace_{common::ProcessLauncherSeam(),
                                                                     this};
    common::ScopedOverride<common::DocumentOpener> openerInPlace_{common::DocumentOpenerSeam(),
                                                                  this};
};

} // namespace testing_support
