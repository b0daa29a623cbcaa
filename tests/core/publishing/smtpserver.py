#!/usr/bin/python3
"""A throw-away SMTP server on loopback for the mail tests and benchmarks.

Prints "READY <port>" once it accepts connections. Every message received is written to the
output folder as NNNNNN.eml (the bytes as received) and NNNNNN.json (envelope and the headers
and parts as Python's e-mail parser understands them). The file "connections" holds the number
of connections opened so far. Runs until stdin is closed or it is killed.
"""
import argparse
import json
import os
import socket
import ssl
import sys
from email import policy
from email.parser import BytesParser

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Recorder:
    def __init__(self, folder, refuse, store):
        self.folder = folder
        self.refuse = refuse
        self.store = store
        self.count = 0
        self.connections = 0

    def connected(self):
        self.connections += 1
        with open(os.path.join(self.folder, "connections"), "w") as f:
            f.write(str(self.connections))

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and self.refuse in address:
            return "550 5.1.1 <%s>: Recipient address rejected: no such person here" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        if self.store:
            self.write(envelope)
        return "250 Message accepted for delivery"

    def write(self, envelope):
        base = os.path.join(self.folder, "%06d" % self.count)
        data = envelope.original_content or envelope.content
        with open(base + ".eml", "wb") as f:
            f.write(data)
        msg = BytesParser(policy=policy.default).parsebytes(data)
        to = msg["To"]
        summary = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "to_raw": str(msg.get("To", "")),
            "to_addresses": [[a.display_name, a.addr_spec] for a in to.addresses] if to else [],
            "to_defects": [str(d) for d in to.defects] if to else ["missing"],
            "from_addresses": [[a.display_name, a.addr_spec] for a in msg["From"].addresses],
            "subject": str(msg["Subject"]),
            "x_mailer": str(msg["X-Mailer"]),
            "body": msg.get_body(preferencelist=("plain",)).get_content(),
            "attachments": [
                {"filename": p.get_filename(), "hex": p.get_payload(decode=True).hex()}
                for p in msg.iter_attachments()
            ],
            "auth": getattr(envelope, "auth_user", None),
        }
        with open(base + ".json", "w") as f:
            json.dump(summary, f)


class CountingSMTP(SMTP):
    recorder = None

    def connection_made(self, transport):
        CountingSMTP.recorder.connected()
        super().connection_made(transport)


class RecordingController(Controller):
    def factory(self):
        return CountingSMTP(self.handler, **self.SMTP_kwargs)


def tls_context(cert, key):
    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(cert, key)
    return ctx


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", required=True)
    ap.add_argument("--refuse", default="")
    ap.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    ap.add_argument("--implicit-tls", nargs=2, metavar=("CERT", "KEY"))
    ap.add_argument("--user", default="")
    ap.add_argument("--password", default="")
    ap.add_argument("--no-store", action="store_true")
    args = ap.parse_args()

    recorder = Recorder(args.dir, args.refuse, not args.no_store)
    CountingSMTP.recorder = recorder
    kwargs = {"decode_data": False, "data_size_limit": 64 * 1024 * 1024}
    if args.user:
        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = auth_data.login.decode() == args.user and auth_data.password.decode() == args.password
            return AuthResult(success=ok)
        kwargs["authenticator"] = authenticator
        kwargs["auth_require_tls"] = bool(args.starttls or args.implicit_tls)
    controller_kwargs = {}
    if args.starttls:
        kwargs["tls_context"] = tls_context(*args.starttls)
        kwargs["require_starttls"] = True
    if args.implicit_tls:
        controller_kwargs["ssl_context"] = tls_context(*args.implicit_tls)
    port = free_port()
    controller = RecordingController(recorder, hostname="127.0.0.1", port=port,
                                     server_hostname="localhost", **controller_kwargs, **kwargs)
    controller.start()
    recorder.connections = 0  # the controller's own readiness probe is not a client
    with open(os.path.join(args.dir, "connections"), "w") as f:
        f.write("0")
    print("READY %d" % port, flush=True)
    try:
        sys.stdin.read()
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
