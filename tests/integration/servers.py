"""Real SMTP, FTP and POP3 servers from Debian for the protocol tests, on 127.0.0.1.

Every server listens on a port of its own (free ports, so tests may run in parallel), records
what its clients did, and is stopped when its `with` block ends. Also runs as a script that
starts one SMTP server and prints its port, for the benchmark.
"""

import contextlib
import grp
import hashlib
import logging
import os
import pathlib
import pwd
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer
import trustme

TOOL = os.environ.get("TAVRIN_TOOL", "tavrin-tool")
TOOL_TIMEOUT = 60

# Quiet servers: a test's own failure says what went wrong.
for _name in ("mail.log", "pyftpdlib"):
    logging.getLogger(_name).addHandler(logging.NullHandler())
    logging.getLogger(_name).setLevel(logging.CRITICAL)


def run_tool(*args, timeout=TOOL_TIMEOUT):
    """Runs tavrin-tool; returns its exit code and its output lines."""
    done = subprocess.run([TOOL, *args], capture_output=True, timeout=timeout)
    return done.returncode, done.stdout.decode("utf-8").splitlines(), done.stderr.decode("utf-8")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# --- TLS: a certificate authority made for the test -------------------------------------------


class TestAuthority:
    """trustme's authority and a server certificate from it for localhost and 127.0.0.1, with the
    files the servers and the client need."""

    def __init__(self):
        self.ca = trustme.CA()
        self.cert = self.ca.issue_cert("localhost", "127.0.0.1")
        self.dir = tempfile.mkdtemp(prefix="tavrin-ca-")
        self.ca_file = os.path.join(self.dir, "ca.pem")
        self.ca.cert_pem.write_to_path(self.ca_file)
        self.cert_file = os.path.join(self.dir, "cert.pem")
        self.cert.cert_chain_pems[0].write_to_path(self.cert_file)
        self.key_file = os.path.join(self.dir, "key.pem")
        self.cert.private_key_pem.write_to_path(self.key_file)
        self.both_file = os.path.join(self.dir, "both.pem")
        self.cert.private_key_and_cert_chain_pem.write_to_path(self.both_file)
        os.chmod(self.dir, 0o755)

    def server_context(self):
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        self.cert.configure_cert(context)
        return context

    def fingerprint(self):
        """The server certificate's SHA-256 as the client names it: "AB:CD:..."."""
        der = ssl.PEM_cert_to_DER_cert(self.cert.cert_chain_pems[0].bytes().decode())
        return ":".join(f"{b:02X}" for b in hashlib.sha256(der).digest())

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)


# --- SMTP: aiosmtpd -------------------------------------------------------------------------


