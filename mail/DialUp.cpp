#include "mail/DialUp.h"

#include "common/Clock.h"
#include "platform/DialUpService.h"

TDialUp::TDialUp(DialUpService &service, Clock &clock, DialUpChooser *chooser)
    : m_service(service)
    , m_clock(clock)
    , m_chooser(chooser)
{
    m_service.SetClock(&m_clock);
}

TDialUp::~TDialUp()
{
    m_service.SetClock(nullptr);
}

void TDialUp::readEntries() const
{
    // What making the object asks of the system is asked when first needed instead: on a desktop
    // each question is a run of nmcli, and most sessions never dial.
    if (m_entriesRead)
        return;
    m_entriesRead = true;
    m_entries = m_service.Entries();
    m_defaultEntry = m_service.DefaultEntry();
}

void TDialUp::Refresh()
{
    m_refreshed = true;
    m_connection = m_service.ActiveConnection();
    m_connected = !m_connection.isEmpty();
}

int TDialUp::EntryCount() const
{
    readEntries();
    return static_cast<int>(m_entries.size());
}

const QString &TDialUp::DefaultEntry() const
{
    readEntries();
    return m_defaultEntry;
}

bool TDialUp::Connected()
{
    // Before the first refresh: as one would have found it.
    if (!m_refreshed)
        Refresh();
    return m_connected;
}

QString TDialUp::EntryName(int index) const
{
    readEntries();
    return index >= 0 && index < m_entries.size() ? m_entries.at(index) : QString();
}

bool TDialUp::EnsureConnected()
{
    readEntries();
    if (m_connected)
        return true;
    Refresh();
    if (m_connected)
        return true;
    QString entry = m_defaultEntry;
    // Without a default the system's dialer would list the entries; ours does.
    if (entry.isEmpty() && m_entries.size() > 1) {
        ChosenIndex = m_chooser ? m_chooser->Choose(m_entries, -1) : -1;
        if (ChosenIndex < 0 || ChosenIndex >= m_entries.size()) {
            ChosenIndex = -1;
            return false;
        }
        entry = m_entries.at(ChosenIndex);
    }
    return Dial(entry);
}

bool TDialUp::Dial(const QString &entry)
{
    readEntries();
    if (m_connected)
        return true;
    Refresh();
    if (m_connected)
        return true;
    QString name = entry.isEmpty() ? m_defaultEntry : entry;
    if (name.isEmpty() && m_entries.size() == 1)
        name = m_entries.first();
    if (name.isEmpty() || !m_service.StartDial(name))
        return false;
    while (m_service.Dialing()) {
        m_clock.Pause(DialPollMs);
        Refresh();
        if (m_connected)
            break;
    }
    m_clock.Pause(SettleMs);
    Refresh();
    if (m_connected)
        m_clock.Pause(SettleMs);
    return m_connected;
}

void TDialUp::HangUp()
{
    Refresh();
    if (!m_connection.isEmpty())
        m_service.HangUp(m_connection);
    m_connection.clear();
    m_connected = false;
    m_clock.Pause(HangUpMs);
}
