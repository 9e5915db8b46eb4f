// The failure kinds told apart once, and the message the user sees for each in each network step.

#include "mail/ClientFailure.h"
#include "mail/IdException.h"
#include "mail/MessageWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

template<class E> ClientFailure classify(const E &failure)
{
    return ClassifyFailure(std::make_exception_ptr(failure));
}

TEST(ClientFailure, KindsAreToldApartMostSpecificFirst)
{
    using Kind = ClientFailure::Kind;
    const struct
    {
        ClientFailure failure;
        Kind kind;
        int number;
        QString name;
        bool client;
    } cases[] = {
        {classify(EIdConnClosedGracefully()), Kind::ConnClosedGracefully, 0, "EIdConnClosedGracefully", true},
        {classify(EIdSocketError(10061)), Kind::SocketError, 10061, "EIdSocketError 10061", true},
        {classify(EIdProtocolReplyError(550, "no such user")), Kind::ProtocolReplyError, 550,
         "EIdProtocolReplyError 550", true},
        {classify(TokenRefusedError(535, "not accepted", "{}")), Kind::TokenRefused, 535,
         "EIdTokenRefused 535", true},
        {classify(EIdReadLnMaxLineLengthExceeded()), Kind::MaxLineLengthExceeded, 0,
         "EIdReadLnMaxLineLengthExceeded", true},
        {classify(EIdException("Unrecognized POP3 Response Header")), Kind::OtherIdException, 0,
         "EIdException", true},
        {classify(FileError("cannot open tmp.jpg")), Kind::FileError, 0, "EFileError", false},
        {classify(MessageError("line break")), Kind::MessageError, 0, "EMessageError", false},
        {classify(Exception("other")), Kind::OtherException, 0, "Exception", false},
        {classify(std::runtime_error("std")), Kind::OtherException, 0, "Exception", false},
        {classify(42), Kind::Unknown, 0, "unknown failure", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(c.failure.kind, c.kind);
        EXPECT_EQ(c.failure.number, c.number);
        EXPECT_EQ(c.failure.KindName(), c.name);
        EXPECT_EQ(c.failure.IsClientFailure(), c.client);
    }
    EXPECT_EQ(classify(EIdProtocolReplyError(550, "no\r\nsuch user")).text,
              QStringLiteral("no\r\nsuch user"));
    EXPECT_EQ(classify(std::runtime_error("std")).text, QStringLiteral("std"));
    EXPECT_EQ(StepFailureMessage(NetStep::Smtp, classify(TokenRefusedError(535, "not accepted", "{}"))),
              QStringLiteral("SMTPサーバーがサインインを受け付けません。サインインし直して下さい。"));
}

TEST(ClientFailure, EachStepHasItsMessageForEachKind)
{
    const ClientFailure closed = classify(EIdConnClosedGracefully());
    const ClientFailure timedOut = classify(EIdSocketError(10060));
    const ClientFailure unreachable = classify(EIdSocketError(10065));
    const ClientFailure unknownHost = classify(EIdSocketError(11001));
    const ClientFailure refused = classify(EIdSocketError(10061));
    const ClientFailure reply = classify(EIdProtocolReplyError(553, "not allowed"));
    const ClientFailure longLine = classify(EIdReadLnMaxLineLengthExceeded());
    const ClientFailure other = classify(EIdException("Unrecognized POP3 Response Header"));
    const struct
    {
        NetStep step;
        ClientFailure failure;
        QString message;
    } cases[] = {
        {NetStep::Ftp, closed, "FTPサーバーに接続できません。設定を確認して下さい。"},
        {NetStep::Pop3, closed, "POP3サーバーに接続できません。設定を確認して下さい。"},
        {NetStep::Smtp, closed, "SMTPサーバーに接続できません。設定を確認して下さい。"},
        {NetStep::Ftp, timedOut, "FTPサーバーが見つかりません。設定を確認して下さい。"},
        {NetStep::Pop3, unreachable, "POP3サーバーが見つかりません。設定を確認して下さい。"},
        {NetStep::Smtp, unknownHost, "SMTPサーバーが見つかりません。設定を確認して下さい。"},
        {NetStep::Ftp, refused, "ソケットエラー：10061"},
        {NetStep::Pop3, refused, "ソケットエラー：10061"},
        {NetStep::Smtp, refused, "ソケットエラー：10061"},
        {NetStep::Ftp, reply, "FTPエラー：not allowed"},
        {NetStep::Pop3, reply, "POP3サーバーに接続できません。設定を確認して下さい。"},
        {NetStep::Smtp, reply, "[553] コマンドエラー。"},
        {NetStep::Ftp, longLine, "FTPエラー：\nMax line length exceeded."},
        {NetStep::Pop3, other, "POP3エラー：Unrecognized POP3 Response Header"},
        {NetStep::Smtp, longLine, "SMTPエラー：\nMax line length exceeded."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        EXPECT_EQ(StepFailureMessage(c.step, c.failure), c.message);
    }
}

TEST(ClientFailure, SmtpReplyCodesHaveTheirTexts)
{
    const struct
    {
        QList<int> codes;
        QString text;
    } cases[] = {
        {{421}, "サービスが利用出来ません。"},
        {{432, 454, 534, 535, 538}, "認証出来ません。"},
        {{450}, "メールボックスが利用出来ません。"},
        {{451}, "データ処理中にエラー が発生しました。"},
        {{452}, "システムのストレージが不足しています。"},
        {{453}, "メールがありません。"},
        {{500, 502, 503, 552, 553}, "コマンドエラー。"},
        {{501, 504, 555}, "パラメータエラー。"},
        {{521, 550}, "サーバーがメールを拒否しました。設定を確認して下さい。"},
        {{530}, "アクセスが拒否されました。設定を確認して下さい。"},
        {{551}, "メールを転送できません。"},
        {{554}, "転送処理に失敗しました。"},
        {{599}, "SMTPエラー：599"},
        {{0}, "SMTPエラー：0"},
    };
    for (const auto &c : cases) {
        for (int code : c.codes) {
            SCOPED_TRACE(code);
            EXPECT_EQ(SmtpReplyText(code), c.text);
        }
    }
    EXPECT_EQ(StepFailureMessage(NetStep::Smtp, classify(EIdProtocolReplyError(599, "odd"))),
              QStringLiteral("[599] SMTPエラー：599"));
}

} // namespace
