#pragma once

#include "common/ApplicationTitle.h"

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

// The application object. A failure that escapes an event handler is shown in the standard error
// box and the message loop goes on.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    using ErrorReporter = std::function<void(const QString &message)>;
    // Replaces the standard error box (tests record instead of showing).
    void setErrorReporter(ErrorReporter reporter) { m_reporter = std::move(reporter); }
    void reportError(const QString &message) const;

    // The message of a failure: the program's own kind and standard exceptions carry one, anything
    // else shows an empty message.
    static QString MessageOf(std::exception_ptr failure);
    // The standard error box: the message, an error icon, the application title as caption.
    static void ShowException(const QString &message);

private:
    ErrorReporter m_reporter;
};

