#pragma once

#include <array>

#include "common/ui/screen_base.h"
#include "costcmp/core/cost_model.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace costcmp {

// The calculator's input screen: eleven editable drop-down boxes holding the
// parameters as texts, five options choosing the solution and the buttons
// that run the calculation, open the templates, load the sample set and leave.
// The screen validates and computes nothing; the buttons only raise signals
// that the program (CostCmpMain) answers.
class CostInputScreen : public ui::Screen {
    Q_OBJECT
public:
    explicit CostInputScreen(QWidget* parent = nullptr);

    // The eleven box texts, SA ... CB.
    ParamTexts Texts() const;
    void SetTexts(const ParamTexts& texts);

    // The chosen solution, None while none is chosen. Choosing one (or None)
    // updates the markers.
    SolutionKind SelectedSolution() const;
    void SelectSolution(SolutionKind kind);

    // Clears each box's drop-down list and fills it with its value list; the
    // texts in the boxes are kept.
    void FillValueLists();

    // Shows the "入力不要(求める解)" marker beside the sought parameter of the
    // chosen solution only.
    void ShowSelectedSolution();

    // The sample parameter set with the first solution ("サンプル設定").
    void LoadSampleValues();

    QComboBox* ParamBox(int index) const { return boxes_[index]; }
    QPushButton* RunButton() const { return cmdF12_; }

signals:
    void CalculateRequested();
    void TemplateRequested();
    void ExitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildParameterFrame(const QString& caption, std::initializer_list<int> params);
    QWidget* BuildSolutionFrame();
    QWidget* BuildButtonRow();

    std::array<QComboBox*, kParamCount> boxes_{};
    // Marker of solution k at index k - 1.
    std::array<QLabel*, 5> markers_{};
    std::array<QRadioButton*, 5> options_{};
    QButtonGroup* kaiGroup_ = nullptr;
    QPushButton* cmdF12_ = nullptr;
    QPushButton* cmdEsc_ = nullptr;
};

} // namespace costcmp
