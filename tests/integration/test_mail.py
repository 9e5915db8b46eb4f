"""tavrin-tool mail against aiosmtpd and pyftpdlib: a photo framed without user framing, rendered
within the recipient's budget and sent with the work folder's settings; exit codes and messages
a script can act on; and the work folder the tool chooses for a user who cannot write beside it."""

import os
import pathlib
import pwd
import shutil
import socket
import subprocess
import tempfile
import unittest

import test_sendrun as sendrun
from servers import FtpServer, SmtpServer, TOOL, run_tool

REFUSED = "tavrin-tool: [550] サーバーがメールを拒否しました。設定を確認して下さい。"
FAILED = "tavrin-tool: 送信に失敗しました。"


def pixels(data, work):
    """Width, height and RGB rows of a JPEG, decoded by libjpeg's own djpeg."""
    path = os.path.join(work, "decoded.jpg")
    pathlib.Path(path).write_bytes(data)
    ppm = subprocess.run(["djpeg", "-pnm", path], capture_output=True, check=True, timeout=30).stdout
    magic, width, height, _, raster = ppm.split(maxsplit=4)
    assert magic == b"P6", magic
    width, height = int(width), int(height)
    return width, height, lambda x, y: tuple(raster[(y * width + x) * 3:(y * width + x) * 3 + 3])


class MailTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.work = self.dir.name
        self.photo = os.path.join(self.work, "webcam.bmp")
        sendrun.write_bmp(self.photo)
        pathlib.Path(self.work, "body.txt").write_text("庭の様子です。\n", encoding="utf-8")
        self.book = [
            ("花子", "hanako@docomo.ne.jp", False, 2, 2, 240, 320),
            ("次郎", "jiro@ezweb.ne.jp", True, 1, 1, 132, 176),
        ]
        pathlib.Path(self.work, "Tavrin.ADX").write_bytes(sendrun.adx(self.book))

    def settings(self, smtp_port, **ftp):
        text = ("[user]\r\nFromName=山田太郎\r\nFromAddress=taro@example.com\r\nConnect=1\r\n"
                "SMTPServer=127.0.0.1\r\nUsePOP3=0\r\n")
        text += "[FTP]\r\n" + "".join(f"{k}={v}\r\n" for k, v in ftp.items())
        text += f"[connection]\r\nSMTPPort={smtp_port}\r\n"
        pathlib.Path(self.work, "tav.ini").write_bytes(text.encode("cp932"))

    def mail(self, *options):
        return run_tool("mail", self.photo, "--work", self.work, "--timeout", "20", *options)

    def test_a_book_entry_gets_the_photo_fitted_by_width_within_its_budget(self):
        with SmtpServer() as smtp:
            self.settings(smtp.port)
            rc, out, err = self.mail("--to", "花子", "--subject", "庭", "--body-file",
                                     os.path.join(self.work, "body.txt"))
            self.assertEqual((rc, err), (0, ""), out)
            self.assertEqual(len(smtp.messages), 1)
            message = smtp.messages[0]
        self.assertEqual(message["rcpt_tos"], ["hanako@docomo.ne.jp"])
        body, name, picture = sendrun.parts(message)
        self.assertEqual(body.replace("\r\n", "\n").rstrip("\n"), "庭の様子です。")
        budget = sendrun.budget("hanako@docomo.ne.jp", 2, 2)
        self.assertLessEqual(len(picture), budget)
        # 640 x 480 fitted to the width of 240 x 320 is 240 x 180, centred: white above and below.
        width, height, pixel = pixels(picture, self.work)
        self.assertEqual((width, height), (240, 320))
        for x, y in ((120, 10), (5, 60), (230, 260), (120, 310)):
            self.assertTrue(all(c >= 245 for c in pixel(x, y)), (x, y, pixel(x, y)))
        self.assertTrue(any(c < 200 for c in pixel(60, 160)), pixel(60, 160))

        kept = os.path.join(self.work, "Recent", name)
        self.assertEqual(len(out), 1, out)
        fields = dict(item.split("=", 1) for item in out[0].split()[1:])
        self.assertEqual(out[0].split()[0], "sent")
        self.assertEqual(fields["to"], "hanako@docomo.ne.jp")
        self.assertEqual(fields["picture"], "240x320")
        self.assertEqual(fields["bytes"], str(len(picture)))
        self.assertEqual(fields["budget"], str(budget))
        self.assertEqual(fields["kept"], kept)
        self.assertEqual(pathlib.Path(kept).read_bytes(), picture)
        self.assertFalse(pathlib.Path(self.work, "tmp.jpg").exists())
        # The entry heads the history; the address book is as it was.
        self.assertEqual(pathlib.Path(self.work, "History.ADX").read_bytes(), sendrun.adx(self.book[:1]))
        self.assertEqual(pathlib.Path(self.work, "Tavrin.ADX").read_bytes(), sendrun.adx(self.book))

    def test_a_sent_mail_whose_picture_cannot_be_kept_is_still_sent_and_says_so(self):
        # A file where the sent folder belongs: the copy cannot be made, as on a full disk.
        pathlib.Path(self.work, "Recent").write_bytes(b"not a folder")
        with SmtpServer() as smtp:
            self.settings(smtp.port)
            rc, out, err = self.mail("--to", "花子")
            self.assertEqual(len(smtp.messages), 1)
        self.assertEqual(rc, 0, err)
        self.assertEqual(out[0].split()[0], "sent")
        self.assertNotIn("kept=", out[0])
        recent = os.path.join(self.work, "Recent")
        tmp = os.path.join(self.work, "tmp.jpg")
        self.assertEqual(err, f"tavrin-tool: 送信した画像を送信済みフォルダ {recent} に保存できませんでした。\\n"
                              f"ディスクの空きを確かめて下さい。画像は {tmp} に残してあります。\n")
        self.assertTrue(pathlib.Path(tmp).exists())
        self.assertEqual(pathlib.Path(self.work, "History.ADX").read_bytes(), sendrun.adx(self.book[:1]))

    def test_a_typed_address_needs_picture_settings_and_stays_out_of_the_book(self):
        with SmtpServer() as smtp:
            self.settings(smtp.port)
            rc, out, err = self.mail("--to", "guest@example.org")
            self.assertEqual((rc, out), (2, []))
            self.assertIn("guest@example.org is not in the address book: give --preset and --quality", err)
            self.assertEqual(smtp.messages, [])

            rc, out, err = self.mail("--to", "guest@example.org", "--to-name", "お客様", "--preset", "3",
                                     "--size", "180,240", "--quality", "0")
            self.assertEqual((rc, err), (0, ""), out)
            self.assertEqual([m["rcpt_tos"] for m in smtp.messages], [["guest@example.org"]])
            picture = sendrun.parts(smtp.messages[0])[2]
        self.assertEqual(sendrun.jpeg_size(picture, self.work), (180, 240))
        self.assertLessEqual(len(picture), sendrun.budget("guest@example.org", 3, 0))
        self.assertEqual(pathlib.Path(self.work, "Tavrin.ADX").read_bytes(), sendrun.adx(self.book))
        self.assertEqual(pathlib.Path(self.work, "History.ADX").read_bytes(),
                         sendrun.adx([("お客様", "guest@example.org", False, 3, 0, 180, 240)]))

    def test_a_server_route_entry_is_uploaded_and_linked(self):
        with FtpServer([("taro", "pw", "elradfmw")]) as ftp, SmtpServer() as smtp:
            self.settings(smtp.port, Host="127.0.0.1", Port=str(ftp.port), UserID="taro", Password="pw",
                          Folder="pictures", Url="http://example.jp/p/")
            rc, out, err = self.mail("--to", "JIRO@ezweb.ne.jp")
            self.assertEqual((rc, err), (0, ""), out)
            body, name, picture = sendrun.parts(smtp.messages[0])
            uploaded = list((ftp.root / "taro" / "pictures").iterdir())
            self.assertEqual([p.name for p in uploaded], [name])
            self.assertEqual(uploaded[0].read_bytes(), picture)
        self.assertTrue(body.rstrip().endswith("http://example.jp/p/" + name), body)
        self.assertEqual(sendrun.jpeg_size(picture, self.work), (132, 176))

    def test_failures_give_the_programs_messages_and_an_exit_code(self):
        silent = socket.socket()
        silent.bind(("127.0.0.1", 0))
        silent.listen(1)  # accepts connections and never says a word
        self.addCleanup(silent.close)
        empty = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, empty)
        history = sendrun.adx([("四郎", "shiro@example.com", False, 2, 2, 240, 320)])
        pathlib.Path(self.work, "History.ADX").write_bytes(history)
        cases = [
            ("a refused recipient", [], {"hanako@docomo.ne.jp": "550 5.1.1 no such user"}, None,
             1, [REFUSED, FAILED]),
            ("a server that never answers", ["--timeout", "1"], {}, silent.getsockname()[1],
             3, ["tavrin-tool: タイムアウトエラー：ネットワークから応答がありません。",
                 "tavrin-tool: プログラムを続行できません。"]),
            ("a server route without an FTP server", ["--to", "次郎"], {}, None,
             2, ["tavrin-tool: FTPサーバーが設定されていません。設定を確認して下さい。"]),
            ("a name given twice", ["--to", "太郎"], {}, None,
             2, ["tavrin-tool: several entries of the address book are named 太郎: give the address"]),
            ("no settings", ["--work", empty], {}, None,
             2, [f"tavrin-tool: no settings in {empty}/tav.ini: start Tavrin once and enter the mail settings, "
                 "or name the work folder with --work"]),
            ("a subject too long", ["--subject", "あ" * 19], {}, None,
             2, ["tavrin-tool: --subject holds at most 36 bytes in Shift_JIS (18 full-width characters)"]),
        ]
        for name, options, refuse, port, code, messages in cases:
            with self.subTest(name), SmtpServer(refuse=refuse) as smtp:
                book = self.book + [("太郎", "taro1@example.jp", False, 1, 1, 132, 176),
                                    ("太郎", "taro2@example.jp", False, 1, 1, 132, 176)]
                pathlib.Path(self.work, "Tavrin.ADX").write_bytes(sendrun.adx(book))
                self.settings(port or smtp.port)
                if "--to" not in options:
                    options = ["--to", "hanako@docomo.ne.jp", *options]
                rc, out, err = run_tool("mail", self.photo, "--work", self.work, *options)
                self.assertEqual((rc, out, err.splitlines()), (code, [], messages))
                self.assertEqual(smtp.messages, [])
                self.assertFalse(pathlib.Path(self.work, "Recent").exists())
                self.assertEqual(pathlib.Path(self.work, "History.ADX").read_bytes(), history)


