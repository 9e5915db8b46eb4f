#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (the session ending, the terminal closing, Ctrl+C) turned into a signal
// of the event loop, so the program can save before it goes instead of dying with unsaved edits.
// One object at a time; the earlier handlers come back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void requested(int signalNumber);

private:
    void readPending();

    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};