class _RecordingSMTP(SMTP):
    """Notes every command verb and its argument as the client sent it."""

    def __init__(self, record, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self._record = record

    async def smtp_EHLO(self, arg):
        self._record.append(("EHLO", arg))
        return await super().smtp_EHLO(arg)

    async def smtp_HELO(self, arg):
        self._record.append(("HELO", arg))
        return await super().smtp_HELO(arg)

    async def smtp_STARTTLS(self, arg):
        self._record.append(("STARTTLS", arg))
        return await super().smtp_STARTTLS(arg)

    async def smtp_RSET(self, arg):
        self._record.append(("RSET", arg))
        return await super().smtp_RSET(arg)

    async def smtp_AUTH(self, arg):
        self._record.append(("AUTH", arg))
        return await super().smtp_AUTH(arg)

    async def smtp_MAIL(self, arg):
        self._record.append(("MAIL", arg))
        return await super().smtp_MAIL(arg)

    async def smtp_RCPT(self, arg):
        self._record.append(("RCPT", arg))
        return await super().smtp_RCPT(arg)

    async def smtp_DATA(self, arg):
        self._record.append(("DATA", arg))
        return await super().smtp_DATA(arg)

    async def smtp_QUIT(self, arg):
        self._record.append(("QUIT", arg))
        return await super().smtp_QUIT(arg)


class _Handler:
    def __init__(self, server):
        self._server = server

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self._server.pop_before_smtp is not None and not self._server.pop_before_smtp():
            return "553 5.7.1 Relaying denied: log in to POP3 first"
        if address in self._server.refuse:
            return self._server.refuse[address]
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self._server.messages.append(
            {
                "mail_from": envelope.mail_from,
                "mail_options": list(envelope.mail_options),
                "rcpt_tos": list(envelope.rcpt_tos),
                "content": envelope.original_content,
                "login": session.auth_data.login if session.authenticated else None,
            }
        )
        return "250 OK: queued"


class _Controller(Controller):
    """aiosmtpd's controller on a port that the system picks."""

    def _trigger_server(self):
        self.port = self.server.sockets[0].getsockname()[1]
        super()._trigger_server()


class SmtpServer:
    """aiosmtpd with AUTH LOGIN allowed on a plain connection.

    users: login -> password. pop_before_smtp: a callable that tells whether a recipient may be
    accepted (None: always). tls: None, "starttls" (STARTTLS required before mail) or "implicit"
    (TLS from the start), with the certificate of authority (a TestAuthority). refuse: recipient
    address -> the reply that refuses it."""

    def __init__(self, users=None, pop_before_smtp=None, tls=None, authority=None, refuse=None):
        self.users = users or {}
        self.pop_before_smtp = pop_before_smtp
        self.tls = tls
        self.authority = authority
        self.refuse = refuse or {}
        self.commands = []
        self.messages = []
        self.logins = []
        self._controller = None

    def _authenticate(self, server, session, envelope, mechanism, auth_data):
        ok = False
        if isinstance(auth_data, LoginPassword):
            login = auth_data.login.decode("utf-8", "replace")
            password = auth_data.password.decode("utf-8", "replace")
            self.logins.append((mechanism, login, password))
            ok = self.users.get(login) == password
        # handled=False: aiosmtpd answers a failed login itself (535) instead of staying silent.
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    def __enter__(self):
        record = self.commands
        authenticator = self._authenticate

        class Controller(_Controller):
            def factory(self):
                return _RecordingSMTP(record, self.handler, **self.SMTP_kwargs)

        tls_options = {}
        if self.tls == "starttls":
            tls_options = dict(tls_context=self.authority.server_context(), require_starttls=True)
        elif self.tls == "implicit":
            tls_options = dict(ssl_context=self.authority.server_context())
        self._controller = Controller(
            _Handler(self),
            hostname="127.0.0.1",
            port=0,
            authenticator=authenticator,
            auth_require_tls=False,
            auth_required=False,
            decode_data=False,
            ready_timeout=10,
            **tls_options,
        )
        self._controller.start()
        # The controller's own readiness probe connected once; forget what it did.
        time.sleep(0.05)
        self.commands.clear()
        return self

    def __exit__(self, *exc):
        self._controller.stop()

    @property
    def port(self):
        return self._controller.port

    def wait_for_commands(self, verb, timeout=5):
        """The server may see the client's last command only after the client has gone."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and not any(c[0] == verb for c in self.commands):
            time.sleep(0.02)


# --- FTP: pyftpdlib -------------------------------------------------------------------------


class FtpServer:
    """pyftpdlib in passive mode. users: (name, password, permissions) with a folder each under
    root; masquerade: the address that PASV replies name instead of the server's own; authority:
    a TestAuthority for FTPS, with TLS required on the control and the data connections."""

    def __init__(self, users, masquerade=None, authority=None):
        self._users = users
        self._masquerade = masquerade
        self._authority = authority
        self.commands = []
        self.quit = threading.Event()
        self.disconnected = threading.Event()
        self.root = None
        self._server = None
        self._thread = None

    def __enter__(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="tavrin-ftp-"))
        authorizer = DummyAuthorizer()
        for name, password, perm in self._users:
            home = self.root / name
            (home / "pictures").mkdir(parents=True)
            authorizer.add_user(name, password, str(home), perm=perm)
        record = self.commands
        quit_seen = self.quit
        disconnected = self.disconnected

        base = TLS_FTPHandler if self._authority else FTPHandler

        class Handler(base):
            def pre_process_command(self, line, cmd, arg):
                record.append(line)
                if cmd == "QUIT":
                    quit_seen.set()
                super().pre_process_command(line, cmd, arg)

            def on_disconnect(self):
                disconnected.set()

        Handler.authorizer = authorizer
        Handler.auth_failed_timeout = 0
        Handler.masquerade_address = self._masquerade
        if self._authority:
            Handler.certfile = self._authority.cert_file
            Handler.keyfile = self._authority.key_file
            Handler.tls_control_required = True
            Handler.tls_data_required = True
        self._server = FTPServer(("127.0.0.1", 0), Handler)
        self.port = self._server.socket.getsockname()[1]
        self._thread = threading.Thread(target=self._server.serve_forever, kwargs={"timeout": 0.05})
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._server.close_all()
        self._thread.join(10)
        shutil.rmtree(self.root, ignore_errors=True)


# --- POP3: dovecot --------------------------------------------------------------------------

DOVECOT_CONF = """\
protocols = pop3
listen = 127.0.0.1
base_dir = {d}/run
state_dir = {d}/state
log_path = {d}/dovecot.log
info_log_path = {d}/dovecot.log
{ssl}
disable_plaintext_auth = no
auth_failure_delay = 0
mail_location = maildir:~/Maildir
{users}
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {d}/users
}}
userdb {{
  driver = passwd-file
  args = username_format=%u {d}/users
}}
service pop3-login {{
{login_chroot}
  inet_listener pop3 {{
    port = {port}
  }}
  inet_listener pop3s {{
    port = 0
  }}
}}
service imap-login {{
  inet_listener imap {{
    port = 0
  }}
}}
{own_services}
"""


class Dovecot:
    """dovecot's POP3 service with passwd-file users (name -> password). As root its mail
    processes run as nobody; as another user everything runs as that user. authority: a
    TestAuthority whose certificate dovecot offers with STLS."""

    def __init__(self, users, authority=None):
        self._users = users
        self._authority = authority
        self._dir = None
        self._process = None
        self.port = None

    def __enter__(self):
        self._dir = pathlib.Path(tempfile.mkdtemp(prefix="tavrin-pop-"))
        d = self._dir
        d.chmod(0o755)
        (d / "run").mkdir()
        (d / "state").mkdir()
        # As another user than root, dovecot can neither change users nor chroot.
        if os.geteuid() == 0:
            uid = gid = 65534
            settings = dict(users="", login_chroot="", own_services="")
        else:
            uid, gid = os.geteuid(), os.getegid()
            user = pwd.getpwuid(uid).pw_name
            group = grp.getgrgid(gid).gr_name
            settings = dict(
                users=f"default_internal_user = {user}\ndefault_internal_group = {group}\n"
                f"default_login_user = {user}\n",
                login_chroot="  chroot =",
                own_services="service anvil {\n  chroot =\n}\n",
            )
        lines = []
        for name, password in self._users.items():
            home = d / "home" / name
            home.mkdir(parents=True)
            os.chown(home, uid, gid)
            os.chown(home.parent, uid, gid)
            lines.append(f"{name}:{{PLAIN}}{password}:{uid}:{gid}::{home}\n")
        (d / "users").write_text("".join(lines))
        for attempt in range(5):
            self.port = free_port()
            tls = "ssl = no"
            if self._authority:
                tls = f"ssl = yes\nssl_cert = <{self._authority.cert_file}\nssl_key = <{self._authority.key_file}"
            (d / "dovecot.conf").write_text(DOVECOT_CONF.format(d=d, port=self.port, ssl=tls, **settings))
            # In the foreground, so that the process is ours to stop.
            with open(d / "stderr.log", "wb") as stderr:
                self._process = subprocess.Popen(
                    ["dovecot", "-F", "-c", str(d / "dovecot.conf")],
                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr,
                )
            if self._wait_listening():
                return self
            self._stop()
        raise RuntimeError("dovecot did not start: " + (d / "stderr.log").read_text() + self.log())

    def _wait_listening(self, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self._process.poll() is None:
            with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", self.port), 1) as s:
                s.settimeout(2)
                if s.recv(64).startswith(b"+OK"):
                    return True
            time.sleep(0.05)
        return False

    def _stop(self):
        if self._process is None:
            return
        self._process.terminate()
        try:
            self._process.wait(10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        self._process = None

    def __exit__(self, *exc):
        self._stop()
        shutil.rmtree(self._dir, ignore_errors=True)

    def log(self):
        with contextlib.suppress(OSError):
            return (self._dir / "dovecot.log").read_text()
        return ""

    def wait_for_log(self, text, timeout=5):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if text in self.log():
                return True
            time.sleep(0.02)
        return False


def _serve_smtp(args):
    """servers.py smtp [--store DIR] [--refuse ADDRESS=REPLY]...: an SMTP server until stdin closes;
    prints its port first. With --store each message received is written to DIR as N.eml (in the
    order received)."""
    store = None
    refuse = {}
    while args:
        option = args.pop(0)
        if option == "--store" and args:
            store = pathlib.Path(args.pop(0))
        elif option == "--refuse" and args:
            address, _, reply = args.pop(0).partition("=")
            refuse[address] = reply
        else:
            sys.exit("usage: servers.py smtp [--store DIR] [--refuse ADDRESS=REPLY]...")
    with SmtpServer(refuse=refuse) as smtp:
        print(smtp.port, flush=True)
        if store is None:
            sys.stdin.read()
            return
        written = 0
        import select

        while True:
            ready, _, _ = select.select([sys.stdin], [], [], 0.05)
            while written < len(smtp.messages):
                (store / f"{written}.eml").write_bytes(smtp.messages[written]["content"])
                written += 1
            if ready and not sys.stdin.readline():
                return


if __name__ == "__main__":
    # servers.py smtp: runs an SMTP server until stdin closes; prints its port first.
    if sys.argv[1:2] != ["smtp"]:
        sys.exit("usage: servers.py smtp [--store DIR] [--refuse ADDRESS=REPLY]...")
    _serve_smtp(sys.argv[2:])
