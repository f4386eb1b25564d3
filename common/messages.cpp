#include "common/messages.h"

#include <cstdio>

namespace common {

namespace {
MessageSink* g_sink = nullptr;
QString g_programId;
} // namespace

void SetMessageSink(MessageSink* sink) {
    g_sink = sink;
}
MessageSink* CurrentMessageSink() {
    return g_sink;
}

void SetProgramId(const QString& id) {
    g_programId = id;
}
QString ProgramId() {
    return g_programId;
}

MsgAnswer ShowMessage(const QString& text, MsgIcon icon, MsgButtons buttons) {
    if (g_sink)
        return g_sink->Show(g_programId, text, icon, buttons);
    std::fprintf(stderr, "%s: %s\n", qPrintable(g_programId), qPrintable(text));
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                        : MsgAnswer::Yes;
}

QString JoinLines(std::initializer_list<QString> lines) {
    QString out;
    bool first = true;
    for (const QString& line : lines) {
        if (!first)
            out += QChar(u'\r');
        out += line;
        first = false;
    }
    return out;
}

} // namespace common
