"""Whole send runs (tavrin-tool sendrun) against aiosmtpd, dovecot and pyftpdlib: one message per
recipient with its own picture, POP before SMTP once a run, the server route's upload and link, and
a refused recipient that ends the run with nothing kept."""

import email
import email.policy
import os
import pathlib
import struct
import subprocess
import tempfile
import unittest

from servers import Dovecot, FtpServer, SmtpServer, run_tool

LOGIN = "Login: user=<taro>"
SENT = "info: 送信しました。"
FAILED = "error: 送信に失敗しました。"
ADD = "question: 宛先をアドレス帳に追加しますか？"


def write_bmp(path, width=640, height=480):
    """A 24-bit picture with detail in it (gradients and stripes), so that JPEG sizes mean something."""
    row = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            line += bytes(((x * 255) // width, (y * 255) // height, ((x // 7 + y // 5) % 2) * 200 + (x ^ y) % 55))
        pixels += line + b"\0" * (row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    pathlib.Path(path).write_bytes(header + info + pixels)


def adx(entries):
    """Address book file bytes: seven CP932 lines an entry."""
    lines = []
    for name, address, route, preset, quality, width, height in entries:
        lines += [name, address, "-1" if route else "0", str(preset), str(quality), str(width), str(height)]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def jpeg_size(data, work):
    """Width and height of a JPEG, decoded by libjpeg's own djpeg."""
    path = os.path.join(work, "received.jpg")
    pathlib.Path(path).write_bytes(data)
    ppm = subprocess.run(["djpeg", "-pnm", path], capture_output=True, check=True, timeout=30).stdout
    fields = ppm.split(maxsplit=4)
    assert fields[0] == b"P6", fields[0]
    return int(fields[1]), int(fields[2])


def budget(address, preset, quality):
    rc, out, err = run_tool("budget", address, str(preset), str(quality))
    assert rc == 0, err
    return int(out[0].split("budget=")[1])


def parts(message):
    parsed = email.message_from_bytes(message["content"], policy=email.policy.default)
    text, picture = list(parsed.iter_parts())
    return text.get_payload(decode=True).decode("iso-2022-jp"), picture.get_filename(), picture.get_payload(decode=True)


class SendRunTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.work = self.dir.name
        self.picture = os.path.join(self.work, "source.bmp")
        write_bmp(self.picture)
        pathlib.Path(self.work, "body.txt").write_text("写真を送ります。\n", encoding="utf-8")
        self.book = [
            ("次郎", "jiro@ezweb.ne.jp", False, 1, 1, 132, 176),
            ("三郎", "saburo@example.com", False, 3, 0, 180, 240),
        ]
        pathlib.Path(self.work, "Tavrin.ADX").write_bytes(adx(self.book))
        self.history = adx([("四郎", "shiro@example.com", False, 2, 2, 240, 320)])
        pathlib.Path(self.work, "History.ADX").write_bytes(self.history)

    def settings(self, **values):
        user = {"FromName": "山田太郎", "FromAddress": "taro@example.com", "Connect": "1", "SMTPServer": "127.0.0.1",
                "UserID": "taro", "PassWord": "secret", "POPServer": "127.0.0.1", "UsePOP3": "0"}
        ftp = {"UseServer": "1"}
        for key, value in values.items():
            (ftp if key.startswith("FTP_") else user)[key.removeprefix("FTP_")] = value
        text = "[user]\r\n" + "".join(f"{k}={v}\r\n" for k, v in user.items())
        text += "[FTP]\r\n" + "".join(f"{k}={v}\r\n" for k, v in ftp.items())
        pathlib.Path(self.work, "tav.ini").write_bytes(text.encode("cp932"))

    def sendrun(self, smtp, *options):
        return run_tool("sendrun", "--work", self.work, "--picture", self.picture, "--smtp-port", str(smtp.port),
                        "--subject", "写真", "--body-file", os.path.join(self.work, "body.txt"), "--no-pauses",
                        *options)

    def test_every_recipient_gets_its_own_picture_within_its_budget(self):
        self.settings()
        with SmtpServer() as smtp:
            rc, out, err = self.sendrun(smtp, "--to-name", "花子", "--to", "hanako@docomo.ne.jp", "--preset", "2",
                                        "--quality", "2", "--cc", "jiro@ezweb.ne.jp,saburo@example.com",
                                        "--answers", "yes")
            self.assertEqual(rc, 0, "\n".join(out) + err)
            messages = list(smtp.messages)
        self.assertEqual([m["rcpt_tos"] for m in messages],
                         [["hanako@docomo.ne.jp"], ["jiro@ezweb.ne.jp"], ["saburo@example.com"]])
        expected = [("hanako@docomo.ne.jp", 2, 2, (240, 320)), ("jiro@ezweb.ne.jp", 1, 1, (132, 176)),
                    ("saburo@example.com", 3, 0, (180, 240))]
        names = []
        for message, (address, preset, quality, size) in zip(messages, expected):
            with self.subTest(address):
                _, name, picture = parts(message)
                names.append(name)
                self.assertEqual(jpeg_size(picture, self.work), size)
                self.assertLessEqual(len(picture), budget(address, preset, quality))
        self.assertEqual(len(set(names)), 3)
        self.assertEqual([line for line in out if not line.startswith(("status:", "progress:", "render:"))],
                         [SENT, ADD + " -> yes", "result: sent"])
        # The last picture is kept under its name; the recipient typed by hand heads the history and
        # joins the address book.
        kept = pathlib.Path(self.work, "Recent", names[-1])
        self.assertEqual(kept.read_bytes(), parts(messages[-1])[2])
        self.assertEqual(os.listdir(os.path.join(self.work, "Recent")), [names[-1]])
        self.assertFalse(pathlib.Path(self.work, "tmp.jpg").exists())
        history = pathlib.Path(self.work, "History.ADX").read_bytes()
        self.assertTrue(history.startswith(adx([("花子", "hanako@docomo.ne.jp", False, 2, 2, 240, 320)])))
        self.assertEqual(pathlib.Path(self.work, "Tavrin.ADX").read_bytes(),
                         adx(self.book + [("花子", "hanako@docomo.ne.jp", False, 2, 2, 240, 320)]))

    def test_pop_before_smtp_logs_in_once_for_three_messages(self):
        with Dovecot({"taro": "secret"}) as dovecot:
            def logged_in():
                return LOGIN in dovecot.log()

            self.settings(UsePOP3="1")
            with SmtpServer(pop_before_smtp=logged_in) as smtp:
                rc, out, err = self.sendrun(smtp, "--to", "hanako@example.jp", "--preset", "2", "--quality", "2",
                                            "--cc", "jiro@ezweb.ne.jp,saburo@example.com", "--pop-port",
                                            str(dovecot.port))
                self.assertEqual(rc, 0, "\n".join(out) + err)
                self.assertEqual(len(smtp.messages), 3)
            self.assertTrue(dovecot.wait_for_log("Disconnected: Logged out"), dovecot.log())
            self.assertEqual(dovecot.log().count(LOGIN), 1)
        self.assertEqual(out.count("status: POP3認証完了．"), 1)
        self.assertEqual(out.count("status: 送信完了．"), 3)

    def test_a_server_route_recipient_is_uploaded_and_linked(self):
        with FtpServer([("hanako", "pw", "elradfmw")]) as ftp, SmtpServer() as smtp:
            self.settings(FTP_Host="127.0.0.1", FTP_Port=str(ftp.port), FTP_UserID="hanako", FTP_Password="pw",
                          FTP_Folder="pictures", FTP_Url="http://example.jp/p/")
            rc, out, err = self.sendrun(smtp, "--to", "hanako@docomo.ne.jp", "--server-route", "--preset", "2",
                                        "--quality", "1", "--answers", "no")
            self.assertEqual(rc, 0, "\n".join(out) + err)
            self.assertEqual(len(smtp.messages), 1)
            body, name, picture = parts(smtp.messages[0])
            uploaded = list((ftp.root / "hanako" / "pictures").iterdir())
            self.assertEqual([p.name for p in uploaded], [name])
            self.assertEqual(uploaded[0].read_bytes(), picture)
        self.assertEqual(body.replace("\r\n", "\n").rstrip("\n"),
                         "写真を送ります。\n\n\n＜添付画像を見られない場合は、下記のサイトにアクセスして下さい＞\n"
                         "http://example.jp/p/" + name)
        self.assertEqual([line for line in out if line.startswith("status:")][:4],
                         ["status: FTPサーバーに接続しています…", "status: FTPサーバー接続完了．", "status: アップロード中…",
                          "status: アップロード完了．"])

    def test_a_refused_recipient_ends_the_run_with_nothing_kept(self):
        self.settings()
        with SmtpServer(refuse={"jiro@ezweb.ne.jp": "550 5.1.1 no such user"}) as smtp:
            rc, out, err = self.sendrun(smtp, "--to", "hanako@example.jp", "--preset", "2", "--quality", "2",
                                        "--cc", "jiro@ezweb.ne.jp,saburo@example.com")
            self.assertEqual(rc, 1, "\n".join(out) + err)
            self.assertEqual([m["rcpt_tos"] for m in smtp.messages], [["hanako@example.jp"]])
        self.assertEqual([line for line in out if line.startswith(("error", "info", "question"))],
                         ["error: [550] サーバーがメールを拒否しました。設定を確認して下さい。", FAILED])
        self.assertFalse(pathlib.Path(self.work, "Recent").exists())
        self.assertEqual(pathlib.Path(self.work, "History.ADX").read_bytes(), self.history)
        self.assertEqual(pathlib.Path(self.work, "Tavrin.ADX").read_bytes(), adx(self.book))
        # Only the first two recipients were prepared; the third was never tried.
        self.assertEqual(len([line for line in out if line.startswith("render:")]), 2)


if __name__ == "__main__":
    unittest.main()
