#!/usr/bin/python3
"""End to end: the real station binary under Xvfb on a pseudo-terminal served by the real
tranzit-sim. An operator (xdotool) presses OK in the probe's box, waits for the main window,
lets a poll cycle run, writes loop 1's setpoint, switches loop 2, opens the network window and
closes both windows; the program must end with status 0. What crossed the line is read back
from the simulator's trace. Screenshots of every step go to the output folder."""

import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay, protocol as xprotocol

MAIN_TITLE = "Тест контроллеров Ремиконт Р-130"
PROBE_BOX = "Нажмите ОК и расслабтесь"
NETWORK_TITLE = "Вся сеть ТРАНЗИТ"
ACCEPTED_TITLE = "Команда прошла !"
CLOSING_TITLE = "Заканчиваем работу  !!!"


class Failure(Exception):
    pass


class Session:
    def __init__(self, args):
        self.args = args
        self.procs = []
        self.env = dict(os.environ, LANG="C.UTF-8")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.shot_no = 0
        os.makedirs(args.out, exist_ok=True)

    # --- processes -------------------------------------------------------------------------
    def start(self, argv, **kw):
        p = subprocess.Popen(argv, env=self.env, **kw)
        self.procs.append(p)
        return p

    def stop_all(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()

    def start_display(self):
        for n in range(150, 200):
            if os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
                continue
            self.start(["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.env["DISPLAY"] = f":{n}"
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                    self.x = xdisplay.Display(f":{n}")
                    return
                time.sleep(0.1)
            raise Failure("Xvfb did not start")
        raise Failure("no free display number")

    def start_simulator(self):
        self.trace_path = os.path.join(self.args.out, "tranzit-sim-trace.txt")
        self.trace = open(self.trace_path, "w")
        sim = self.start([self.args.sim, "--timing", "line", "--seed", "7", "--trace"],
                         stdout=subprocess.PIPE, stderr=self.trace, text=True)
        line = sim.stdout.readline()
        m = re.match(r"pty: (\S+)", line)
        if not m:
            raise Failure(f"tranzit-sim printed {line!r} instead of its pty")
        # The rest of stdout (the trace, if it goes there) keeps flowing into the file.
        self.forward = subprocess.Popen(["cat"], stdin=sim.stdout, stdout=self.trace)
        self.procs.append(self.forward)
        return m.group(1)

    # --- the X side ------------------------------------------------------------------------
    def xdo(self, *argv, check=True):
        r = subprocess.run(["xdotool", *argv], env=self.env, capture_output=True, text=True)
        if check and r.returncode != 0:
            raise Failure(f"xdotool {' '.join(argv)}: {r.stderr.strip()}")
        return r.stdout.strip()

    def find(self, title, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            out = self.xdo("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$", check=False)
            if out:
                return int(out.split()[0])
            time.sleep(0.2)
        raise Failure(f"no window {title!r} within {timeout} s")

    def gone(self, title, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.xdo("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$", check=False):
                return
            time.sleep(0.2)
        raise Failure(f"window {title!r} still shown after {timeout} s")

    def origin(self, window):
        out = self.xdo("getwindowgeometry", str(window))
        m = re.search(r"Position: (-?\d+),(-?\d+)", out)
        return int(m.group(1)), int(m.group(2))

    def click(self, window, x, y):
        ox, oy = self.origin(window)
        self.xdo("mousemove", "--sync", str(ox + x), str(oy + y))
        self.xdo("click", "1")

    def press_return(self, window):
        self.xdo("windowfocus", "--sync", str(window))
        self.xdo("key", "Return")

    def close(self, window):
        """What the close box of the title bar does: WM_DELETE_WINDOW."""
        w = self.x.create_resource_object("window", window)
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        ev = xprotocol.event.ClientMessage(window=w, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(ev, event_mask=X.NoEventMask)
        self.x.flush()

    def shot(self, name):
        self.shot_no += 1
        path = os.path.join(self.args.out, f"{self.shot_no:02d}-{name}.png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # --- the line, as the simulator saw it -----------------------------------------------------
    def trace_lines(self):
        self.trace.flush()
        with open(self.trace_path, errors="replace") as f:
            return f.readlines()

    def mark(self):
        return len(self.trace_lines())

    def wait_on_line(self, pattern, timeout, what, after=0):
        """Waits for a frame matching `pattern` in the simulator's trace after line `after`."""
        rx = re.compile(pattern)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if any(rx.search(l) for l in self.trace_lines()[after:]):
                return
            time.sleep(0.25)
        raise Failure(f"{what}: no {pattern!r} in the simulator's trace within {timeout} s")


def run(s):
    s.start_display()
    pty = s.start_simulator()
    station = s.start([s.args.station, "--port", pty], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # Start-up: the wait window, then the probe's box about the network map.
    s.find("Идет анализ схемы Ремиконта", 20)
    box = s.find(PROBE_BOX, 30)
    s.shot("probe-box")
    s.press_return(box)
    main = s.find(MAIN_TITLE, 90)
    s.gone("Идет анализ схемы Ремиконта", 5)
    s.shot("main-window-after-discovery")

    # A poll cycle: group B reads go out (function 04, letter N, group 06) and get answers.
    polling = s.mark()
    s.wait_on_line(r"station>sim 10 02 01 05 04 4E 06 0[1-8] 10 03", 40, "group B poll", polling)
    s.wait_on_line(r"sim>station 10 02 01 05 04 52 06 0[1-8]", 10, "group B value", polling)
    time.sleep(3)  # two display ticks
    s.shot("main-window-polling")

    # Loop 1's setpoint: its value label opens the editor, OK writes 50 % and reads it back.
    s.click(main, 8 + 16 + 29, 208 + 80 + 14)         # koff1
    time.sleep(0.5)
    s.shot("setpoint-editor")
    writing = s.mark()
    s.click(main, 8 + 96 + 16, 152 + 16 + 12)         # OK_koff1
    s.wait_on_line(r"station>sim 10 02 01 05 01 49 07 04 01 20 10 03 A1", 15, "setpoint write", writing)
    accepted = s.find(ACCEPTED_TITLE, 30)
    s.wait_on_line(r"station>sim 10 02 01 05 01 4E 07 04 10 03 85", 15, "setpoint read-back request", writing)
    s.wait_on_line(r"sim>station 10 02 01 05 01 52 07 04 01 20 51 10 03", 15, "setpoint read back", writing)
    s.shot("setpoint-written")
    s.click(accepted, 80, 50)
    s.gone(ACCEPTED_TITLE, 5)

    # Loop 2 is in a mode with its blinking РЗ lamp shown: a click switches it.
    time.sleep(2.5)  # the display shows the lamp by the loop state
    switching = s.mark()
    s.click(main, 184 + 141 + 10, 208 + 35 + 10)      # Kontur2_PS
    s.wait_on_line(r"station>sim 10 02 01 05 02 49 02 07 10 03", 15, "loop 2 command", switching)
    s.wait_on_line(r"station>sim 10 02 01 05 02 4E 02 10 03", 15, "loop 2 state read", switching)
    time.sleep(3)
    s.shot("loop-2-switched")
    accepted = s.find(ACCEPTED_TITLE, 10)
    s.click(accepted, 80, 50)

    # The network window.
    s.click(main, 8 + 40, 8 + 12)                      # Button1 "Сеть Транзит"
    net = s.find(NETWORK_TITLE, 10)
    time.sleep(1)
    s.shot("network-window")
    s.close(net)
    s.gone(NETWORK_TITLE, 5)

    # Closing the main window brings back the wait window as the closing notice; closing
    # that ends the program.
    s.close(main)
    closing = s.find(CLOSING_TITLE, 10)
    s.shot("closing-notice")
    s.close(closing)
    try:
        status = station.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the station did not end after its wait window was closed")
    if status != 0:
        raise Failure(f"the station ended with status {status}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--station", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    s = Session(args)
    try:
        run(s)
        print("e2e: passed; screenshots in", args.out)
        return 0
    except Failure as f:
        try:
            s.shot("failure")
        except Exception:
            pass
        print("e2e: FAILED:", f, file=sys.stderr)
        print("simulator trace:", s.trace_path if hasattr(s, "trace_path") else "-", file=sys.stderr)
        return 1
    finally:
        s.stop_all()


if __name__ == "__main__":
    sys.exit(main())
