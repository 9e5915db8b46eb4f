// The OAuth 2.0 messages of the SMTP sign-in and the file that keeps its tokens where no keyring
// answers.

#include "mail/OAuth.h"
#include "mail/SecretStore.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(OAuthTest, PkceChallengeIsS256OfTheVerifier)
{
    // RFC 7636, appendix B.
    EXPECT_EQ(Pkce::ChallengeOf("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              QByteArray("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    const Pkce a = Pkce::Make();
    const Pkce b = Pkce::Make();
    EXPECT_EQ(a.Verifier.size(), 43);
    EXPECT_NE(a.Verifier, b.Verifier);
    EXPECT_EQ(a.Challenge, Pkce::ChallengeOf(a.Verifier));
    EXPECT_EQ(RandomState().size(), 43);
}

TEST(OAuthTest, TheAuthorizationUrlCarriesEveryFieldFormEncoded)
{
    const OAuthProvider microsoft = *OAuthPreset(QStringLiteral("microsoft"));
    Pkce pkce {"verifier", "CHALLENGE-_"};
    const QUrl url = AuthorizationUrl(microsoft, {QStringLiteral("id+1"), QString()},
                                      QStringLiteral("http://127.0.0.1:5555/"), "st/te", pkce,
                                      QStringLiteral("taro@example.com"));
    EXPECT_EQ(
        url.toString(QUrl::FullyEncoded),
        QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/authorize"
                       "?response_type=code&client_id=id%2B1&redirect_uri=http%3A%2F%2F127.0.0.1%3A5555%2F"
                       "&scope=https%3A%2F%2Foutlook.office.com%2FSMTP.Send%20offline_access&state=st%2Fte"
                       "&code_challenge=CHALLENGE-_&code_challenge_method=S256&access_type=offline"
                       "&prompt=consent&login_hint=taro%40example.com"));
}

TEST(OAuthTest, PresetsAndEndpointsThatMayCarryACode)
{
    const OAuthProvider google = *OAuthPreset(QStringLiteral("google"));
    EXPECT_EQ(google.AuthorizeUrl, QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth"));
    EXPECT_EQ(google.TokenUrl, QStringLiteral("https://oauth2.googleapis.com/token"));
    EXPECT_EQ(google.DeviceUrl, QStringLiteral("https://oauth2.googleapis.com/device/code"));
    EXPECT_EQ(google.Scope, QStringLiteral("https://mail.google.com/"));
    EXPECT_EQ(OAuthPreset(QStringLiteral("microsoft"))->TokenUrl,
              QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/token"));
    EXPECT_FALSE(OAuthPreset(QStringLiteral("custom")));

    const struct
    {
        const char *url;
        bool safe;
    } cases[] = {
        {"https://auth.example.com/token", true},
        {"http://127.0.0.1:8080/token", true},
        {"http://localhost/token", true},
        {"http://[::1]:99/t", true},
        {"http://auth.example.com/token", false},
        {"http://127.0.0.1.example.com/t", false},
        {"ftp://127.0.0.1/t", false},
        {"https:///token", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SafeEndpoint(QUrl(QString::fromLatin1(c.url))), c.safe) << c.url;
}

TEST(OAuthTest, TheRedirectGivesTheCodeOnlyWithOurState)
{
    EXPECT_EQ(CodeFromRedirect("/?state=abc&code=4%2F0Ab-x", "abc"), QStringLiteral("4/0Ab-x"));
    const struct
    {
        const char *target;
        const char *message;
    } failures[] = {
        {"/?state=abd&code=x",
         "サインインの応答が、この画面から始めたものではありません。もう一度サインインして下さい。"},
        {"/?code=x",
         "サインインの応答が、この画面から始めたものではありません。もう一度サインインして下さい。"},
        {"/?state=abc&error=access_denied", "サインインが拒否されました。"},
        {"/?state=abc&error=invalid_scope", "サインインできませんでした。（invalid_scope）"},
        {"/?state=abc", "認証サーバーの応答が正しくありません。"},
    };
    for (const auto &f : failures) {
        try {
            CodeFromRedirect(f.target, "abc");
            ADD_FAILURE() << f.target;
        } catch (const SignInError &e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(f.message)) << f.target;
            EXPECT_FALSE(e.Revoked());
        }
    }
}

TEST(OAuthTest, TokenResponsesAndTheirErrors)
{
    const QDateTime now = QDateTime::fromString(QStringLiteral("2026-12-10T12:00:00Z"), Qt::ISODate);
    const TokenResponse ok = ParseTokenResponse(
        200, R"({"access_token":"at","token_type":"Bearer","expires_in":3599,"refresh_token":"rt"})", now);
    ASSERT_TRUE(ok.Tokens);
    EXPECT_EQ(ok.Tokens->AccessToken, QStringLiteral("at"));
    EXPECT_EQ(ok.Tokens->RefreshToken, QStringLiteral("rt"));
    EXPECT_EQ(ok.Tokens->ExpiresAt, now.addSecs(3599));
    EXPECT_TRUE(ok.Tokens->Fresh(now.addSecs(3538)));
    EXPECT_FALSE(ok.Tokens->Fresh(now.addSecs(3540))); // a minute to spare for the send
    EXPECT_EQ(OAuthTokens::FromJson(ok.Tokens->ToJson())->ExpiresAt, ok.Tokens->ExpiresAt);
    EXPECT_EQ(OAuthTokens::FromJson(ok.Tokens->ToJson())->IssuedAt, now);
    // A token of two seconds keeps half a second to spare.
    const OAuthTokens brief
        = *ParseTokenResponse(200, R"({"access_token":"at","token_type":"bearer","expires_in":2})", now)
               .Tokens;
    EXPECT_TRUE(brief.Fresh(now.addMSecs(1400)));
    EXPECT_FALSE(brief.Fresh(now.addMSecs(1500)));

    const struct
    {
        int status;
        QByteArray body;
        const char *error;
    } errors[] = {
        {400, R"({"error":"invalid_grant","error_description":"Token has been expired or revoked."})",
         "invalid_grant"},
        {400, R"({"error":"authorization_pending"})", "authorization_pending"},
        {400, R"({"error":"slow_down"})", "slow_down"},
        {200, R"({"access_token":"at","token_type":"mac"})", "invalid_response"},
        {200, R"({"token_type":"Bearer"})", "invalid_response"},
        {502, "<html>Bad gateway</html>", "invalid_response"},
    };
    for (const auto &e : errors) {
        const TokenResponse r = ParseTokenResponse(e.status, e.body, now);
        EXPECT_FALSE(r.Tokens) << e.body.constData();
        EXPECT_EQ(r.Error, QString::fromLatin1(e.error));
    }
    EXPECT_EQ(ParseTokenResponse(400, R"({"error":"slow_down"})", now).RetryAfterInterval, 5);

    const DeviceAuthorization device = ParseDeviceAuthorization(
        200,
        R"({"device_code":"dc","user_code":"WDJB-MJHT","verification_url":"https://microsoft.com/devicelogin",)"
        R"("expires_in":900,"interval":3})");
    EXPECT_EQ(device.UserCode, QStringLiteral("WDJB-MJHT"));
    EXPECT_EQ(device.VerificationUri, QStringLiteral("https://microsoft.com/devicelogin"));
    EXPECT_EQ(device.IntervalSeconds, 3);
    EXPECT_THROW(ParseDeviceAuthorization(200, R"({"device_code":"dc","expires_in":900})"), SignInError);
}

TEST(SecretStoreTest, TheFileIsTheOwnersAloneAndSigningOutEmptiesIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = FileSecretStore::PathIn(dir.path());
    FileSecretStore store(path);
    EXPECT_FALSE(store.Read(QStringLiteral("smtp:a")));
    EXPECT_TRUE(store.Remove(QStringLiteral("smtp:a")));
    ASSERT_TRUE(store.Write(QStringLiteral("smtp:a"), "one"));
    ASSERT_TRUE(store.Write(QStringLiteral("smtp:b"), "two"));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(store.Read(QStringLiteral("smtp:a")), QByteArray("one"));

    // A mode widened by hand is narrowed again by the next write.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ASSERT_TRUE(store.Write(QStringLiteral("smtp:a"), "three"));
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    EXPECT_TRUE(store.Remove(QStringLiteral("smtp:a")));
    EXPECT_FALSE(store.Read(QStringLiteral("smtp:a")));
    EXPECT_EQ(store.Read(QStringLiteral("smtp:b")), QByteArray("two"));
    EXPECT_TRUE(store.Remove(QStringLiteral("smtp:b")));
    EXPECT_FALSE(QFile::exists(path));

    // A file that is not ours to parse is left alone.
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not json");
    garbage.close();
    EXPECT_FALSE(store.Write(QStringLiteral("smtp:a"), "x"));
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("not json"));
}

// The keyring first; a keyring that refuses leaves the secret to the file, and signing out
// clears both.
class MemoryStore : public SecretStore
{
public:
    std::optional<QByteArray> Read(const QString &key) override
    {
        return secrets.contains(key) ? std::optional<QByteArray>(secrets.value(key)) : std::nullopt;
    }
    bool Write(const QString &key, const QByteArray &secret) override
    {
        if (refuse)
            return false;
        secrets.insert(key, secret);
        return true;
    }
    bool Remove(const QString &key) override
    {
        secrets.remove(key);
        return true;
    }
    QMap<QString, QByteArray> secrets;
    bool refuse = false;
};

TEST(SecretStoreTest, TheKeyringComesFirstAndTheFileOnlyWhereItRefuses)
{
    auto keyring = std::make_unique<MemoryStore>();
    auto file = std::make_unique<MemoryStore>();
    MemoryStore *k = keyring.get();
    MemoryStore *f = file.get();
    FallbackSecretStore store(std::move(keyring), std::move(file));

    k->refuse = true;
    ASSERT_TRUE(store.Write(QStringLiteral("key"), "in file"));
    EXPECT_EQ(f->secrets.value(QStringLiteral("key")), QByteArray("in file"));
    EXPECT_EQ(store.Read(QStringLiteral("key")), QByteArray("in file"));

    k->refuse = false;
    ASSERT_TRUE(store.Write(QStringLiteral("key"), "in keyring"));
    EXPECT_EQ(k->secrets.value(QStringLiteral("key")), QByteArray("in keyring"));
    EXPECT_FALSE(f->secrets.contains(QStringLiteral("key")));

    EXPECT_TRUE(store.Remove(QStringLiteral("key")));
    EXPECT_FALSE(store.Read(QStringLiteral("key")));
}

} // namespace
