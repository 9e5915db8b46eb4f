"""A strict OAuth 2.0 authorization server of our own on 127.0.0.1 for the sign-in tests, and an
SMTP server (aiosmtpd) that takes only XOAUTH2 over STARTTLS with the access tokens it issued.

The authorization server takes the code grant with PKCE S256 only and loopback redirects only,
issues single-use codes, answers the device grant with authorization_pending until approved,
gives access tokens that expire in seconds, refreshes them, and revokes on request."""

import base64
import hashlib
import http.server
import json
import secrets
import threading
import time
import urllib.parse

from aiosmtpd.smtp import AuthResult, LoginPassword

from servers import SmtpServer, _RecordingSMTP, _Controller, _Handler

CLIENT_ID = "tavrin-test.apps"
CLIENT_SECRET = "test-secret"
SCOPE = "https://mail.example/smtp offline_access"


def _loopback_redirect(uri):
    parts = urllib.parse.urlsplit(uri)
    return (parts.scheme == "http" and parts.hostname == "127.0.0.1" and parts.port is not None
            and parts.path == "/" and not parts.query and not parts.fragment)


class AuthorizationServer:
    def __init__(self, access_lifetime=2, deny=False):
        self.access_lifetime = access_lifetime
        self.deny = deny
        self.codes = {}  # code -> (challenge, redirect_uri)
        self.access = {}  # token -> expiry (monotonic)
        self.refresh = set()
        self.devices = {}  # device_code -> {"user_code", "approved"}
        self.grants = []  # grant_type of every token request, in order
        self.errors = []  # every refusal: what the client did wrong
        self._lock = threading.Lock()
        self._httpd = None

    # --- the endpoints -------------------------------------------------------------------------

    def _authorize(self, query):
        q = {k: v[0] for k, v in urllib.parse.parse_qs(query).items()}
        redirect = q.get("redirect_uri", "")
        if q.get("client_id") != CLIENT_ID or not _loopback_redirect(redirect):
            self.errors.append("authorize: client or redirect " + redirect)
            return 400, {"Content-Type": "text/plain"}, b"bad client or redirect"
        if (q.get("response_type") != "code" or q.get("code_challenge_method") != "S256"
                or len(q.get("code_challenge", "")) != 43 or not q.get("state") or q.get("scope") != SCOPE):
            self.errors.append("authorize: " + query)
            target = redirect + "?" + urllib.parse.urlencode({"error": "invalid_request", "state": q.get("state", "")})
        elif self.deny:
            target = redirect + "?" + urllib.parse.urlencode({"error": "access_denied", "state": q["state"]})
        else:
            code = secrets.token_urlsafe(16)
            self.codes[code] = (q["code_challenge"], redirect)
            target = redirect + "?" + urllib.parse.urlencode({"code": code, "state": q["state"]})
        return 302, {"Location": target}, b""

    def _issue(self, refresh=None):
        token = "at-" + secrets.token_urlsafe(16)
        self.access[token] = time.monotonic() + self.access_lifetime
        body = {"access_token": token, "token_type": "Bearer", "expires_in": self.access_lifetime}
        if refresh is None:
            refresh = "rt-" + secrets.token_urlsafe(16)
            self.refresh.add(refresh)
            body["refresh_token"] = refresh
        return 200, body

    def _token(self, form):
        grant = form.get("grant_type", "")
        self.grants.append(grant)
        if form.get("client_id") != CLIENT_ID or form.get("client_secret") != CLIENT_SECRET:
            self.errors.append("token: client")
            return 401, {"error": "invalid_client"}
        if grant == "authorization_code":
            entry = self.codes.pop(form.get("code", ""), None)  # single use
            if entry is None:
                return 400, {"error": "invalid_grant"}
            challenge, redirect = entry
            verifier = form.get("code_verifier", "")
            computed = base64.urlsafe_b64encode(hashlib.sha256(verifier.encode()).digest()).rstrip(b"=").decode()
            if computed != challenge or form.get("redirect_uri") != redirect or not 43 <= len(verifier) <= 128:
                self.errors.append("token: verifier or redirect")
                return 400, {"error": "invalid_grant"}
            return self._issue()
        if grant == "refresh_token":
            if form.get("refresh_token") not in self.refresh:
                return 400, {"error": "invalid_grant", "error_description": "Token has been expired or revoked."}
            return self._issue(refresh=form["refresh_token"])
        if grant == "urn:ietf:params:oauth:grant-type:device_code":
            device = self.devices.get(form.get("device_code", ""))
            if device is None:
                return 400, {"error": "invalid_grant"}
            if not device["approved"]:
                return 400, {"error": "authorization_pending"}
            del self.devices[form["device_code"]]
            return self._issue()
        return 400, {"error": "unsupported_grant_type"}

    def _device(self, form):
        if form.get("client_id") != CLIENT_ID or form.get("scope") != SCOPE:
            return 400, {"error": "invalid_client"}
        code = secrets.token_urlsafe(16)
        user_code = "WDJB-MJHT"
        self.devices[code] = {"user_code": user_code, "approved": False}
        return 200, {"device_code": code, "user_code": user_code, "verification_uri": self.url + "/device",
                     "expires_in": 60, "interval": 1}

    # --- for the tests ---------------------------------------------------------------------------

    def approve(self, user_code):
        with self._lock:
            for device in self.devices.values():
                if device["user_code"] == user_code:
                    device["approved"] = True

    def revoke(self):
        with self._lock:
            self.refresh.clear()
            self.access.clear()

    def valid(self, token):
        with self._lock:
            expiry = self.access.get(token)
            return expiry is not None and time.monotonic() < expiry

    @property
    def url(self):
        return f"http://127.0.0.1:{self._httpd.server_address[1]}"

    def __enter__(self):
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def _send(self, status, headers, body):
                self.send_response(status)
                for k, v in headers.items():
                    self.send_header(k, v)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def do_GET(self):
                path, _, query = self.path.partition("?")
                with server._lock:
                    if path == "/authorize":
                        self._send(*server._authorize(query))
                    else:
                        self._send(404, {}, b"")

            def do_POST(self):
                length = int(self.headers.get("Content-Length", "0"))
                if self.headers.get("Content-Type") != "application/x-www-form-urlencoded":
                    self._send(400, {}, b"")
                    return
                form = {k: v[0] for k, v in urllib.parse.parse_qs(self.rfile.read(length).decode()).items()}
                with server._lock:
                    if self.path == "/token":
                        status, body = server._token(form)
                    elif self.path == "/device":
                        status, body = server._device(form)
                    else:
                        status, body = 404, {"error": "not_found"}
                self._send(status, {"Content-Type": "application/json", "Cache-Control": "no-store"},
                           json.dumps(body).encode())

        self._httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self._httpd.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self._httpd.shutdown()
        self._httpd.server_close()


