// Start-up and hand-over times of the suite's programs on the X display.
//
// Start-up: from starting a program to its first window being visible on the
// display (found by caption with xdotool, polled every 10 ms or so, so
// each figure includes up to one poll of delay). Hand-over: from the click or
// key press that leaves one program to the next program's window.
#include "e2e/desktop.h"
#include "e2e/session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

using namespace e2e;

namespace {

constexpr int kRuns = 5;
constexpr int kTimeoutMs = 20000;

QString Caption(const QString& program) {
    return QStringLiteral("\\(") + program + QStringLiteral("1\\)");
}

// Polls for a window as fast as xdotool answers; the elapsed milliseconds of
// `clock` when it appeared, or nothing.
std::optional<qint64> WhenShown(const QString& caption, const QElapsedTimer& clock) {
    while (clock.elapsed() < kTimeoutMs) {
        if (!desktop::FindWindows(caption).isEmpty())
            return clock.elapsed();
        QThread::msleep(10);
    }
    return std::nullopt;
}

void Print(const char* what, std::vector<qint64> times) {
    if (times.empty()) {
        std::printf("%-34s  no window within %d s\n", what, kTimeoutMs / 1000);
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s  min %5lld ms  median %5lld ms  max %5lld ms  (%zu of %d runs)\n", what,
                static_cast<long long>(times.front()),
                static_cast<long long>(times[times.size() / 2]),
                static_cast<long long>(times.back()), times.size(), kRuns);
    std::fflush(stdout);
}

// Runs `measure` kRuns times, each in a fresh sandbox whose programs are
// ended afterwards.
void Repeat(const char* what, const std::function<std::optional<qint64>(Session&)>& measure) {
    std::vector<qint64> times;
    for (int run = 0; run < kRuns; ++run) {
        Session session;
        if (const auto ms = measure(session))
            times.push_back(*ms);
        session.KillAll();
    }
    Print(what, times);
}

std::optional<qint64> StartUp(Session& session, const QString& program) {
    QElapsedTimer clock;
    clock.start();
    session.Start(program);
    return WhenShown(Caption(program), clock);
}

// Starts `from`, waits for its window, leaves it with `leave` and times the
// window of `to`.
std::optional<qint64> HandOver(Session& session, const QString& from, const QString& to,
                               const std::function<void(const QString&)>& leave) {
    session.Start(from);
    const QString window = desktop::WaitForWindow(Caption(from), kTimeoutMs);
    if (window.isEmpty())
        return std::nullopt;
    QThread::msleep(300); // let it settle
    QElapsedTimer clock;
    clock.start();
    leave(window);
    return WhenShown(Caption(to), clock);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("SUITE_BIN_DIR"))
        qputenv("SUITE_BIN_DIR", SUITE_BIN_DIR_DEFAULT);
    QString why;
    if (!desktop::Available(&why)) {
        std::fprintf(stderr, "bench_startup: %s\n", qPrintable(why));
        return 1;
    }
    std::printf("Programs in %s\n", qPrintable(Session::BinFolder()));

    std::printf("\nStart to first shown window\n");
    for (const char* name : {"HUBMENU", "COSTSUB", "COSTCMP", "BOOKMRG", "SHTLIST"}) {
        const QString program = QString::fromLatin1(name);
        if (!Session::ProgramBuilt(program)) {
            std::printf("%-34s  not built\n", name);
            continue;
        }
        Repeat(name, [&](Session& s) { return StartUp(s, program); });
    }

    std::printf("\nHand-over to the next program's window\n");
    const QString hub = QStringLiteral("HUBMENU");
    const QString sub = QStringLiteral("COSTSUB");
    const QString calc = QStringLiteral("COSTCMP");
    if (Session::ProgramBuilt(calc)) {
        // The launcher registers its way back, so the calculator's Esc is
        // timed right after the launcher has handed over to it.
        std::vector<qint64> there;
        std::vector<qint64> back;
        for (int run = 0; run < kRuns; ++run) {
            Session s;
            const auto forth = HandOver(s, hub, calc, [](const QString& w) {
                desktop::Click(w, {667, 104}); // the calculator's button
            });
            if (forth) {
                there.push_back(*forth);
                QThread::msleep(300);
                const QString window = desktop::WaitForWindow(Caption(calc), kTimeoutMs);
                QElapsedTimer clock;
                clock.start();
                desktop::PressKey(window, QStringLiteral("Escape"));
                if (const auto ms = WhenShown(Caption(hub), clock))
                    back.push_back(*ms);
            }
            s.KillAll();
        }
        Print("HUBMENU click -> COSTCMP", there);
        Print("COSTCMP Esc -> HUBMENU", back);
        Repeat("COSTSUB F12 -> COSTCMP", [&](Session& s) {
            return HandOver(s, sub, calc,
                            [](const QString& w) { desktop::PressKey(w, QStringLiteral("F12")); });
        });
    } else {
        std::printf("COSTCMP not built: its hand-overs are left out\n");
    }
    Repeat("COSTSUB Esc -> HUBMENU", [&](Session& s) {
        return HandOver(s, sub, hub,
                        [](const QString& w) { desktop::PressKey(w, QStringLiteral("Escape")); });
    });
    return 0;
}
