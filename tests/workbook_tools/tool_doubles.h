#pragma once

// Doubles of what a workbook tool's run asks of the world around it.

#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"
#include "workbook_tools/office_run.h"
#include "workbook_tools/password_prompt.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

namespace tools_test {

class FakeProbe : public sheet::ExcelProbe {
public:
    bool IsExcelInstalled() override {
        if (onGate)
            onGate();
        return installed;
    }
    std::function<void()> onGate; // when the gate starts the office
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
    bool installed = true;
};

// Does with a run's outcome what the tool screen does, recording how the
// program is left ("EndProgram", "ReturnToCaller"; nothing when it ends
// without saving) and opening the result after a return to the caller.
class OutcomeRecorder {
public:
    void Follow(const tools::RunOutcome& outcome) {
        switch (outcome.next) {
        case tools::AfterRun::EndProgram:
            calls.append(QStringLiteral("EndProgram"));
            break;
        case tools::AfterRun::ReturnToCaller:
            calls.append(QStringLiteral("ReturnToCaller"));
            tools::OpenForUser(outcome.result, tools::OfficeLauncher());
            break;
        case tools::AfterRun::Stay:
            calls.append(QStringLiteral("Stay"));
            break;
        case tools::AfterRun::EndWithoutSaving:
            break;
        }
    }
    QStringList calls;
};

// Records what the progress window is told; a test may act when a label
// changes (to press the stop button at a given sheet, for instance).
class FakeProgress : public sheet::ProgressView {
public:
    void Show() override { ++shown; }
    void Unload() override { ++unloaded; }
    void SetLabelText(sheet::ProgressLabel label, const QString& text) override {
        labels[int(label)] = text;
        if (label == sheet::ProgressLabel::Item)
            key2.append(text);
        if (label == sheet::ProgressLabel::Counter)
            ken1.append(text);
    }
    void SetLabelVisible(sheet::ProgressLabel, bool) override {}
    void SetBarValue(sheet::ProgressBar, int value) override { bar.append(value); }
    void SetBarVisible(sheet::ProgressBar, bool) override {}
    void ProcessEvents() override {
        if (onEvents)
            onEvents(*this);
    }
    void SetStopAllowed(bool allowed, const QString& note) override {
        stop.append(allowed ? QStringLiteral("on") : QStringLiteral("off ") + note);
    }
    QString Label(sheet::ProgressLabel label) const { return labels.value(int(label)); }

    int shown = 0;
    int unloaded = 0;
    QHash<int, QString> labels;
    QStringList key2;
    QStringList ken1;
    QList<int> bar;
    QStringList stop; // the stop button: "off <note>", "on"
    std::function<void(FakeProgress&)> onEvents;
};

class ScriptedPasswords : public tools::PasswordPrompt {
public:
    bool Ask(const QString& bookPath, bool retry, QString* password) override {
        asked.append(bookPath + (retry ? QStringLiteral(" retry") : QString()));
        if (answers.isEmpty() || !answers.first().has_value()) {
            if (!answers.isEmpty())
                answers.removeFirst();
            return false;
        }
        *password = *answers.takeFirst();
        return true;
    }
    QList<std::optional<QString>> answers;
    QStringList asked;
};

} // namespace tools_test
