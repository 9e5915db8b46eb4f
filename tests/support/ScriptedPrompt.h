#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>

// A prompt for tests: records every message, question and dialog the user would have seen, in
// order, and answers with what the test queued. A message with only an OK button needs no answer
// (it returns Msg::Ok); any other question, size or colour request without a queued answer fails
// the test and is answered with Msg::Cancel, 0 x 0 or -1.
class ScriptedPrompt : public Prompt
{
public:
    enum class Kind { MessageBox, SystemMessageBox, PictureSize, Color };

    struct Shown
    {
        Kind kind = Kind::MessageBox;
        QString text; // message text; for the picture size "width|height"; for a colour its hex
        int icon = 0;
        int buttons = 0;
        friend bool operator==(const Shown &, const Shown &) = default;
    };

    static Shown Message(const QString &text, int icon, int buttons = Msg::ButtonsOk)
    {
        return {Kind::MessageBox, text, icon, buttons};
    }
    static Shown SystemMessage(const QString &text, int icon, int buttons = Msg::ButtonsOk)
    {
        return {Kind::SystemMessageBox, text, icon, buttons};
    }

    // Answers, used in the order the questions come.
    void Answer(int code) { m_codes.push_back(code); }
    void AnswerPictureSize(QSize size) { m_sizes.push_back(size); }
    void AnswerColor(int rgb) { m_colors.push_back(rgb); }

    // Runs while a prompt "shows", after it was recorded (to look at the windows behind it).
    std::function<void(const Shown &)> onShow;

    const QList<Shown> &History() const { return m_shown; }
    QStringList Texts() const
    {
        QStringList out;
        for (const Shown &s : m_shown)
            out << s.text;
        return out;
    }
    void Clear() { m_shown.clear(); }
    bool AllAnswersUsed() const { return m_codes.empty() && m_sizes.empty() && m_colors.empty(); }

    int ShowMessageBox(const QString &text, int icon, int buttons) override
    {
        return message(Kind::MessageBox, text, icon, buttons);
    }
    int ShowSystemMessageBox(const QString &text, int icon, int buttons) override
    {
        return message(Kind::SystemMessageBox, text, icon, buttons);
    }
    QSize AskPictureSize(const QString &width, const QString &height) override
    {
        record({Kind::PictureSize, width + QLatin1Char('|') + height, 0, 0});
        if (m_sizes.empty()) {
            ADD_FAILURE() << "picture size asked without an answer";
            return QSize(0, 0);
        }
        const QSize size = m_sizes.front();
        m_sizes.pop_front();
        return size;
    }
    int PickColor(int initial) override
    {
        record({Kind::Color, QString::number(initial, 16), 0, 0});
        if (m_colors.empty()) {
            ADD_FAILURE() << "colour asked without an answer";
            return -1;
        }
        const int rgb = m_colors.front();
        m_colors.pop_front();
        return rgb;
    }

private:
    int message(Kind kind, const QString &text, int icon, int buttons)
    {
        record({kind, text, icon, buttons});
        if (buttons == Msg::ButtonsOk)
            return Msg::Ok;
        if (m_codes.empty()) {
            ADD_FAILURE() << "question without an answer: " << text.toStdString();
            return Msg::Cancel;
        }
        const int code = m_codes.front();
        m_codes.pop_front();
        return code;
    }
    void record(const Shown &shown)
    {
        m_shown.append(shown);
        if (onShow)
            onShow(shown);
    }

    QList<Shown> m_shown;
    std::deque<int> m_codes;
    std::deque<QSize> m_sizes;
    std::deque<int> m_colors;
};

inline void PrintTo(const ScriptedPrompt::Shown &s, std::ostream *os)
{
    static const char *const kinds[] = {"message", "system message", "picture size", "colour"};
    *os << kinds[int(s.kind)] << " \"" << s.text.toStdString() << "\" icon " << s.icon << " buttons "
        << s.buttons;
}
