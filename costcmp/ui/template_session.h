#pragma once

#include <QPointer>
#include <QString>

#include "costcmp/templates/template_exchange.h"
#include "costcmp/templates/template_store.h"

class QWidget;

namespace costcmp {

class TemplateScreen;

// What the template screen answered and, unless nothing was chosen, the
// chosen name and its file.
struct TemplateChoice {
    TemplateResult result = TemplateResult::None;
    QString name;
    QString path;
};

// The templates of one running calculator: the store, the template screen
// (created at the first opening, then only hidden and shown again) and the
// record last saved or loaded.
class TemplateSession {
public:
    TemplateSession() = default;
    ~TemplateSession();
    TemplateSession(const TemplateSession&) = delete;
    TemplateSession& operator=(const TemplateSession&) = delete;

    // The folder of the templates; without one the data folder is used.
    void SetFolder(const QString& folder) { folder_ = folder; }

    // Reads the folder, shows the template screen modally over `owner` and
    // answers what the user chose. `argument` is the extension, or "*" and
    // the extension to list without saving and deleting.
    TemplateChoice OpenTemplateScreen(const QString& argument, QWidget* owner);

    // The input screen's "テンプレート" button: opens the screen with "SA1",
    // then saves the input screen's values to the chosen template or loads
    // the chosen template into it. A file that cannot be written or read is
    // reported and leaves the input screen as it was.
    void ExchangeTemplate(InputScreenAccess& input, QWidget* owner);

    TemplateStore& Store() { return store_; }
    // The screen, once it has been opened.
    TemplateScreen* Screen() const;
    const TemplateExchanger& Exchanger() const { return exchanger_; }

private:
    QString folder_;
    TemplateStore store_;
    TemplateExchanger exchanger_;
    QPointer<TemplateScreen> screen_;
};

// The session of the running program.
TemplateSession& ProgramTemplates();

// Adapts a screen that offers Texts(), SetTexts(), SelectedSolution() and
// SelectSolution() (the calculator's input screen) to the templates.
template <typename InputScreen> class ScreenInputAccess : public InputScreenAccess {
public:
    explicit ScreenInputAccess(InputScreen& screen) : screen_(screen) {}
    ParamTexts Texts() const override { return screen_.Texts(); }
    SolutionKind Solution() const override { return screen_.SelectedSolution(); }
    void SetTexts(const ParamTexts& texts) override { screen_.SetTexts(texts); }
    void SelectSolution(SolutionKind kind) override { screen_.SelectSolution(kind); }

private:
    InputScreen& screen_;
};

// One call for the input screen's "テンプレート" button.
template <typename InputScreen> void ExchangeTemplate(InputScreen* inputScreen) {
    ScreenInputAccess<InputScreen> access(*inputScreen);
    ProgramTemplates().ExchangeTemplate(access, inputScreen);
}

} // namespace costcmp
