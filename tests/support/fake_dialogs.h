#pragma once

#include "common/ui/file_dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace testing_support {

// Answers the file dialogs from a script instead of showing them, and records
// what each dialog was asked with. Installed for the lifetime of the object.
// A dialog without a scripted answer is cancelled.
class FakeDialogs : public ui::FileDialogService {
public:
    FakeDialogs() = default;
    FakeDialogs(const FakeDialogs&) = delete;
    FakeDialogs& operator=(const FakeDialogs&) = delete;

    // The next dialog answers this path.
    void Choose(const QString& path) { script_.append(path); }
    // The next dialog answers these files (several: folder and names
    // separated by NUL characters, as a multi-select dialog answers).
    void ChooseFiles(const QStringList& paths) { script_.append(ui::MultiSelectAnswer(paths)); }
    // The next dialog is cancelled.
    void Cancel() { script_.append(std::nullopt); }

    bool Run(QWidget*, const ui::FileDialogRequest& request, QString* answer) override {
        requests.append(request);
        if (script_.isEmpty() || !script_.first().has_value()) {
            if (!script_.isEmpty())
                script_.removeFirst();
            return false;
        }
        *answer = *script_.takeFirst();
        return true;
    }

    int PendingAnswers() const { return int(script_.size()); }

    QList<ui::FileDialogRequest> requests;

private:
    QList<std::optional<QString>> script_;
    common::ScopedOverride<ui::FileDialogService> inPlace_{ui::FileDialogSeam(), this};
};

} // namespace testing_support
