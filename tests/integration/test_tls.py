"""tavrin-tool send and upload over TLS to real servers with a certificate authority made for the
test: aiosmtpd requiring STARTTLS, aiosmtpd with TLS from the start, dovecot with STLS and
pyftpdlib with explicit FTPS."""

import os
import tempfile
import unittest

from servers import Dovecot, FtpServer, SmtpServer, TestAuthority, run_tool

USERS = {"taro": "secret"}
UNTRUSTED = "サーバーの証明書を信頼できません（発行元を確認できません）。"


class TlsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.authority = TestAuthority()

    @classmethod
    def tearDownClass(cls):
        cls.authority.close()

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.picture = os.path.join(self.dir.name, "tmp.jpg")
        self.picture_bytes = b"\xff\xd8" + bytes(range(256)) * 80 + b"\xff\xd9"
        with open(self.picture, "wb") as f:
            f.write(self.picture_bytes)
        self.message_options = [
            "--from", "taro@example.com", "--to", "hanako@example.jp", "--subject", "tls",
            "--attach", self.picture, "--name", "pic.jpg",
        ]

    def send(self, server, *options, host="localhost"):
        return run_tool("send", "--host", host, "--port", str(server.port), "--timeout", "20",
                        *options, *self.message_options)

    def test_starttls_before_anything_else_when_the_server_requires_it(self):
        with SmtpServer(USERS, tls="starttls", authority=self.authority) as server:
            rc, out, err = self.send(server, "--tls", "required", "--ca-file", self.authority.ca_file,
                                     "--user", "taro", "--password", "secret", "--auth", "login")
            self.assertEqual((rc, out), (0, ["ok"]), err)
            server.wait_for_commands("QUIT")
            self.assertEqual([c[0] for c in server.commands],
                             ["EHLO", "STARTTLS", "EHLO", "RSET", "AUTH", "MAIL", "RCPT", "DATA", "QUIT"])
            self.assertEqual(server.logins, [("LOGIN", "taro", "secret")])
            self.assertEqual(len(server.messages), 1)
            self.assertIn(b"\r\nContent-Type: image/jpeg", server.messages[0]["content"])

    def test_without_tls_such_a_server_refuses_the_mail(self):
        with SmtpServer(USERS, tls="starttls", authority=self.authority) as server:
            rc, out, err = self.send(server, "--tls", "none")
            self.assertEqual(rc, 1, err)
            self.assertEqual(out[0], "EIdProtocolReplyError 530")
            self.assertEqual(server.messages, [])

    def test_tls_from_the_start(self):
        with SmtpServer(USERS, tls="implicit", authority=self.authority) as server:
            rc, out, err = self.send(server, "--tls", "implicit", "--ca-file", self.authority.ca_file,
                                     host="127.0.0.1")
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual(len(server.messages), 1)

    def test_an_unknown_authority_is_refused_unless_its_certificate_is_pinned(self):
        with SmtpServer(USERS, tls="implicit", authority=self.authority) as server:
            rc, out, err = self.send(server, "--tls", "implicit")
            self.assertEqual(
                (rc, out), (1, ["EIdTLSError", UNTRUSTED, "証明書のSHA-256指紋：" + self.authority.fingerprint()]), err)
            self.assertEqual(server.messages, [])
            rc, out, err = self.send(server, "--tls", "implicit", "--pin", self.authority.fingerprint())
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual(len(server.messages), 1)

    def test_pop3_stls_then_smtp_starttls(self):
        with Dovecot(USERS, authority=self.authority) as dovecot, \
                SmtpServer(USERS, tls="starttls", authority=self.authority) as server:
            rc, out, err = self.send(server, "--tls", "required", "--ca-file", self.authority.ca_file,
                                     "--user", "taro", "--password", "secret",
                                     "--pop-host", "localhost", "--pop-port", str(dovecot.port))
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertTrue(dovecot.wait_for_log("Login: user=<taro>"), dovecot.log())
            login = [line for line in dovecot.log().splitlines() if "Login: user=<taro>" in line]
            self.assertIn(", TLS", login[0])

    def test_in_auto_mode_the_pop3_login_takes_the_stls_that_dovecot_offers(self):
        with Dovecot(USERS, authority=self.authority) as dovecot, \
                SmtpServer(USERS, tls="starttls", authority=self.authority) as server:
            rc, out, err = self.send(server, "--tls", "auto", "--ca-file", self.authority.ca_file,
                                     "--user", "taro", "--password", "secret",
                                     "--pop-host", "localhost", "--pop-port", str(dovecot.port))
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertTrue(dovecot.wait_for_log("Login: user=<taro>"), dovecot.log())
            login = [line for line in dovecot.log().splitlines() if "Login: user=<taro>" in line]
            self.assertIn(", TLS", login[0])

    def test_ftps_protects_the_login_and_the_data(self):
        with FtpServer([("taro", "secret", "elradfmw")], authority=self.authority) as server:
            rc, out, err = run_tool(
                "upload", "--host", "localhost", "--port", str(server.port), "--user", "taro",
                "--password", "secret", "--folder", "pictures", "--name", "tls.jpg", "--timeout", "20",
                "--tls", "required", "--ca-file", self.authority.ca_file, self.picture,
            )
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual((server.root / "taro" / "pictures" / "tls.jpg").read_bytes(), self.picture_bytes)
            self.assertEqual(
                server.commands,
                ["AUTH TLS", "USER taro", "PASS secret", "PBSZ 0", "PROT P", "TYPE I", "SYST", "CWD pictures",
                 "PASV", "STOR tls.jpg"],
            )


if __name__ == "__main__":
    unittest.main()
