#pragma once

// Doubles of what the consolidation engine asks of the world around it.

#include "bookmrg/engine.h"
#include "bookmrg/password_prompt.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

namespace bookmrg_test {

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

class RecordingHost : public bookmrg::ProgramHost {
public:
    // The product's EndProgram does not return: `onEnd` sees the state the
    // process would end in.
    void EndProgram() override {
        calls.append(QStringLiteral("EndProgram"));
        if (onEnd)
            onEnd();
    }
    std::function<void()> onEnd;
    void ReturnToCaller() override { calls.append(QStringLiteral("ReturnToCaller")); }
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

class ScriptedPasswords : public bookmrg::PasswordPrompt {
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

} // namespace bookmrg_test
