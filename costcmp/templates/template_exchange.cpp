#include "costcmp/templates/template_exchange.h"

namespace costcmp {

bool TemplateExchanger::Save(const QString& path, const InputScreenAccess& input, QString* error) {
    const CostParams params = ConvertParams(input.Texts());
    if (HasOverflow(params)) {
        if (error)
            *error = QStringLiteral("入力された値が大きすぎるため保存できません");
        return false;
    }
    TemplateRecord record = record_;
    const SolutionKind kind = input.Solution();
    PutParams(record, params, kind);
    if (kind == SolutionKind::None) // no option chosen: the number in memory stays as it is
        record.fields[TemplateRecord::kKaiNoField] = record_.fields[TemplateRecord::kKaiNoField];
    if (!WriteTemplateFile(path, record, error))
        return false;
    record_ = record;
    return true;
}

bool TemplateExchanger::Load(const QString& path, InputScreenAccess& input, QString* error) {
    TemplateRecord record;
    if (!ReadTemplateFile(path, &record, error))
        return false;
    record_ = record;
    input.SetTexts(DisplayTexts(record));
    if (const SolutionKind kind = SolutionOf(record); kind != SolutionKind::None)
        input.SelectSolution(kind);
    return true;
}

} // namespace costcmp
