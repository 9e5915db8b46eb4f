"""The OAuth 2.0 sign-in of tavrin-tool against a strict authorization server of our own, and
mail sent with it to aiosmtpd that takes only XOAUTH2 over STARTTLS: the browser flow (the
browser played by a script), the device grant, the refresh, the revoked sign-in, the tokens in
a 0600 file without a keyring and in the keyring of a real Secret Service."""

import os
import pathlib
import shutil
import stat
import subprocess
import tempfile
import time
import unittest

import test_sendrun as sendrun
from oauth_server import CLIENT_ID, CLIENT_SECRET, SCOPE, AuthorizationServer, XOAuth2SmtpServer
from servers import TOOL, TestAuthority

HERE = os.path.dirname(os.path.abspath(__file__))
SIGNED_IN = "signed in to 127.0.0.1 as taro@example.com"
REVOKED = "tavrin-tool: サインインの期限が切れたか、取り消されました。サインインし直して下さい。"


class SignInTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.work = self.dir.name + "/"
        self.authority = TestAuthority()
        self.addCleanup(self.authority.close)
        self.log = os.path.join(self.work, "browser.log")
        # No keyring answers: the tokens go to the file.
        self.env = dict(os.environ, BROWSER=os.path.join(HERE, "browser.py"), BROWSER_LOG=self.log,
                        no_proxy="127.0.0.1", NO_PROXY="127.0.0.1",
                        DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(self.work, "no-bus"))
        self.env.pop("DISPLAY", None)
        self.photo = os.path.join(self.work, "webcam.bmp")
        sendrun.write_bmp(self.photo)
        pathlib.Path(self.work, "Tavrin.ADX").write_bytes(
            sendrun.adx([("花子", "hanako@docomo.ne.jp", False, 0, 0, 120, 120)]))

    def settings(self, smtp_port):
        text = ("[user]\r\nFromName=Taro\r\nFromAddress=taro@example.com\r\nConnect=1\r\n"
                "SMTPServer=127.0.0.1\r\nUsePOP3=0\r\n"
                f"[connection]\r\nSMTPPort={smtp_port}\r\nMailTLS=none\r\n"
                f"Fingerprint={self.authority.fingerprint()}\r\n")
        pathlib.Path(self.work, "tav.ini").write_bytes(text.encode("cp932"))

    def tool(self, *args, env=None):
        done = subprocess.run([TOOL, *args], capture_output=True, timeout=90, env=env or self.env)
        return done.returncode, done.stdout.decode().splitlines(), done.stderr.decode()

    def signin(self, auth, *extra, env=None):
        return self.tool("signin", "--work", self.work, "--provider", "custom", "--client-id", CLIENT_ID,
                         "--client-secret", CLIENT_SECRET, "--authorize-url", auth.url + "/authorize",
                         "--token-url", auth.url + "/token", "--device-url", auth.url + "/device",
                         "--scope", SCOPE, "--timeout", "30", *extra, env=env)

    def mail(self, env=None):
        return self.tool("mail", self.photo, "--work", self.work, "--to", "花子", "--timeout", "20", env=env)

    def test_browser_sign_in_then_mail_refreshes_and_a_revoked_sign_in_sends_nothing(self):
        with AuthorizationServer(access_lifetime=2) as auth, \
                XOAuth2SmtpServer(self.authority, auth.valid) as smtp:
            self.settings(smtp.port)
            rc, out, err = self.signin(auth)
            self.assertEqual((rc, err), (0, ""), out)
            self.assertTrue(out[0].startswith("url=" + auth.url + "/authorize?response_type=code&client_id="), out)
            self.assertEqual(out[1:], [SIGNED_IN])
            self.assertIn("サインインしました。", pathlib.Path(self.log).read_text(encoding="utf-8"))
            self.assertEqual(auth.errors, [])
            self.assertEqual(auth.grants, ["authorization_code"])
            self.assertEqual(auth.codes, {})  # the code was used, once

            ini = pathlib.Path(self.work, "tav.ini").read_bytes().decode("cp932")
            self.assertIn("OAuth=1\r\n", ini)
            self.assertNotIn("rt-", ini)
            tokens = pathlib.Path(self.work, "tokens.dat")
            self.assertEqual(stat.S_IMODE(tokens.stat().st_mode), 0o600)
            self.assertIn("rt-", tokens.read_text())

            # The access token lives two seconds: the send refreshes it first, without a word.
            time.sleep(2.1)
            rc, out, err = self.mail()
            self.assertEqual((rc, err), (0, ""), out)
            self.assertEqual(auth.grants, ["authorization_code", "refresh_token"])
            self.assertEqual(len(smtp.messages), 1)
            self.assertEqual(smtp.messages[0]["rcpt_tos"], ["hanako@docomo.ne.jp"])
            self.assertEqual([t[0] for t in smtp.tokens], ["taro@example.com"])
            verbs = [c[0] for c in smtp.commands]
            self.assertLess(verbs.index("STARTTLS"), verbs.index("AUTH"))

            # Revoked, and the last access token has run out: only a new sign-in helps.
            auth.revoke()
            time.sleep(2.1)
            smtp.commands.clear()
            rc, out, err = self.mail()
            self.assertEqual((rc, out, err.strip()), (2, [], REVOKED))
            self.assertEqual(len(smtp.messages), 1)
            self.assertEqual(smtp.commands, [])

    def test_a_token_the_smtp_server_refuses_is_answered_and_reported(self):
        with AuthorizationServer(access_lifetime=3600) as auth, \
                XOAuth2SmtpServer(self.authority, lambda token: False) as smtp:
            self.settings(smtp.port)
            self.assertEqual(self.signin(auth)[0], 0)
            rc, out, err = self.mail()
            self.assertEqual(rc, 1, (out, err))
            self.assertIn("サインインし直して下さい。", err)
            self.assertEqual(smtp.answers, [b""])  # the challenge got its empty line
            self.assertEqual(smtp.messages, [])

    def test_a_refused_sign_in_keeps_the_settings(self):
        with AuthorizationServer(deny=True) as auth:
            self.settings(25)
            rc, out, err = self.signin(auth)
            self.assertEqual((rc, err.strip()), (1, "tavrin-tool: サインインが拒否されました。"))
            self.assertNotIn("OAuth=1", pathlib.Path(self.work, "tav.ini").read_bytes().decode("cp932"))
            self.assertFalse(os.path.exists(os.path.join(self.work, "tokens.dat")))

    def test_device_grant_waits_for_the_approval(self):
        with AuthorizationServer() as auth:
            self.settings(25)
            process = subprocess.Popen(
                [TOOL, "signin", "--device", "--work", self.work, "--provider", "custom", "--client-id",
                 CLIENT_ID, "--client-secret", CLIENT_SECRET, "--authorize-url", auth.url + "/authorize",
                 "--token-url", auth.url + "/token", "--device-url", auth.url + "/device", "--scope", SCOPE,
                 "--timeout", "30"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=self.env)
            try:
                url = process.stdout.readline().decode().rstrip("\n")
                code = process.stdout.readline().decode().rstrip("\n")
                self.assertEqual((url, code), ("url=" + auth.url + "/device", "code=WDJB-MJHT"))
                # Polled at the interval, pending until the user agrees.
                while auth.grants.count("urn:ietf:params:oauth:grant-type:device_code") < 2:
                    self.assertIsNone(process.poll())
                    time.sleep(0.1)
                auth.approve("WDJB-MJHT")
                out, err = process.communicate(timeout=30)
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
            self.assertEqual((process.returncode, err.decode()), (0, ""))
            self.assertEqual(out.decode().splitlines(), [SIGNED_IN])
            self.assertTrue(os.path.exists(os.path.join(self.work, "tokens.dat")))

    def test_send_signs_in_with_the_token_it_is_given_and_only_over_tls(self):
        picture = os.path.join(self.work, "tmp.jpg")
        pathlib.Path(picture).write_bytes(b"\xff\xd8" + bytes(range(256)) * 4 + b"\xff\xd9")
        message = ["--from", "taro@example.com", "--to", "hanako@example.jp", "--subject", "oauth",
                   "--attach", picture, "--name", "pic.jpg"]
        with XOAuth2SmtpServer(self.authority, lambda token: token == "at-given") as smtp:
            for tls in ("required", "none"):
                rc, out, err = self.tool(
                    "send", "--host", "localhost", "--port", str(smtp.port), "--timeout", "20", "--tls", tls,
                    "--ca-file", self.authority.ca_file, "--user", "taro@example.com", "--auth", "xoauth2",
                    "--access-token", "at-given", *message)
                self.assertEqual((rc, out, err), (0, ["ok"], ""), tls)
            # With TLS off the client still asked for STARTTLS and never sent the token in clear.
            self.assertEqual([c[0] for c in smtp.commands].count("STARTTLS"), 2)
            self.assertEqual(smtp.tokens, [("taro@example.com", "Bearer at-given")] * 2)
            self.assertEqual(len(smtp.messages), 2)

    @unittest.skipUnless(shutil.which("gnome-keyring-daemon") and shutil.which("dbus-run-session"),
                         "gnome-keyring and dbus are installed by scripts/deps.sh")
    def test_with_a_secret_service_the_tokens_go_to_the_keyring(self):
        with AuthorizationServer(access_lifetime=2) as auth, \
                XOAuth2SmtpServer(self.authority, auth.valid) as smtp:
            self.settings(smtp.port)
            env = dict(self.env)
            env.pop("DBUS_SESSION_BUS_ADDRESS")
            env["HOME"] = self.work  # a keyring of the test's own
            env["XDG_DATA_HOME"] = os.path.join(self.work, "data")
            script = (
                'echo -n test | gnome-keyring-daemon --unlock --components=secrets >/dev/null && '
                f'"{TOOL}" signin --work "{self.work}" --provider custom --client-id {CLIENT_ID} '
                f'--client-secret {CLIENT_SECRET} --authorize-url {auth.url}/authorize '
                f'--token-url {auth.url}/token --device-url {auth.url}/device --scope "{SCOPE}" --timeout 30 && '
                f'test ! -e "{self.work}tokens.dat" && sleep 2.1 && '
                f'"{TOOL}" mail "{self.photo}" --work "{self.work}" --to 花子 --timeout 20')
            done = subprocess.run(["dbus-run-session", "--", "sh", "-c", script], capture_output=True,
                                  timeout=120, env=env)
            self.assertEqual(done.returncode, 0, (done.stdout, done.stderr))
            self.assertFalse(os.path.exists(os.path.join(self.work, "tokens.dat")))
            self.assertEqual(len(smtp.messages), 1)
            self.assertEqual(auth.grants, ["authorization_code", "refresh_token"])


if __name__ == "__main__":
    unittest.main()
