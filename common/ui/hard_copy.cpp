#include "common/ui/hard_copy.h"

#include "common/messages.h"
#include "common/ui/fonts.h"
#include "common/ui/frm_hdcopy.h"
#include "common/ui/printers.h"
#include "common/ui/window_order.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

namespace ui {

namespace {

QImage g_storedSnapshot;

QDateTime Now() {
    return HardCopyClockSeam().Get()();
}

QImage ClipboardImage() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasImage())
        return QImage();
    return clipboard->image();
}

QString PrinterLabel(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName();
}

// Prints the picture on the program's printer; a failure is a message box.
void PrintPicture(const QImage& picture) {
    std::unique_ptr<QPrinter> printer = Printers().Create(ProgramPrinterName());
    QString error;
    if (!printer) {
        error = QStringLiteral("印刷できませんでした。\rプリンタがありません。");
    } else if (PrintSnapshot(*printer, picture, HardCopyDateText(Now()), &error)) {
        return;
    }
    common::ShowMessage(error, common::MsgIcon::Critical, common::MsgButtons::Ok);
}

// Shows the preview modally, kept above the other windows. Answers whether
// the user chose to print.
bool AskToPrint(HardCopyPreview& form, const QImage& picture) {
    form.ResetChoice();
    form.SetDateText(HardCopyDateText(Now()));
    form.SetPreview(picture);
    form.ShowPreviewAndButtons();
    KeepOnTop(&form);
    form.hide();
    form.exec();
    return form.Choice() == HardCopyChoice::Print;
}

QWidget* OwnerWindow(QWidget* w) {
    return w ? w->window() : nullptr;
}

} // namespace

QString HardCopyDateText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

common::Seam<HardCopyClock>& HardCopyClockSeam() {
    static common::Seam<HardCopyClock> seam(&QDateTime::currentDateTime);
    return seam;
}

QImage SnapWindow(QWidget* window, bool clientArea, const QRect& rect) {
    window = window->window();
    const QPoint origin =
        clientArea ? window->geometry().topLeft() : window->frameGeometry().topLeft();
    QImage image;
    QScreen* screen = window->screen();
    if (screen && window->isVisible() &&
        QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        const QPoint onScreen = origin + rect.topLeft() - screen->geometry().topLeft();
        image = screen->grabWindow(0, onScreen.x(), onScreen.y(), rect.width(), rect.height())
                    .toImage();
    }
    if (image.isNull()) {
        // The window paints itself (client area only: there is no frame to
        // paint here).
        const QPoint inClient = rect.topLeft() + origin - window->geometry().topLeft();
        image = window->grab(QRect(inClient, rect.size())).toImage();
    }
    return image;
}

QImage SnapForm(QWidget* form) {
    QWidget* window = form->window();
    return SnapWindow(window, false, QRect(QPoint(0, 0), window->frameGeometry().size()));
}

QImage StoredSnapshot() {
    return g_storedSnapshot;
}

bool PrintSnapshot(QPrinter& printer, const QImage& picture, const QString& dateText,
                   QString* error) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("ハードコピー"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = QStringLiteral("印刷できませんでした。\rプリンタ「") + PrinterLabel(printer) +
                 QStringLiteral("」を使えません。");
        return false;
    }

    // The picture at its size on the screen: one screen pixel is 1/96 inch
    // (the picture's own pixel ratio taken into account).
    const qreal ratio = picture.devicePixelRatio() > 0 ? picture.devicePixelRatio() : 1.0;
    const qreal scale = printer.resolution() / (96.0 * ratio);
    QSizeF size(picture.width() * scale, picture.height() * scale);
    const QSizeF page(painter.device()->width(), painter.device()->height());
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page, Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(0, 0), size), picture);

    // The date and time of printing in the top right corner, on white.
    painter.setFont(QFont(kMincho, 11));
    const QFontMetricsF metrics(painter.font(), painter.device());
    const qreal margin = metrics.height() * 0.3;
    const QSizeF textSize(metrics.horizontalAdvance(dateText) + 2 * margin,
                          metrics.height() + 2 * margin);
    const QRectF label(QPointF(page.width() - textSize.width(), 0), textSize);
    painter.fillRect(label, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(label, Qt::AlignCenter, dateText);

    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        *error = QStringLiteral("印刷できませんでした。\rプリンタ「") + PrinterLabel(printer) +
                 QStringLiteral("」でエラーが発生しました。");
        return false;
    }
    return true;
}

void HardCopyScreen(QWidget* form) {
    QWidget* caller = OwnerWindow(form);
    if (!caller)
        return;
    // Taken before the preview opens: the window as the user sees it.
    const QImage snapshot = SnapForm(caller);
    g_storedSnapshot = snapshot;

    HardCopyPreview preview(caller);
    QObject::connect(&preview, &HardCopyPreview::ClipboardRequested, &preview,
                     [caller] { HardCopyClipboard(caller); });
    if (!AskToPrint(preview, snapshot))
        return;
    PrintPicture(g_storedSnapshot);
}

void HardCopyClipboard(QWidget* owner) {
    const QImage picture = ClipboardImage();
    if (picture.isNull()) {
        common::ShowMessage(kNoClipboardPicture);
        return;
    }
    HardCopyPreview preview(OwnerWindow(owner));
    QObject::connect(&preview, &HardCopyPreview::ClipboardRequested, &preview,
                     [owner] { HardCopyClipboard(owner); });
    if (!AskToPrint(preview, picture))
        return;
    // The clipboard is read again for printing; should it have lost its
    // picture meanwhile, the one shown is printed.
    const QImage again = ClipboardImage();
    PrintPicture(again.isNull() ? picture : again);
}

} // namespace ui