class _XOAuth2SMTP(_RecordingSMTP):
    """Takes AUTH XOAUTH2 with a token the authorization server issued; refuses it as Google does,
    with a 334 challenge holding a JSON status, then 535 after the client's empty line."""

    valid = None  # set per server

    async def auth_XOAUTH2(self, server, args):
        if len(args) == 2:
            response = base64.b64decode(args[1])
        else:
            response = await self.challenge_auth("", encode_to_b64=False)
            if response is None:
                return AuthResult(success=False, handled=False)
        parts = response.split(b"\x01")
        fields = dict(p.split(b"=", 1) for p in parts if b"=" in p)
        user = fields.get(b"user", b"").decode()
        bearer = fields.get(b"auth", b"").decode()
        self.tokens.append((user, bearer))
        ok = (parts[-2:] == [b"", b""] and bearer.startswith("Bearer ") and self.valid(bearer[len("Bearer "):]))
        if ok:
            return AuthResult(success=True, handled=False, auth_data=LoginPassword(user.encode(), b""))
        status = base64.b64encode(json.dumps({"status": "401", "schemes": "bearer"}).encode()).decode()
        answer = await self.challenge_auth(status, encode_to_b64=False)
        self.answers.append(answer)
        return AuthResult(success=False, handled=False)


class XOAuth2SmtpServer(SmtpServer):
    """aiosmtpd that offers no AUTH but XOAUTH2, and that only after STARTTLS."""

    def __init__(self, authority, valid):
        super().__init__(tls="starttls", authority=authority)
        self.valid = valid
        self.tokens = []
        self.answers = []

    def __enter__(self):
        record, owner = self.commands, self

        class SMTPClass(_XOAuth2SMTP):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, **kwargs)
                self.valid = owner.valid
                self.tokens = owner.tokens
                self.answers = owner.answers

        class Controller(_Controller):
            def factory(self):
                return SMTPClass(record, self.handler, **self.SMTP_kwargs)

        self._controller = Controller(
            _Handler(self), hostname="127.0.0.1", port=0, auth_require_tls=True, auth_required=True,
            auth_exclude_mechanism=["LOGIN", "PLAIN"], decode_data=False, ready_timeout=10,
            tls_context=self.authority.server_context(), require_starttls=True)
        self._controller.start()
        time.sleep(0.05)
        self.commands.clear()
        return self


if __name__ == "__main__":
    # For the window's tests: serves until its input closes, printing its URL first and then one
    # line per token request ("grant authorization_code").
    import sys

    with AuthorizationServer(access_lifetime=int(sys.argv[1]) if len(sys.argv) > 1 else 60) as auth:
        print(auth.url, flush=True)
        sys.stdin.read()
        for grant in auth.grants:
            print("grant", grant)
        for error in auth.errors:
            print("error", error)
