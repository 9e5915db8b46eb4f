#include "tools/tavrin-tool/ToolSendRun.h"

#include "common/Exception.h"
#include "mail/PictureRender.h"

namespace {

QString iconName(int icon)
{
    switch (icon) {
    case Msg::IconError:
        return QStringLiteral("error");
    case Msg::IconQuestion:
        return QStringLiteral("question");
    case Msg::IconExclamation:
        return QStringLiteral("warning");
    case Msg::IconInformation:
        return QStringLiteral("info");
    default:
        return QStringLiteral("message");
    }
}

} // namespace

QString OneLine(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

ToolPrompt::ToolPrompt(const QStringList &answers)
    : m_answers(answers.begin(), answers.end())
{ }

int ToolPrompt::ShowMessageBox(const QString &text, int icon, int buttons)
{
    return show(iconName(icon), text, buttons);
}

int ToolPrompt::ShowSystemMessageBox(const QString &text, int icon, int buttons)
{
    return show(iconName(icon) + QStringLiteral(" box"), text, buttons);
}

int ToolPrompt::show(const QString &kind, const QString &text, int buttons)
{
    ShownMessage message {kind, text, buttons == Msg::ButtonsYesNo, false};
    if (message.question && !m_answers.empty()) {
        message.yes = m_answers.front() == QLatin1String("yes");
        m_answers.pop_front();
    }
    shown.append(message);
    if (onMessage)
        onMessage(message);
    if (!message.question)
        return Msg::Ok;
    return message.yes ? Msg::Yes : Msg::No;
}

QString MessageLine(const ShownMessage &message)
{
    QString line = message.kind + QStringLiteral(": ") + OneLine(message.text);
    if (message.question)
        line += message.yes ? QStringLiteral(" -> yes") : QStringLiteral(" -> no");
    return line;
}

void ToolSendingWindow::ShowSendingStatus(const QString &text)
{
    line(QStringLiteral("status: ") + text);
}

void ToolSendingWindow::SetProgressRange(int minimum, int maximum)
{
    m_maximum = maximum;
    line(QStringLiteral("progress: %1-%2").arg(minimum).arg(maximum));
}

void ToolSendingWindow::line(const QString &text)
{
    if (onLine)
        onLine(text);
}

void ToolClock::Pause(int ms)
{
    if (!m_pauses)
        return Pump();
    pausedMs += ms;
    EventLoopClock::Pause(ms);
}

ToolHost::ToolHost(const QString &work)
    : canvas(work)
    , book(work)
    , history(work)
{ }

QString ToolHost::LoadBooks()
{
    try {
        book.Load(QStringLiteral("Tavrin.ADX"));
        history.Load(QStringLiteral("History.ADX"));
    } catch (const Exception &e) {
        return e.Message();
    }
    return QString();
}

void ToolHost::SaveBooks()
{
    // One failed file must not cost the other.
    QStringList failures;
    try {
        book.Save(QStringLiteral("Tavrin.ADX"));
    } catch (const Exception &e) {
        failures << e.Message();
    }
    history.TrimTo(TAddressBook::kHistoryLimit);
    try {
        history.Save(QStringLiteral("History.ADX"));
    } catch (const Exception &e) {
        failures << e.Message();
    }
    if (!failures.isEmpty())
        throw Exception(failures.join(QLatin1Char('\n')));
}

TMailAddress ToolHost::PaneEntry() const
{
    TMailAddress entry;
    entry.Name = name;
    entry.Address = address;
    entry.ServerRoute = serverRoute;
    FillPictureParameters(canvas, entry);
    return entry;
}

void ToolHost::RenderPicture(const TMailAddress &recipient)
{
    const TConvertJpeg::Result r = ::RenderPicture(canvas, recipient);
    lastRender = r;
    if (onRender)
        onRender(recipient, r);
}

void ToolEnd::SaveEverything()
{
    QString line = QStringLiteral("saved");
    try {
        m_host.SaveBooks();
    } catch (const Exception &e) {
        line = QStringLiteral("not saved: ") + e.Message();
    }
    if (onLine)
        onLine(line);
}

void ToolEnd::Quit()
{
    quit = true;
    if (onLine)
        onLine(QStringLiteral("quit"));
}
