#include "app/Application.h"

#include "common/Exception.h"
#include "platform/linux/ModuleBackends.h"

#include <QMessageBox>

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    InstallPictureReaders();
    InstallModuleTlsTransport();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportError(MessageOf(std::current_exception()));
        return false;
    }
}

void Application::reportError(const QString &message) const
{
    if (m_reporter)
        m_reporter(message);
    else
        ShowException(message);
}

QString Application::MessageOf(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Exception &e) {
        return e.Message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QString();
    }
}

void Application::ShowException(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok);
    box.exec();
}
