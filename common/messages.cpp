#include "common/messages.h"

#include <cstdio>

namespace common {

namespace {

QString g_programId;

class StderrSink : public MessageSink {
public:
    MsgAnswer Show(const QString& title, const QString& text, MsgIcon,
                   MsgButtons buttons) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                            : MsgAnswer::Yes;
    }
};

} // namespace

Seam<MessageSink>& MessageSinkSeam() {
    static StderrSink toStderr;
    static Seam<MessageSink> seam(toStderr);
    return seam;
}

void SetProgramId(const QString& id) {
    g_programId = id;
}
QString ProgramId() {
    return g_programId;
}

MsgAnswer ShowMessage(const QString& text, MsgIcon icon, MsgButtons buttons) {
    return MessageSinkSeam()->Show(g_programId, text, icon, buttons);
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
