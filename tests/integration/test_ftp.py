"""tavrin-tool upload against pyftpdlib: the server-route upload as a real FTP server sees it."""

import os
import tempfile
import unittest

from servers import FtpServer, run_tool

USERS = [("taro", "secret", "elradfmw"), ("guest", "guest", "elr")]


class UploadTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def picture(self, size):
        path = os.path.join(self.dir.name, "tmp.jpg")
        data = bytes((i * 7 + i // 251) % 256 for i in range(size))
        with open(path, "wb") as f:
            f.write(data)
        return path, data

    def upload(self, server, path, user="taro", password="secret", folder="pictures", name="06-01-07_12-34-56.jpg",
               tls="none"):
        return run_tool(
            "upload", "--host", "127.0.0.1", "--port", str(server.port), "--user", user,
            "--password", password, "--folder", folder, "--name", name, "--tls", tls, path,
        )

    def test_upload_stores_the_exact_bytes_in_binary_mode_and_leaves_without_quit(self):
        path, data = self.picture(70000)
        with FtpServer(USERS) as server:
            rc, out, err = self.upload(server, path)
            self.assertEqual((rc, out), (0, ["ok"]), err)
            stored = server.root / "taro" / "pictures" / "06-01-07_12-34-56.jpg"
            self.assertEqual(stored.read_bytes(), data)
            self.assertTrue(server.disconnected.wait(5))
            self.assertEqual(
                server.commands,
                ["USER taro", "PASS secret", "TYPE I", "SYST", "CWD pictures", "PASV",
                 "STOR 06-01-07_12-34-56.jpg"],
            )
            self.assertFalse(server.quit.is_set())

    def test_in_auto_mode_a_server_without_tls_gets_the_same_dialogue_after_refusing_auth_tls(self):
        path, data = self.picture(3000)
        with FtpServer(USERS) as server:
            rc, out, err = self.upload(server, path, tls="auto")
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual((server.root / "taro" / "pictures" / "06-01-07_12-34-56.jpg").read_bytes(), data)
            self.assertEqual(
                server.commands,
                ["AUTH TLS", "USER taro", "PASS secret", "TYPE I", "SYST", "CWD pictures", "PASV",
                 "STOR 06-01-07_12-34-56.jpg"],
            )

    def test_a_zero_byte_file_is_stored_empty(self):
        path, _ = self.picture(0)
        with FtpServer(USERS) as server:
            rc, out, err = self.upload(server, path, name="empty.jpg")
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual((server.root / "taro" / "pictures" / "empty.jpg").read_bytes(), b"")

    def test_a_pasv_reply_naming_another_host_still_uploads_to_the_server(self):
        # The server names a documentation address that leads nowhere; the client must ignore it.
        path, data = self.picture(5000)
        with FtpServer(USERS, masquerade="192.0.2.1") as server:
            rc, out, err = self.upload(server, path)
            self.assertEqual((rc, out), (0, ["ok"]), err)
            self.assertEqual((server.root / "taro" / "pictures" / "06-01-07_12-34-56.jpg").read_bytes(), data)

    def test_refusals_come_back_with_the_servers_code_and_text(self):
        path, _ = self.picture(100)
        cases = [
            ("wrong password", dict(password="wrong"), ["EIdProtocolReplyError 530", "Authentication failed."]),
            ("missing folder", dict(folder="nowhere"),
             ["EIdProtocolReplyError 550", "No such file or directory."]),
            ("read-only user", dict(user="guest", password="guest"),
             ["EIdProtocolReplyError 550", "Not enough privileges."]),
        ]
        with FtpServer(USERS) as server:
            for name, options, expected in cases:
                with self.subTest(name):
                    rc, out, err = self.upload(server, path, **options)
                    self.assertEqual((rc, out), (1, expected), err)
        self.assertFalse((server.root / "guest" / "pictures" / "06-01-07_12-34-56.jpg").exists())


if __name__ == "__main__":
    unittest.main()
