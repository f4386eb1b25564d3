#include "common/ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace ui {

namespace {

QMessageBox::Icon ToQtIcon(common::MsgIcon icon) {
    switch (icon) {
    case common::MsgIcon::Information:
        return QMessageBox::Information;
    case common::MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case common::MsgIcon::Critical:
        return QMessageBox::Critical;
    case common::MsgIcon::Question:
        return QMessageBox::Question;
    case common::MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString BreakLongLines(const QString& text, const QFontMetrics& metrics, int limit) {
    QStringList out;
    for (QString rest : text.split(QChar(u'\n'))) {
        while (metrics.horizontalAdvance(rest) > limit) {
            // How much of the line fits, then the last place within it where
            // a Japanese line may break: at a blank, after 、。）/ or before （.
            qsizetype fit = 1;
            while (fit < rest.size() && metrics.horizontalAdvance(rest.left(fit + 1)) <= limit)
                ++fit;
            qsizetype cut = fit;
            for (qsizetype i = fit; i > fit / 2; --i) {
                const QChar before = rest.at(i - 1);
                const QChar at = rest.at(i);
                if (at == QChar(u' ') || at == QChar(u'（') || at == QChar(u'(') ||
                    before == QChar(u'、') || before == QChar(u'。') || before == QChar(u'）') ||
                    before == QChar(u')') || before == QChar(u'/') || before == QChar(u' ')) {
                    cut = i;
                    break;
                }
            }
            out.append(rest.left(cut));
            rest = rest.mid(cut);
            while (rest.startsWith(QChar(u' ')))
                rest.remove(0, 1);
        }
        out.append(rest);
    }
    return out.join(QChar(u'\n'));
}

void FitMessageLines(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    // Qt wraps a message at about 500 pixels, anywhere in a Japanese line
    // (「くださ」「い。」). The box is made as wide as its widest line, so
    // that lines break only where the message breaks them; a line wider than
    // most of the screen (a long path) is broken here where Japanese allows.
    const QFontMetrics metrics(label->font());
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    // QMessageBox's own limit beyond which it breaks lines anywhere, less
    // the room of its icon and margins.
    const int limit =
        qMax(200, (screenWidth <= 1024 ? screenWidth : qMin(screenWidth - 480, 1000)) - 120);
    const QString text = BreakLongLines(box.text(), metrics, limit - metrics.averageCharWidth());
    if (text != box.text())
        box.setText(text);
    int widest = 0;
    for (const QString& line : text.split(QChar(u'\n')))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    label->setMinimumWidth(qMin(widest + metrics.averageCharWidth(), limit));
}

QString MessageDisplayText(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QChar(u'\r'), QChar(u'\n'));
    while (out.endsWith(QChar(u'\n')))
        out.chop(1);
    return out;
}

common::MsgAnswer MessageBoxSink::Show(const QString& title, const QString& text,
                                       common::MsgIcon icon, common::MsgButtons buttons) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox box(ToQtIcon(icon), title, MessageDisplayText(text), QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    FitMessageLines(box);

    // Standard buttons keep their roles (Esc, Enter); the captions are Japanese.
    auto add = [&box](QMessageBox::StandardButton which, const QString& caption) {
        box.addButton(which)->setText(caption);
    };
    switch (buttons) {
    case common::MsgButtons::Ok:
        add(QMessageBox::Ok, QStringLiteral("OK"));
        break;
    case common::MsgButtons::OkCancel:
        add(QMessageBox::Ok, QStringLiteral("OK"));
        add(QMessageBox::Cancel, QStringLiteral("キャンセル"));
        break;
    case common::MsgButtons::YesNo:
        add(QMessageBox::Yes, QStringLiteral("はい(&Y)"));
        add(QMessageBox::No, QStringLiteral("いいえ(&N)"));
        break;
    case common::MsgButtons::YesNoCancel:
        add(QMessageBox::Yes, QStringLiteral("はい(&Y)"));
        add(QMessageBox::No, QStringLiteral("いいえ(&N)"));
        add(QMessageBox::Cancel, QStringLiteral("キャンセル"));
        break;
    }

    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    switch (answer) {
    case QMessageBox::Ok:
        return common::MsgAnswer::Ok;
    case QMessageBox::Yes:
        return common::MsgAnswer::Yes;
    case QMessageBox::No:
        return common::MsgAnswer::No;
    default:
        break;
    }
    // Closed by Esc or the frame: the negative answer of the box's buttons.
    if (buttons == common::MsgButtons::Ok)
        return common::MsgAnswer::Ok;
    if (buttons == common::MsgButtons::YesNo)
        return common::MsgAnswer::No;
    return common::MsgAnswer::Cancel;
}

} // namespace ui
