#pragma once

#include <QString>
#include <QStringList>

class DialUpService;
class Clock;

// Asks the user which entry to dial: the index chosen in entries, -1 when cancelled.
class DialUpChooser
{
public:
    virtual ~DialUpChooser() = default;
    virtual int Choose(const QStringList &entries, int selected) = 0;
};

// The dial-up connection: the entries (read once, when first needed), whether a dial-up connection
// is up (as the last Refresh saw it, one made when first asked), dialing and hanging up. Waits pump
// events; the pauses after a dial and a hang-up let the connection settle.
class TDialUp
{
public:
    static constexpr int DialPollMs = 250;
    static constexpr int SettleMs = 5000;
    static constexpr int HangUpMs = 3000;

    // chooser may be null (or set later): with several entries and no default there is then
    // nothing to dial.
    TDialUp(DialUpService &service, Clock &clock, DialUpChooser *chooser = nullptr);
    ~TDialUp();
    TDialUp(const TDialUp &) = delete;
    TDialUp &operator=(const TDialUp &) = delete;

    void SetChooser(DialUpChooser *chooser) { m_chooser = chooser; }

    void Refresh();
    int EntryCount() const;
    // Empty for an index out of range.
    QString EntryName(int index) const;
    const QString &DefaultEntry() const;
    bool Connected();

    // True when a dial-up connection is up afterwards: the one already up, or one dialed for the
    // default entry, the only entry, or the entry the user chooses.
    bool EnsureConnected();
    // True when a dial-up connection is up afterwards; an empty entry means the default entry (or
    // the only one).
    bool Dial(const QString &entry);
    void HangUp();

    // Set at shutdown: whether the program uses dial-up at all.
    bool DialUpInUse = true;
    // The entry chosen last, -1 when the choice was cancelled.
    int ChosenIndex = -1;

private:
    void readEntries() const;

    DialUpService &m_service;
    Clock &m_clock;
    DialUpChooser *m_chooser;
    // Read by the first operation that needs them.
    mutable bool m_entriesRead = false;
    mutable QStringList m_entries;
    mutable QString m_defaultEntry;
    bool m_refreshed = false;
    bool m_connected = false;
    QString m_connection;
};
