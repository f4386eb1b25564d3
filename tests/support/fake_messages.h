#pragma once

#include "common/messages.h"

#include <QList>
#include <QString>
#include <functional>

namespace testing_support {

// Records every message instead of showing it and answers from a script.
// Installed for the lifetime of the object; the sink that was installed
// before is put back afterwards.
class FakeMessages : public common::MessageSink {
public:
    struct Message {
        QString title;
        QString text;
        common::MsgIcon icon;
        common::MsgButtons buttons;
    };

    FakeMessages() = default;
    FakeMessages(const FakeMessages&) = delete;
    FakeMessages& operator=(const FakeMessages&) = delete;

    // Queues the answer to the next unanswered message. Without a queued
    // answer a message is answered OK (OK buttons) or Yes (Yes/No buttons).
    void Answer(common::MsgAnswer answer) { script_.append(answer); }

    common::MsgAnswer Show(const QString& title, const QString& text, common::MsgIcon icon,
                           common::MsgButtons buttons) override {
        messages.append({title, text, icon, buttons});
        if (onShow)
            onShow(messages.last());
        if (!script_.isEmpty())
            return script_.takeFirst();
        return buttons == common::MsgButtons::Ok || buttons == common::MsgButtons::OkCancel
                   ? common::MsgAnswer::Ok
                   : common::MsgAnswer::Yes;
    }

    int Count() const { return int(messages.size()); }
    QString LastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    QStringList Texts() const {
        QStringList texts;
        for (const Message& m : messages)
            texts.append(m.text);
        return texts;
    }
    // Answers still queued (a test can check that every answer was used).
    int PendingAnswers() const { return int(script_.size()); }

    QList<Message> messages;
    // Called for every message as it is shown (after it is recorded).
    std::function<void(const Message&)> onShow;

private:
    common::ScopedOverride<common::MessageSink> inPlace_{common::MessageSinkSeam(), this};
    QList<common::MsgAnswer> script_;
};

} // namespace testing_support
