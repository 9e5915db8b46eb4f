#include "mail/ClientFailure.h"

#include "common/Exception.h"
#include "mail/IdException.h"
#include "mail/MessageWriter.h"
#include "mail/WinsockErrors.h"

bool ClientFailure::IsClientFailure() const
{
    switch (kind) {
    case Kind::ConnClosedGracefully:
    case Kind::SocketError:
    case Kind::ProtocolReplyError:
    case Kind::TokenRefused:
    case Kind::MaxLineLengthExceeded:
    case Kind::MaxReplyLinesExceeded:
    case Kind::Timeout:
    case Kind::TlsError:
    case Kind::OtherIdException:
        return true;
    default:
        return false;
    }
}

QString ClientFailure::KindName() const
{
    switch (kind) {
    case Kind::ConnClosedGracefully:
        return QStringLiteral("EIdConnClosedGracefully");
    case Kind::SocketError:
        return QStringLiteral("EIdSocketError %1").arg(number);
    case Kind::ProtocolReplyError:
        return QStringLiteral("EIdProtocolReplyError %1").arg(number);
    case Kind::TokenRefused:
        return QStringLiteral("EIdTokenRefused %1").arg(number);
    case Kind::MaxLineLengthExceeded:
        return QStringLiteral("EIdReadLnMaxLineLengthExceeded");
    case Kind::MaxReplyLinesExceeded:
        return QStringLiteral("EIdMaxReplyLinesExceeded");
    case Kind::Timeout:
        return QStringLiteral("EIdTimeout");
    case Kind::TlsError:
        return QStringLiteral("EIdTLSError");
    case Kind::OtherIdException:
        return QStringLiteral("EIdException");
    case Kind::FileError:
        return QStringLiteral("EFileError");
    case Kind::MessageError:
        return QStringLiteral("EMessageError");
    case Kind::OtherException:
        return QStringLiteral("Exception");
    case Kind::Unknown:
        break;
    }
    return QStringLiteral("unknown failure");
}

ClientFailure ClassifyFailure(std::exception_ptr failure)
{
    using Kind = ClientFailure::Kind;
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const EIdConnClosedGracefully &e) {
        return {Kind::ConnClosedGracefully, 0, e.Message()};
    } catch (const EIdSocketError &e) {
        return {Kind::SocketError, e.LastError(), e.Message()};
    } catch (const TokenRefusedError &e) {
        return {Kind::TokenRefused, e.ReplyErrorCode(), e.Message()};
    } catch (const EIdProtocolReplyError &e) {
        return {Kind::ProtocolReplyError, e.ReplyErrorCode(), e.Message()};
    } catch (const EIdReadLnMaxLineLengthExceeded &e) {
        return {Kind::MaxLineLengthExceeded, 0, e.Message()};
    } catch (const ReplyLinesExceededError &e) {
        return {Kind::MaxReplyLinesExceeded, 0, e.Message()};
    } catch (const TimeoutError &e) {
        return {Kind::Timeout, 0, e.Message()};
    } catch (const TlsError &e) {
        return {Kind::TlsError, 0, e.Message()};
    } catch (const EIdException &e) {
        return {Kind::OtherIdException, 0, e.Message()};
    } catch (const FileError &e) {
        return {Kind::FileError, 0, e.Message()};
    } catch (const MessageError &e) {
        return {Kind::MessageError, 0, e.Message()};
    } catch (const Exception &e) {
        return {Kind::OtherException, 0, e.Message()};
    } catch (const std::exception &e) {
        return {Kind::OtherException, 0, QString::fromLocal8Bit(e.what())};
    } catch (...) { }
    return {};
}

QString SmtpReplyText(int code)
{
    switch (code) {
    case 421:
        return QStringLiteral("サービスが利用出来ません。");
    case 432:
    case 454:
    case 534:
    case 535:
    case 538:
        return QStringLiteral("認証出来ません。");
    case 450:
        return QStringLiteral("メールボックスが利用出来ません。");
    case 451:
        return QStringLiteral("データ処理中にエラー が発生しました。");
    case 452:
        return QStringLiteral("システムのストレージが不足しています。");
    case 453:
        return QStringLiteral("メールがありません。");
    case 500:
    case 502:
    case 503:
    case 552:
    case 553:
        return QStringLiteral("コマンドエラー。");
    case 501:
    case 504:
    case 555:
        return QStringLiteral("パラメータエラー。");
    case 521:
    case 550:
        return QStringLiteral("サーバーがメールを拒否しました。設定を確認して下さい。");
    case 530:
        return QStringLiteral("アクセスが拒否されました。設定を確認して下さい。");
    case 551:
        return QStringLiteral("メールを転送できません。");
    case 554:
        return QStringLiteral("転送処理に失敗しました。");
    default:
        return QStringLiteral("SMTPエラー：%1").arg(code);
    }
}

QString StepFailureMessage(NetStep step, const ClientFailure &failure)
{
    using Kind = ClientFailure::Kind;
    const QString server = step == NetStep::Ftp ? QStringLiteral("FTP")
        : step == NetStep::Pop3                 ? QStringLiteral("POP3")
                                                : QStringLiteral("SMTP");
    switch (failure.kind) {
    case Kind::ConnClosedGracefully:
        return server + QStringLiteral("サーバーに接続できません。設定を確認して下さい。");
    case Kind::SocketError:
        if (failure.number == WinsockErrors::WSAETIMEDOUT || failure.number == WinsockErrors::WSAEHOSTUNREACH
            || failure.number == WinsockErrors::WSAHOST_NOT_FOUND)
            return server + QStringLiteral("サーバーが見つかりません。設定を確認して下さい。");
        return QStringLiteral("ソケットエラー：%1").arg(failure.number);
    case Kind::ProtocolReplyError:
        switch (step) {
        case NetStep::Ftp:
            return QStringLiteral("FTPエラー：") + failure.text;
        case NetStep::Pop3:
            return QStringLiteral("POP3サーバーに接続できません。設定を確認して下さい。");
        case NetStep::Smtp:
            return QStringLiteral("[%1] ").arg(failure.number) + SmtpReplyText(failure.number);
        }
        break;
    case Kind::TokenRefused:
        return QStringLiteral("SMTPサーバーがサインインを受け付けません。サインインし直して下さい。");
    default:
        break;
    }
    // Any other failure of the client: its own text.
    switch (step) {
    case NetStep::Ftp:
        return QStringLiteral("FTPエラー：\n") + failure.text;
    case NetStep::Pop3:
        return QStringLiteral("POP3エラー：") + failure.text;
    case NetStep::Smtp:
        break;
    }
    return QStringLiteral("SMTPエラー：\n") + failure.text;
}
