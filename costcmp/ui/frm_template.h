#pragma once

#include "common/ui/screen_base.h"
#include "costcmp/templates/template_store.h"

class QLabel;
class QLineEdit;
class QTableWidget;
class QPushButton;
class QRadioButton;

namespace costcmp {

// The template screen: the list of saved templates with their dates, the
// name to save, load or delete, the sorts by name and by date, and the search
// with one or two words. It works on the store it is given and ends its work
// by hiding itself; Result() and ChosenName() then say what the user
// chose. Created once and shown again at every opening, so the typed name,
// the search words and the search mode stay between openings.
class TemplateScreen : public ui::Screen {
    Q_OBJECT
public:
    explicit TemplateScreen(TemplateStore& store, QWidget* parent = nullptr);

    // Gets the screen ready for an opening after the store has read the
    // folder: title, the save and delete buttons, no result yet, the list
    // sorted by date, no search in force.
    void PrepareOpening(bool saveAndDeleteAllowed);

    // Save after a confirmed save, Load after a confirmed load, None when
    // closed without either.
    TemplateResult Result() const { return result_; }
    // The typed name, half-width spaces trimmed from both ends.
    const QString& ChosenName() const { return chosenName_; }

    // Sorts the store's listed set by `key` and redraws the list.
    void ShowTemplateList(TemplateSortKey key);

    // The actions of the buttons and the list.
    void SortByName();  // cmdF1
    void SortByDate();  // cmdF2
    void DeleteFlow();  // cmdF4
    void LoadFlow();    // cmdF6, double-click on a row
    void SaveFlow();    // cmdF8
    void CloseScreen(); // cmdESC, window frame
    void FilterList();  // cmdGrepOn
    void ClearFilter(); // cmdGrepOff
    void PickListedTemplate(int row);

    // The list's columns: the position, the date text and the name.
    enum Column { kNumberColumn, kDateColumn, kNameColumn };

private:
    void BuildControls();
    void RedrawList();
    // The file of the row to delete for `name`: the selected row when it
    // shows that name, else the first row from the top that does; -1 when none.
    int RowToDelete(const QString& name) const;
    // The typed name, or an empty text after the "設定して下さい" message.
    QString TypedNameOrComplain();
    void FocusName();
    SearchMode SelectedMode() const;

    TemplateStore& store_;
    TemplateResult result_ = TemplateResult::None;
    QString chosenName_;

    QPushButton* cmdF1_ = nullptr;
    QPushButton* cmdF2_ = nullptr;
    QPushButton* cmdF4_ = nullptr;
    QPushButton* cmdF6_ = nullptr;
    QPushButton* cmdF8_ = nullptr;
    QPushButton* cmdESC_ = nullptr;
    QPushButton* cmdGrepOn_ = nullptr;
    QPushButton* cmdGrepOff_ = nullptr;
    QLabel* lblGrep_ = nullptr;
    QLineEdit* txtSyosiki_ = nullptr;
    QLineEdit* txtGrepMoji_ = nullptr;
    QLineEdit* txtGrepMoji2_ = nullptr;
    QTableWidget* List1_ = nullptr;
    QLabel* lblOmitted_ = nullptr;
    QRadioButton* optOr_ = nullptr;
    QRadioButton* optAnd_ = nullptr;
    QRadioButton* optNasi_ = nullptr;
};

} // namespace costcmp
