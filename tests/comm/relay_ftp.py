"""The relay's file channel for the tests: an FTP server on 127.0.0.1 only.

Usage: relay_ftp.py ROOT USER PASSWORD [--size-lie] [--drop-retr] [--drop-stor] [--deadline SECONDS]

Prints "PORT <n>" once it listens on a free port. --size-lie answers SIZE
with one byte more for a file stored in this session; --drop-retr and
--drop-stor close the control connection when a download or an upload
starts. The server ends itself after the deadline (120 s by default).
"""
import argparse
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("--size-lie", action="store_true")
    parser.add_argument("--drop-retr", action="store_true")
    parser.add_argument("--drop-stor", action="store_true")
    parser.add_argument("--deadline", type=float, default=120.0)
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    stored = set()

    class Handler(FTPHandler):
        def on_file_received(self, file):
            stored.add(os.path.realpath(file))

        def ftp_SIZE(self, path):
            if args.size_lie and os.path.realpath(path) in stored and os.path.isfile(path):
                self.respond("213 %d" % (os.path.getsize(path) + 1))
                return
            return FTPHandler.ftp_SIZE(self, path)

        def ftp_RETR(self, file):
            if args.drop_retr:
                self.respond("150 File status okay. About to open data connection.")
                self.close()
                return
            return FTPHandler.ftp_RETR(self, file)

        def ftp_STOR(self, file, mode="w"):
            if args.drop_stor:
                self.respond("150 File status okay. About to open data connection.")
                self.close()
                return
            return FTPHandler.ftp_STOR(self, file, mode)

    Handler.authorizer = authorizer
    Handler.passive_ports = None
    Handler.banner = "relay file channel ready"
    Handler.auth_failed_timeout = 0.1

    server = FTPServer(("127.0.0.1", 0), Handler)
    port = server.socket.getsockname()[1]
    print("PORT %d" % port, flush=True)
    timer = threading.Timer(args.deadline, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    server.serve_forever(timeout=0.5, blocking=True, handle_exit=True)


if __name__ == "__main__":
    import logging
    # Nothing of the sessions (user names among it) is logged.
    logging.getLogger("pyftpdlib").addHandler(logging.NullHandler())
    logging.getLogger("pyftpdlib").setLevel(logging.CRITICAL)
    logging.getLogger("pyftpdlib").propagate = False
    main()
    sys.exit(0)
