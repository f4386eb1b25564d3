#include "e2e/desktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace e2e::desktop {

namespace {

constexpr int kPollMs = 50;

QByteArray Run(const QString& program, const QStringList& args, int timeoutMs = 10000) {
    QProcess process;
    // Captions are matched as UTF-8 whatever the test's own locale.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

QStringList Lines(const QByteArray& output) {
    return QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

bool Available(QString* why) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        *why = QStringLiteral("no X display (run under xvfb-run)");
        return false;
    }
    for (const char* tool : {"xdotool", "xwininfo", "import"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            *why = QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool));
            return false;
        }
    }
    return true;
}

QStringList FindWindows(const QString& captionPattern) {
    return Lines(
        Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), captionPattern}));
}

QString WaitForWindow(const QString& captionPattern, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    do {
        const QStringList found = FindWindows(captionPattern);
        if (!found.isEmpty())
            return found.first();
        QThread::msleep(kPollMs);
    } while (clock.elapsed() < timeoutMs);
    return QString();
}

bool WaitForNoWindow(const QString& captionPattern, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    do {
        if (FindWindows(captionPattern).isEmpty())
            return true;
        QThread::msleep(kPollMs);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

void PressKey(const QString& windowId, const QString& key) {
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

void Click(const QString& windowId, QPoint at) {
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
         windowId, QString::number(at.x()), QString::number(at.y())});
    Run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
}

QImage Grab(const QString& windowId) {
    return QImage::fromData(Run(QStringLiteral("import"),
                                {QStringLiteral("-window"), windowId, QStringLiteral("png:-")}),
                            "PNG");
}

QString FocusedWindow() {
    const QStringList lines = Lines(
        Run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus"), QStringLiteral("-f")}));
    return lines.isEmpty() ? QString() : lines.first().trimmed();
}

QStringList StackingOrder() {
    // xwininfo lists the root's children from the top of the stack down.
    static const QRegularExpression id(QStringLiteral("^\\s+(0x[0-9a-fA-F]+)\\s"));
    QStringList order;
    for (const QString& line : Lines(Run(QStringLiteral("xwininfo"),
                                         {QStringLiteral("-root"), QStringLiteral("-children")}))) {
        const QRegularExpressionMatch m = id.match(line);
        if (m.hasMatch())
            order.prepend(QString::number(m.captured(1).toULongLong(nullptr, 16)));
    }
    return order;
}

} // namespace e2e::desktop
