#!/usr/bin/env python3
"""Plays the demo's workflow once in a running console, as a technician would,
and saves a screenshot of each step.

The console is driven and watched through its test hook (OSTIVA_TEST_HOOK_DIR):
it rewrites <hook>/state.json every 200 ms and runs the lines appended to
<hook>/commands. The demo customer of `ostiva-server --demo` moves the code on
by itself; this script only waits for it, types and saves the report, opens
the history window and closes the console. Screenshots are taken from the X
display with ImageMagick's `import`, cut to the window of each step.

Every wait is bounded; the first step that does not happen in time ends the
script with status 1 and says which step it was.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import time
import urllib.parse
import urllib.request

# Control ids of the main window (CHelperDlg).
ID_SAVE = 1045
ID_COMPANY, ID_NAME, ID_EMAIL, ID_PHONE, ID_MEMO = 1021, 1025, 1041, 1042, 1043
ID_BEGIN, ID_END, ID_ADDRESSES, ID_WINDOWS = 1037, 1038, 1039, 1040
MENU_HISTORY = 32777

REPORT = {
    ID_COMPANY: "Northwind Traders",
    ID_NAME: "Maria Anders",
    ID_EMAIL: "maria.anders@northwind.example",
    ID_PHONE: "+1 555 0100",
    ID_MEMO: "Printer driver reinstalled; test page printed.",
}


class Failed(Exception):
    pass


class Console:
    def __init__(self, hook, display, shots, step_timeout):
        self.hook = hook
        self.display = display
        self.shots = shots
        self.timeout = step_timeout
        self.taken = []

    def state(self):
        try:
            with open(os.path.join(self.hook, "state.json"), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def main(self):
        return self.state().get("main", {})

    def codes(self):
        return self.main().get("codes", [])

    def text(self, control):
        return self.main().get("texts", {}).get(str(control), "")

    def command(self, line):
        with open(os.path.join(self.hook, "commands"), "a", encoding="utf-8") as f:
            f.write(line + "\n")

    def wait(self, what, done, timeout=None):
        end = time.monotonic() + (timeout or self.timeout)
        while time.monotonic() < end:
            value = done()
            if value:
                print(f"demo: {what}", flush=True)
                return value
            time.sleep(0.2)
        raise Failed(f"timed out waiting for: {what}")

    def window_area(self, title):
        """Where the largest window with this title is on the screen, as
        ImageMagick's geometry "WxH+X+Y", or None."""
        try:
            tree = subprocess.run(
                ["xwininfo", "-display", self.display, "-root", "-tree"],
                capture_output=True, text=True, timeout=10).stdout
        except (OSError, subprocess.TimeoutExpired):
            return None
        best, best_area = None, 0
        for line in tree.splitlines():
            m = re.match(r'\s*0x[0-9a-f]+ "(.*)":.*?(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)',
                         line)
            if m and m.group(1) == title:
                width, height = int(m.group(2)), int(m.group(3))
                if width * height > best_area:
                    x, y = max(int(m.group(4)), 0), max(int(m.group(5)), 0)
                    best, best_area = f"{width}x{height}+{x}+{y}", width * height
        return best

    def shot(self, name, title=None):
        """Saves what the screen shows of the window with `title` (the whole
        screen without one), message boxes in front of it included."""
        path = os.path.join(self.shots, name)
        area = self.window_area(title) if title else None
        command = ["import", "-display", self.display, "-window", "root"]
        if area:
            command += ["-crop", area, "+repage"]
        subprocess.run(command + [path], check=True, timeout=30)
        self.taken.append(path)
        print(f"demo: screenshot {path}", flush=True)


def fetch(url):
    with urllib.request.urlopen(url, timeout=10) as answer:
        return answer.read().decode("utf-8", "replace")


