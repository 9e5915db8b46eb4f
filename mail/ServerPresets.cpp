#include "mail/ServerPresets.h"

const QList<ServerPreset> &ServerPresets()
{
    // Port 465 is TLS from the start, 587 STARTTLS; Required makes either refuse clear text.
    static const QList<ServerPreset> presets {
        {QStringLiteral("Gmail"), QStringLiteral("smtp.gmail.com"), 587, EncryptionMode::Required,
         QStringLiteral("google"),
         QStringLiteral(
             "OAuth 2.0でサインインするか、2段階認証を有効にしてアプリパスワードを使って下さい。")},
        {QStringLiteral("Outlook.com"), QStringLiteral("smtp-mail.outlook.com"), 587,
         EncryptionMode::Required, QStringLiteral("microsoft"),
         QStringLiteral("パスワードでは送信できません。OAuth 2.0でサインインして下さい。")},
        {QStringLiteral("Microsoft 365"), QStringLiteral("smtp.office365.com"), 587, EncryptionMode::Required,
         QStringLiteral("microsoft"),
         QStringLiteral("OAuth 2.0でサインインして下さい（管理者がSMTP認証を許可している必要があります）。")},
        {QStringLiteral("iCloud"), QStringLiteral("smtp.mail.me.com"), 587, EncryptionMode::Required,
         QString(), QStringLiteral("SMTP認証で、Apple IDのアプリ用パスワードを使って下さい。")},
        {QStringLiteral("Yahoo! JAPAN"), QStringLiteral("smtp.mail.yahoo.co.jp"), 465,
         EncryptionMode::Required, QString(),
         QStringLiteral("SMTP認証で。メールの設定でIMAP/POP/SMTPアクセスを有効にして下さい。")},
        {QStringLiteral("OCN"), QStringLiteral("smtp.ocn.ne.jp"), 465, EncryptionMode::Required, QString(),
         QStringLiteral("SMTP認証で、OCNメールのパスワードを使って下さい。")},
        {QStringLiteral("BIGLOBE"), QStringLiteral("mail.biglobe.ne.jp"), 465, EncryptionMode::Required,
         QString(), QStringLiteral("SMTP認証で、メールパスワードを使って下さい。")},
        {QStringLiteral("@nifty"), QStringLiteral("smtp.nifty.com"), 465, EncryptionMode::Required, QString(),
         QStringLiteral("SMTP認証で、メールパスワードを使って下さい。")},
    };
    return presets;
}
