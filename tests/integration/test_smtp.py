"""tavrin-tool send against aiosmtpd: the picture mail as a real SMTP server receives it."""

import email
import email.header
import email.policy
import os
import re
import subprocess
import tempfile
import unittest

from servers import TOOL, SmtpServer, run_tool

USERS = {"taro": "secret"}


class SendTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.picture = os.path.join(self.dir.name, "tmp.jpg")
        self.picture_bytes = b"\xff\xd8" + bytes(range(256)) * 40 + b"\xff\xd9"
        with open(self.picture, "wb") as f:
            f.write(self.picture_bytes)
        body = os.path.join(self.dir.name, "body.txt")
        with open(body, "w", encoding="utf-8") as f:
            f.write("写真を送ります。\n.dot\nPicture attached.\n")
        self.message_options = [
            "--from-name", "山田太郎", "--from", "taro@example.com",
            "--to-name", "花子", "--to", "hanako@example.jp",
            "--subject", "写真です", "--body-file", body,
            "--attach", self.picture, "--name", "06-01-07_12-34-56.jpg",
        ]

    def send(self, server, *options):
        return run_tool("send", "--host", "127.0.0.1", "--port", str(server.port), *options, *self.message_options)

    def written_message(self):
        """What tavrin-tool message writes for the same options, as the server stores it: with the
        leading dots of the transparency rule taken off again."""
        out = subprocess.run([TOOL, "message", *self.message_options], capture_output=True, check=True, timeout=60)
        return re.sub(rb"(?m)^\.\.", b".", out.stdout)

    def assert_same_message(self, received, written):
        # Only the Date header may differ: it holds the time of writing.
        date = re.compile(rb"\r\nDate: [^\r]*\r\n")
        self.assertEqual(date.sub(b"\r\nDate: -\r\n", received), date.sub(b"\r\nDate: -\r\n", written))

    def test_an_authenticated_send_delivers_the_whole_message(self):
        with SmtpServer(USERS) as server:
            rc, out, err = self.send(server, "--user", "taro", "--password", "secret", "--auth", "login")
            self.assertEqual((rc, out), (0, ["ok"]), err)
            server.wait_for_commands("QUIT")
            self.assertEqual(
                server.commands,
                [("EHLO", "127.0.0.1"), ("RSET", None), ("AUTH", "LOGIN"), ("MAIL", "FROM:<taro@example.com>"),
                 ("RCPT", "TO:<hanako@example.jp>"), ("DATA", None), ("QUIT", None)],
            )
            self.assertEqual(server.logins, [("LOGIN", "taro", "secret")])
            self.assertEqual(len(server.messages), 1)
            message = server.messages[0]
        self.assertEqual(message["mail_from"], "taro@example.com")
        self.assertEqual(message["mail_options"], [])
        self.assertEqual(message["rcpt_tos"], ["hanako@example.jp"])
        self.assertEqual(message["login"], b"taro")
        self.assert_same_message(message["content"], self.written_message())

        parsed = email.message_from_bytes(message["content"], policy=email.policy.default)
        self.assertEqual(str(parsed["Subject"]), "写真です")
        self.assertEqual(parsed["To"].addresses[0].addr_spec, "hanako@example.jp")
        text, picture = list(parsed.iter_parts())
        self.assertIn(".dot", text.get_payload(decode=True).decode("iso-2022-jp").splitlines())
        self.assertEqual(picture.get_content_type(), "image/jpeg")
        self.assertEqual(picture.get_payload(decode=True), self.picture_bytes)

    def test_without_authentication_no_auth_is_sent(self):
        with SmtpServer(USERS) as server:
            rc, out, err = self.send(server, "--helo", "client.example")
            self.assertEqual((rc, out), (0, ["ok"]), err)
            server.wait_for_commands("QUIT")
            self.assertEqual([c[0] for c in server.commands], ["EHLO", "RSET", "MAIL", "RCPT", "DATA", "QUIT"])
            self.assertEqual(server.commands[0], ("EHLO", "client.example"))
            self.assertEqual(server.logins, [])
            self.assertIsNone(server.messages[0]["login"])

    def test_a_wrong_password_is_refused_with_535_and_sends_nothing(self):
        with SmtpServer(USERS) as server:
            rc, out, err = self.send(server, "--user", "taro", "--password", "wrong", "--auth", "login")
            self.assertEqual((rc, out), (1, ["EIdProtocolReplyError 535", "5.7.8 Authentication credentials invalid"]),
                             err)
            self.assertEqual(server.messages, [])
            self.assertNotIn("MAIL", [c[0] for c in server.commands])

    def test_a_closed_port_is_socket_error_10061(self):
        with SmtpServer(USERS) as server:
            port = server.port
        rc, out, err = run_tool("send", "--host", "127.0.0.1", "--port", str(port), *self.message_options)
        self.assertEqual((rc, out), (1, ["EIdSocketError 10061", "Socket Error # 10061", "Connection refused."]), err)


if __name__ == "__main__":
    unittest.main()
