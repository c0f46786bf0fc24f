#!/usr/bin/env python3
"""orvex repl through a pseudo-terminal, as a person types at it: a multi-line entry, a binding kept
across entries, a syntax error followed by a good entry, Ctrl-C on an endless entry followed by a good
entry, history recalled with the up arrow, and Ctrl-D."""
import os
import sys
import tempfile

import pexpect

PROMPT = "orvex> "


def main(orvex):
    home = tempfile.mkdtemp()
    session = pexpect.spawn(orvex, ["repl"], env={**os.environ, "HOME": home, "TERM": "dumb"},
                            encoding="utf-8", timeout=20)
    session.expect_exact(PROMPT)
    # An entry whose brackets are open goes on on the next line.
    session.sendline("greet <- <")
    session.expect_exact("...> ")
    session.sendline("<hello> : <print> ( ) ; > ;")
    session.expect_exact(PROMPT)
    # The binding stays for the next entry.
    session.sendline("greet ( ) ;")
    session.expect_exact("<hello>")
    session.expect_exact(PROMPT)
    # A syntax error is told, and the session goes on.
    session.sendline("x <- ( ;")
    session.expect_exact("stop: found '('")
    session.expect_exact(PROMPT)
    session.sendline("<after> : <print> ( ) ;")
    session.expect_exact("<after>")
    session.expect_exact(PROMPT)
    # An entry that never ends is stopped by Ctrl-C, and the session goes on.
    session.sendline("l <- < l ) ( ; > ; l ) ( ;")
    session.expect(pexpect.TIMEOUT, timeout=1)
    session.sendintr()
    session.expect_exact("interrupted")
    session.expect_exact(PROMPT)
    session.sendline("<still> : <print> ( ) ;")
    session.expect_exact("<still>")
    session.expect_exact(PROMPT)
    # The up arrow brings the last entry back.
    session.send("\x1b[A")
    session.sendline("")
    session.expect_exact("<still>")
    session.expect_exact(PROMPT)
    # Ctrl-D ends the session, and the history is kept.
    session.sendeof()
    session.expect(pexpect.EOF)
    session.close()
    if session.exitstatus != 0:
        sys.exit(f"orvex repl exited with {session.exitstatus}")
    with open(os.path.join(home, ".orvex_history"), encoding="utf-8") as history:
        if "<still>" not in history.read():  # libedit writes a space as \\040
            sys.exit("the history was not kept")
    print("orvex repl: 0 failure(s)")


if __name__ == "__main__":
    main(sys.argv[1])