def play(args):
    c = Console(args.hook, args.display, args.shots, args.step_timeout)
    os.makedirs(args.shots, exist_ok=True)

    # 1. Signed in by itself (Auto Login); the first code comes without a click.
    c.wait("signed in, first code listed", lambda: len(c.codes()) == 1)
    title = c.main().get("title", "")
    code = c.codes()[0]["code"]
    print(f"demo: the access code is {c.codes()[0].get('text', code)}", flush=True)
    time.sleep(0.5)
    c.shot("01-signed-in.png", title)

    # 2. The demo customer typed the code in: Ready, and the viewer starts.
    c.wait("code Ready", lambda: c.codes()[0]["state"] == 1)
    log = os.path.join(args.console_dir, "viewer-log.jsonl")

    def viewer_started():
        try:
            with open(log, encoding="utf-8") as f:
                return any(json.loads(line).get("code") == code or f"-code={code}" in line
                           for line in f if line.strip())
        except (OSError, ValueError):
            return False

    c.wait("stand-in viewer started for the code", viewer_started)
    c.shot("02-ready.png", title)

    # 3. Connected: the customer's addresses, begin time and Windows version,
    #    and the viewer's picture of the customer's screen in the list.
    c.wait("code Connected", lambda: c.codes()[0]["state"] == 2 and c.text(ID_BEGIN))
    picture = os.path.join(args.console_dir, "imgs", f"{code}.png")
    c.wait("viewer's picture written", lambda: c.codes()[0].get("picture", "").endswith(
        f"/imgs/{code}.png") and os.path.exists(picture))
    print(f"demo: customer at {c.text(ID_ADDRESSES)}, {c.text(ID_WINDOWS)}, since {c.text(ID_BEGIN)}",
          flush=True)
    time.sleep(3.5)  # the window's 3 s timer puts the picture into the list
    c.shot("03-connected.png", title)

    # 4. The technician types the report and saves it.
    for control, value in REPORT.items():
        c.command(f"type {control} {value}")
    c.wait("report typed", lambda: c.text(ID_MEMO) == REPORT[ID_MEMO])
    c.shot("04-report-typed.png", title)
    c.command(f"click {ID_SAVE}")
    history = (f"http://127.0.0.1:{args.http_port}/admin/pages/helper/index.php?hid="
               + urllib.parse.quote(args.helper, safe=""))
    c.wait("report stored by the server",
           lambda: REPORT[ID_MEMO] in fetch(history), timeout=15)

    # 5. The customer leaves: Ended.
    c.wait("code Ended", lambda: c.codes()[0]["state"] == 3 and c.text(ID_END),
           timeout=args.step_timeout + args.ended_after)
    time.sleep(0.5)
    c.shot("05-ended.png", title)

    # 6. Report > Connection History shows the saved report.
    c.command(f"menu {MENU_HISTORY}")
    c.wait("history window shown", lambda: c.main().get("historyVisible"))
    time.sleep(args.page_wait)  # the embedded browser loads and draws the page
    c.shot("06-history.png", "Ostiva - Report")

    page = fetch(history)
    for value in (REPORT[ID_COMPANY], REPORT[ID_NAME], REPORT[ID_MEMO]):
        if value not in page:
            raise Failed(f"the history page lacks {value!r}")

    # 7. OK hides the history window; closing the console asks first, and
    #    Yes ends it.
    c.command("push okButton")
    try:
        c.wait("history window closed", lambda: not c.main().get("historyVisible"), timeout=5)
    except Failed:
        print("demo: the history window stays open", flush=True)
    c.command("close")
    c.wait("exit question", lambda: c.state().get("messageBox") == "Do you want to exit?")
    time.sleep(0.5)
    c.shot("07-exit.png", title)
    c.command("press yes")
    return c.taken


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--hook", required=True)
    parser.add_argument("--console-dir", required=True)
    parser.add_argument("--shots", required=True)
    parser.add_argument("--display", required=True)
    parser.add_argument("--http-port", required=True, type=int)
    parser.add_argument("--helper", required=True)
    parser.add_argument("--ended-after", type=float, default=20.0,
                        help="seconds from Connected to Ended on the server")
    parser.add_argument("--step-timeout", type=float, default=30.0)
    parser.add_argument("--page-wait", type=float, default=4.0)
    args = parser.parse_args()
    try:
        taken = play(args)
    except Failed as e:
        print(f"demo: FAILED: {e}", file=sys.stderr, flush=True)
        return 1
    print(f"demo: {len(taken)} screenshots in {args.shots}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
