#pragma once

#include "mail/IdException.h"
#include "mail/Transport.h"
#include "mail/WinsockErrors.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <deque>
#include <stdexcept>
#include <thread>

// An in-process transport for the protocol tests: the server's side is a script of what arrives
// and when, counted in wait slices, so a test decides exactly how bytes arrive relative to the
// pump calls (where the cancel button and the watchdog run) without a socket or a clock.
//
// A silent slice calls the pump at once while the wait has no deadline; with a deadline it takes
// its real time, as a poll would, so time limits behave as on a socket.
class TransportScript
{
public:
    // What the peer sends, in order, as the client receives.
    TransportScript &Arrive(const QByteArray &bytes) { return Add({Kind::Bytes, bytes, 0}); }
    // The next slices of waiting find nothing.
    TransportScript &Silence(int slices) { return Add({Kind::Silence, {}, slices}); }
    // Nothing more arrives: every wait pumps until the client closes or its deadline passes.
    TransportScript &SilenceForEver() { return Add({Kind::Silence, {}, -1}); }
    TransportScript &PeerCloses() { return Add({Kind::Close, {}, 0}); }
    TransportScript &PeerResets() { return Add({Kind::Reset, {}, 0}); }

    // How the connect goes: it waits connectSlices slices (-1: until closed or the deadline),
    // then fails with connectError when that is not 0.
    int connectSlices = 0;
    int connectError = 0;
    // Each send first waits this many slices for the peer to take it (-1: for ever).
    int sendSlices = 0;

    // What happened: the client's bytes, the pump calls, and everything in order, one entry each:
    // "connect HOST:PORT", "send BYTES", "goodbye BYTES", "receive BYTES", "pump", "close".
    QByteArray sent;
    int pumps = 0;
    QStringList log;

    // The next step, for the transport.
    enum class Kind { Bytes, Silence, Close, Reset };
    struct Step
    {
        Kind kind;
        QByteArray bytes;
        int slices; // for Silence; -1: for ever
    };
    std::deque<Step> steps;

private:
    TransportScript &Add(Step step)
    {
        steps.push_back(std::move(step));
        return *this;
    }
};

class ScriptedTransport : public Transport
{
public:
    explicit ScriptedTransport(TransportScript &script)
        : m_script(script)
    { }

    void Connect(const QString &host, int port, const TransportWait &wait) override
    {
        m_script.log << QStringLiteral("connect %1:%2").arg(host).arg(port);
        m_connecting = true;
        const unsigned generation = m_generation;
        for (int i = 0; m_script.connectSlices < 0 || i < m_script.connectSlices; ++i) {
            if (!Slice(wait, generation))
                throw EIdSocketError(WinsockErrors::WSAETIMEDOUT);
        }
        m_connecting = false;
        if (m_script.connectError != 0)
            throw EIdSocketError(m_script.connectError);
        m_open = true;
        m_peer = host;
    }

    bool IsOpen() const override { return m_open; }

    void Close() noexcept override
    {
        ++m_generation;
        if (m_open || m_connecting)
            m_script.log << QStringLiteral("close");
        m_open = false;
        m_connecting = false;
    }

    void Send(const char *data, qsizetype size, const TransportWait &wait) override
    {
        const unsigned generation = m_generation;
        CheckOpen(generation);
        for (int i = 0; m_script.sendSlices < 0 || i < m_script.sendSlices; ++i) {
            if (!Slice(wait, generation))
                throw TimeoutError(TimeoutError::Write);
        }
        const QByteArray bytes(data, size);
        m_script.sent += bytes;
        m_script.log << QStringLiteral("send ") + QString::fromLatin1(bytes);
    }

    void SendNow(const QByteArray &data) noexcept override
    {
        if (!m_open)
            return;
        m_script.sent += data;
        m_script.log << QStringLiteral("goodbye ") + QString::fromLatin1(data);
    }

    ReceiveResult Receive(char *buffer, qsizetype size, const TransportWait &wait) override
    {
        const unsigned generation = m_generation;
        for (;;) {
            CheckOpen(generation);
            if (m_script.steps.empty())
                throw std::logic_error("the client read past the end of the script");
            TransportScript::Step &step = m_script.steps.front();
            switch (step.kind) {
            case TransportScript::Kind::Bytes: {
                const qsizetype n = std::min(size, step.bytes.size());
                std::copy_n(step.bytes.constData(), n, buffer);
                m_script.log << QStringLiteral("receive ") + QString::fromLatin1(step.bytes.left(n));
                step.bytes.remove(0, n);
                if (step.bytes.isEmpty())
                    m_script.steps.pop_front();
                return {n, 0};
            }
            case TransportScript::Kind::Silence:
                if (step.slices == 0) {
                    m_script.steps.pop_front();
                    continue;
                }
                if (step.slices > 0)
                    --step.slices;
                if (!Slice(wait, generation))
                    throw TimeoutError(TimeoutError::Read);
                continue;
            case TransportScript::Kind::Close:
                return {0, 0};
            case TransportScript::Kind::Reset:
                m_script.steps.pop_front();
                return {0, WinsockErrors::WSAECONNRESET};
            }
        }
    }

    bool Readable() override
    {
        return m_open && !m_script.steps.empty()
            && m_script.steps.front().kind != TransportScript::Kind::Silence;
    }

    const QString &PeerAddress() const override { return m_peer; }

private:
    // One slice of waiting: false when the deadline has passed; throws when the pump closed us.
    bool Slice(const TransportWait &wait, unsigned generation)
    {
        if (wait.deadline.hasExpired())
            return false;
        if (!wait.deadline.isForever())
            std::this_thread::sleep_for(std::chrono::milliseconds(wait.SliceFor()));
        if (++m_slices > 100000)
            throw std::logic_error("a scripted wait that never ends");
        ++m_script.pumps;
        m_script.log << QStringLiteral("pump");
        wait.Pump();
        if (m_generation != generation)
            throw EIdConnClosedGracefully();
        return true;
    }

    void CheckOpen(unsigned generation) const
    {
        if (!m_open || m_generation != generation)
            throw EIdConnClosedGracefully();
    }

    TransportScript &m_script;
    bool m_open = false;
    bool m_connecting = false;
    unsigned m_generation = 0;
    int m_slices = 0;
    QString m_peer;
};

// Scripts for the connections a client makes, in order (an FTP client's control connection, then
// its data connection), and the factory that hands them out.
class ScriptedNetwork
{
public:
    TransportScript &Add()
    {
        m_scripts.emplace_back();
        return m_scripts.back();
    }

    TransportFactory Factory()
    {
        return [this]() -> std::unique_ptr<Transport> {
            if (m_next >= m_scripts.size())
                throw std::logic_error("more connections than scripts");
            return std::make_unique<ScriptedTransport>(m_scripts[m_next++]);
        };
    }

private:
    std::deque<TransportScript> m_scripts;
    size_t m_next = 0;
};
