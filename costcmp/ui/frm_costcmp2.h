#pragma once

#include <QStringList>

#include "common/ui/screen_base.h"

class QListWidget;
class QPushButton;

namespace costcmp {

// The result screen: the listing of a calculation run in a fixed-pitch list,
// with the text export, the spreadsheet report and the way back to the input
// screen. Function keys do nothing here; Esc and the window frame go back.
class CostResultScreen : public ui::Screen {
    Q_OBJECT
public:
    explicit CostResultScreen(QWidget* parent = nullptr);

    // Replaces the listing.
    void SetListing(const QStringList& lines);
    QStringList Listing() const;

    // Shows the screen with the focus on the listing.
    void ShowWithListFocus();

    // The status bar's text: the guide, or after an export where the file is.
    void SetGuide(const QString& text);
    QString Guide() const;
    static QString DefaultGuide();

signals:
    void ExportRequested();
    void ReportRequested();
    void BackRequested();

private:
    QListWidget* list1_ = nullptr;
    QPushButton* cmdOut_ = nullptr;
    QPushButton* cmdEXCEL_ = nullptr;
    QPushButton* cmdEsc_ = nullptr;
};

} // namespace costcmp
