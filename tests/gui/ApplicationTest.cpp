#include "app/Application.h"
#include "common/Exception.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class Thrower : public QObject
{
public:
    std::function<void()> action;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            action();
        return QObject::event(e);
    }
};

Application &app()
{
    return *static_cast<Application *>(QCoreApplication::instance());
}

TEST(Application, AFailureInAnEventHandlerIsReportedAndTheLoopGoesOn)
{
    QStringList reported;
    app().setErrorReporter([&](const QString &m) { reported << m; });

    Thrower t;
    const struct
    {
        std::function<void()> raise;
        QString shown;
    } cases[] = {
        {[] { throw Exception(QString::fromUtf8("送信できません")); }, QString::fromUtf8("送信できません")},
        {[] { throw std::runtime_error("disk full"); }, "disk full"},
        {[] { throw 42; }, QString()}, // not an error kind of ours: an empty message
    };
    for (const auto &c : cases) {
        t.action = c.raise;
        QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
        bool later = false;
        QTimer::singleShot(0, [&] { later = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return later; }, 2000));
        ASSERT_FALSE(reported.isEmpty());
        EXPECT_EQ(reported.takeFirst(), c.shown);
    }
    EXPECT_TRUE(reported.isEmpty());

    // Timers keep working after a failure inside one of them.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 1)
            throw Exception("first tick");
    });
    timer.start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));
    timer.stop();
    EXPECT_EQ(reported.last(), "first tick");
    app().setErrorReporter({});
}

} // namespace
