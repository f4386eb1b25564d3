#pragma once

#include <QString>

#include "costcmp/core/cost_model.h"
#include "costcmp/templates/template_record.h"

namespace costcmp {

// What the templates need of the calculator's input screen: the eleven box
// texts (SA .. CB) and the chosen solution, to read and to set.
class InputScreenAccess {
public:
    virtual ~InputScreenAccess() = default;
    virtual ParamTexts Texts() const = 0;
    // The chosen solution, None when none is chosen.
    virtual SolutionKind Solution() const = 0;
    virtual void SetTexts(const ParamTexts& texts) = 0;
    // Chooses a solution as a click on its option would.
    virtual void SelectSolution(SolutionKind kind) = 0;
};

// Saving and loading between the input screen and a template file. The
// record last saved or loaded stays in memory: its reserved fields are
// written again, and its solution number is kept when no solution is chosen.
class TemplateExchanger {
public:
    // Converts the texts as a calculation run does and writes the file.
    // Nothing is written when a value is too large for the file's numbers or
    // the file cannot be written; `error` then says why in Japanese.
    bool Save(const QString& path, const InputScreenAccess& input, QString* error = nullptr);
    // Reads the file and sets the eleven texts and the solution; nothing is
    // calculated. A file that cannot be read, or is too short to be a
    // template, changes nothing on the input screen.
    bool Load(const QString& path, InputScreenAccess& input, QString* error = nullptr);

    const TemplateRecord& Record() const { return record_; }

private:
    TemplateRecord record_;
};

} // namespace costcmp
