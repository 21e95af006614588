#!/usr/bin/python3
"""A mail relay for the tests: an SMTP server on loopback that writes every
message it accepts into a folder, as N.eml (the message's bytes as they
arrived, with the transfer's dot-stuffing undone) and N.env (the envelope's
sender and recipients, one a line). N.env is written first and N.eml is
renamed into place last, so a reader that sees N.eml sees both whole.

    smtp_relay.py --port N --dir DIR [--refuse ADDRESS]... [--refuse-data]

Prints "listening on N" once it accepts connections and runs until it is
terminated (SIGTERM, SIGINT)."""

import argparse
import os
import signal
import threading

from aiosmtpd.controller import Controller


class Handler:
    def __init__(self, folder, refuse, refuse_data):
        self.folder = folder
        self.refuse = {a.lower() for a in refuse}
        self.refuse_data = refuse_data
        self.count = 0
        self.lock = threading.Lock()

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refuse:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.refuse_data:
            return "554 5.6.0 Message refused"
        with self.lock:
            self.count += 1
            number = self.count
        base = os.path.join(self.folder, "%04d" % number)
        with open(base + ".env", "w") as env:
            env.write(envelope.mail_from + "\n")
            for rcpt in envelope.rcpt_tos:
                env.write(rcpt + "\n")
        with open(base + ".tmp", "wb") as eml:
            eml.write(envelope.original_content)
        os.rename(base + ".tmp", base + ".eml")
        return "250 Message accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--refuse-data", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)

    handler = Handler(args.dir, args.refuse, args.refuse_data)
    controller = Controller(handler, hostname="127.0.0.1", port=args.port)
    controller.start()
    print("listening on %d" % args.port, flush=True)

    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: done.set())
    signal.signal(signal.SIGINT, lambda *_: done.set())
    done.wait()
    controller.stop()


if __name__ == "__main__":
    main()
