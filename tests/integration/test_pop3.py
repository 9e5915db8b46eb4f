"""POP before SMTP with dovecot: tavrin-tool send --pop-host logs in to POP3, then sends.

The SMTP server stands in for a provider that relays only for clients that have just logged in
to POP3: it takes a recipient only once dovecot has logged that login."""

import os
import tempfile
import unittest

from servers import Dovecot, SmtpServer, run_tool

LOGIN = "Login: user=<taro>"


class PopBeforeSmtpTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dovecot = Dovecot({"taro": "secret"})
        cls.dovecot.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.dovecot.__exit__(None, None, None)

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        picture = os.path.join(self.dir.name, "tmp.jpg")
        with open(picture, "wb") as f:
            f.write(b"\xff\xd8" + b"\x10" * 500 + b"\xff\xd9")
        body = os.path.join(self.dir.name, "body.txt")
        with open(body, "w", encoding="utf-8") as f:
            f.write("POP before SMTP\n")
        self.message_options = [
            "--from-name", "Taro", "--from", "taro@example.com", "--to-name", "Hanako", "--to", "hanako@example.jp",
            "--subject", "pop", "--body-file", body, "--attach", picture, "--name", "pop.jpg",
        ]
        self.logins_before = self.dovecot.log().count(LOGIN)

    def logged_in(self):
        return self.dovecot.log().count(LOGIN) > self.logins_before

    def send(self, smtp, *options):
        return run_tool("send", "--host", "127.0.0.1", "--port", str(smtp.port), *options, *self.message_options)

    def test_the_pop3_login_comes_first_and_opens_the_relay(self):
        with SmtpServer(pop_before_smtp=self.logged_in) as smtp:
            rc, out, err = self.send(smtp, "--user", "taro", "--password", "secret",
                                     "--pop-host", "127.0.0.1", "--pop-port", str(self.dovecot.port))
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual(len(smtp.messages), 1)
            self.assertEqual(smtp.messages[0]["rcpt_tos"], ["hanako@example.jp"])
        # The client said QUIT: dovecot ends the session as a logout, not as a dropped connection.
        self.assertTrue(self.dovecot.wait_for_log("pop3(taro)"), self.dovecot.log())
        self.assertTrue(self.dovecot.wait_for_log("Disconnected: Logged out"), self.dovecot.log())

    def test_without_the_pop3_login_the_relay_refuses_the_recipient(self):
        with SmtpServer(pop_before_smtp=self.logged_in) as smtp:
            rc, out, err = self.send(smtp)
            self.assertEqual((rc, out), (1, ["EIdProtocolReplyError 553", "5.7.1 Relaying denied: log in to POP3 first"]),
                             err)
            self.assertEqual(smtp.messages, [])

    def test_a_wrong_pop3_password_stops_before_smtp(self):
        # A dovecot of its own: after a failed login dovecot holds back the next logins from the
        # same address for seconds.
        with Dovecot({"taro": "secret"}) as dovecot, SmtpServer(pop_before_smtp=self.logged_in) as smtp:
            rc, out, err = self.send(smtp, "--user", "taro", "--password", "wrong",
                                     "--pop-host", "127.0.0.1", "--pop-port", str(dovecot.port))
            # The reply text is what follows the first four characters of "-ERR ...".
            self.assertEqual((rc, out), (1, ["EIdProtocolReplyError 2", " [AUTH] Authentication failed."]), err)
            self.assertEqual(smtp.commands, [])
            self.assertNotIn(LOGIN, dovecot.log())


if __name__ == "__main__":
    unittest.main()