@unittest.skipUnless(os.geteuid() == 0, "needs root to run the tool as another user")
class WorkFolderTest(unittest.TestCase):
    """The folder the tool works in without --work, as Tavrin beside it chooses it."""

    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)
        os.chmod(self.dir, 0o755)
        self.bin = os.path.join(self.dir, "usr", "bin")
        os.makedirs(self.bin)
        shutil.copy(TOOL, self.bin)
        self.home = os.path.join(self.dir, "home")
        os.makedirs(self.home)
        self.nobody = pwd.getpwnam("nobody")
        os.chown(self.home, self.nobody.pw_uid, self.nobody.pw_gid)

    def workfolder(self, as_nobody):
        command = [os.path.join(self.bin, "tavrin-tool"), "workfolder"]
        if as_nobody:
            command = ["setpriv", f"--reuid={self.nobody.pw_uid}", f"--regid={self.nobody.pw_gid}",
                       "--clear-groups", *command]
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home}
        done = subprocess.run(command, capture_output=True, env=env, timeout=60)
        return done.returncode, done.stdout.decode().strip(), done.stderr.decode()

    def test_the_executables_folder_only_where_it_may_be_written_and_is_no_installation(self):
        user = os.path.join(self.home, ".local", "share", "Tavrin") + "/"
        # A copy the user cannot write beside: the user's data folder, made for it.
        self.assertEqual(self.workfolder(as_nobody=True), (0, user, ""))
        self.assertTrue(os.path.isdir(user))
        self.assertEqual(os.listdir(self.bin), ["tavrin-tool"])
        shutil.rmtree(os.path.join(self.home, ".local"))
        # The same copy where its user may write: its own folder.
        self.assertEqual(self.workfolder(as_nobody=False), (0, self.bin + "/", ""))
        # Installed (share/tavrin beside bin/): never the bin folder, even for root.
        os.makedirs(os.path.join(self.dir, "usr", "share", "tavrin"))
        self.assertEqual(self.workfolder(as_nobody=False), (0, user, ""))


if __name__ == "__main__":
    unittest.main()
