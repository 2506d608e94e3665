"""A private X desktop for driving the real brevanto program: Xvfb, the openbox window
manager, a fresh home and configuration folder, and xdotool/xprop/import around them.

Everything here waits with a deadline instead of sleeping for a fixed time, and every process
started is ended again when the session closes (also when a test fails half-way).
"""

import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import time

# Generous: a wait ends as soon as its condition holds, and a loaded CI machine can be slow.
DEFAULT_TIMEOUT = 45.0


class DesktopError(AssertionError):
    pass


def wait_until(what, predicate, timeout=DEFAULT_TIMEOUT, interval=0.05):
    """Polls `predicate` until it returns something truthy, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise DesktopError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class Window:
    def __init__(self, session, wid):
        self.session = session
        self.id = int(wid)

    def __repr__(self):
        return "Window(0x%x %r)" % (self.id, self.name())

    def __eq__(self, other):
        return isinstance(other, Window) and other.id == self.id

    def __hash__(self):
        return self.id

    def name(self):
        out = self.session.run(["xdotool", "getwindowname", str(self.id)], check=False)
        return out.rstrip("\n")

    def geometry(self):
        """(x, y, width, height) of the client area on the screen."""
        out = self.session.run(["xdotool", "getwindowgeometry", "--shell", str(self.id)])
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def prop(self, name):
        return self.session.run(["xprop", "-id", str(self.id), name], check=False).strip()

    def alive(self):
        return self.id in self.session.client_list()


class DesktopSession:
    """A display of its own with a window manager. Use as a context manager."""

    def __init__(self, pictures=None, screen="1280x1024x24"):
        self.pictures = pictures
        self.screen = screen
        self.processes = []
        self.root = tempfile.mkdtemp(prefix="brevanto-desktop-")
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.root, "config")
        self.runtime = os.path.join(self.root, "runtime")
        for folder in (self.home, self.config, self.runtime):
            os.makedirs(folder, mode=0o700)
        self.display = None
        self.env = None

    # -- life ---------------------------------------------------------------------------------

    def __enter__(self):
        try:
            self._start_x()
            self._start_window_manager()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _start_x(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten",
             "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        self.processes.append(xvfb)
        number = b""
        deadline = time.monotonic() + DEFAULT_TIMEOUT
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or xvfb.poll() is not None:
                os.close(read_end)
                raise DesktopError("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        env = {k: v for k, v in os.environ.items()
               if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY",
                            "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER")}
        env.update({"DISPLAY": self.display, "HOME": self.home, "XDG_CONFIG_HOME": self.config,
                    "XDG_RUNTIME_DIR": self.runtime, "QT_QPA_PLATFORM": "xcb",
                    "LC_ALL": "C.UTF-8", "QT_ACCESSIBILITY": "0",
                    "NO_AT_BRIDGE": "1"})
        # A sanitizer build of the program is told about the system libraries' own leaks.
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                    "lsan_suppressions.txt")
        env["LSAN_OPTIONS"] = ":".join(
            filter(None, [env.get("LSAN_OPTIONS"), "suppressions=" + suppressions]))
        self.env = env

    def _start_window_manager(self):
        self.spawn(["openbox", "--sm-disable"])
        wait_until("the window manager",
                   lambda: "window id" in self.run(
                       ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False))

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(process.pid, signal.SIGKILL)
                    process.wait()
        self.processes = []
        shutil.rmtree(self.root, ignore_errors=True)

    # -- tools --------------------------------------------------------------------------------

    def run(self, argv, check=True, timeout=DEFAULT_TIMEOUT):
        result = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise DesktopError("%s failed (%d): %s" % (" ".join(argv), result.returncode,
                                                        result.stderr.strip()))
        return result.stdout

    def xdotool(self, *args):
        return self.run(["xdotool"] + [str(a) for a in args])

    def root_window_ids(self, atom):
        out = self.run(["xprop", "-root", atom], check=False)
        return [int(x, 16) for x in re.findall(r"0x[0-9a-fA-F]+", out.split("#", 1)[-1])]

    def client_list(self):
        return self.root_window_ids("_NET_CLIENT_LIST")

    def stacking(self):
        """The managed windows from bottom to top, as the window manager stacks them."""
        return [Window(self, w) for w in self.root_window_ids("_NET_CLIENT_LIST_STACKING")]

    def active(self):
        ids = self.root_window_ids("_NET_ACTIVE_WINDOW")
        return Window(self, ids[0]) if ids and ids[0] != 0 else None

    def focused(self):
        """The window holding the keyboard focus, as xdotool sees it."""
        out = self.run(["xdotool", "getwindowfocus", "-f"], check=False).strip()
        return Window(self, out) if out.isdigit() else None

    def windows_named(self, pattern):
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", pattern], check=False)
        managed = set(self.client_list())
        return [Window(self, w) for w in out.split() if int(w) in managed]

    def wait_window(self, pattern, timeout=DEFAULT_TIMEOUT):
        """The one mapped, managed window whose title matches `pattern` (a regular expression)."""
        found = wait_until("a window named %r" % pattern,
                           lambda: self.windows_named(pattern), timeout)
        return found[-1]

    def wait_gone(self, window, timeout=DEFAULT_TIMEOUT):
        wait_until("%r to close" % window, lambda: not window.alive(), timeout)

    def wait_active(self, window, timeout=DEFAULT_TIMEOUT):
        """Waits until `window` is the active window and holds the keyboard focus."""
        def ready():
            active = self.active()
            return active == window and self.focused() == window
        wait_until("%r to be active with the focus" % window, ready, timeout)

    def on_top(self, window):
        stack = self.stacking()
        return bool(stack) and stack[-1] == window

    def key(self, window, *keys):
        """Sends keys to the focused window, after checking that `window` has the focus."""
        self.wait_active(window)
        self.xdotool("key", "--clearmodifiers", *keys)

    def type_text(self, window, text):
        self.wait_active(window)
        self.xdotool("type", "--delay", "20", "--clearmodifiers", text)

    def click(self, window, x, y, button=1, repeat=1):
        """Clicks at (x, y) inside `window`'s client area."""
        self.xdotool("mousemove", "--window", window.id, int(x), int(y))
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    # -- pictures -----------------------------------------------------------------------------

    def grab(self, window=None):
        """The screen (or one window's area of it, decorations included) as (width, height,
        rgb bytes)."""
        target = "root" if window is None else str(self.frame_of(window))
        data = subprocess.run(["import", "-window", target, "-depth", "8", "ppm:-"], env=self.env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=DEFAULT_TIMEOUT, check=True).stdout
        return parse_ppm(data)

    def grab_client(self, window):
        """A picture of the client area of `window` as (width, height, rgb bytes)."""
        data = subprocess.run(["import", "-window", str(window.id), "-depth", "8", "ppm:-"], env=self.env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=DEFAULT_TIMEOUT, check=True).stdout
        return parse_ppm(data)

    def grab_settled(self, window, timeout=5.0):
        """A picture of `window`'s client area once two pictures in a row are the same: a
        window can be on the screen a moment before it is fully painted."""
        previous = self.grab_client(window)
        deadline = time.monotonic() + timeout
        while True:
            time.sleep(0.1)
            current = self.grab_client(window)
            if current == previous:
                return current
            if time.monotonic() > deadline:
                raise DesktopError("%r kept changing" % window)
            previous = current

    def frame_of(self, window):
        """The window manager's frame around a client window (the client when there is none)."""
        out = self.run(["xwininfo", "-tree", "-id", str(window.id)], check=False)
        match = re.search(r"Parent window id: (0x[0-9a-f]+)", out)
        if match and int(match.group(1), 16) not in self.root_window_ids("_NET_SUPPORTING_WM_CHECK"):
            root = re.search(r"Root window id: (0x[0-9a-f]+)", out)
            if root and match.group(1) != root.group(1):
                return int(match.group(1), 16)
        return window.id

    def picture(self, name, window=None):
        """Saves a PNG of the screen or of a window with its frame when pictures are wanted."""
        if not self.pictures:
            return
        os.makedirs(self.pictures, exist_ok=True)
        target = "root" if window is None else str(self.frame_of(window))
        subprocess.run(["import", "-window", target, os.path.join(self.pictures, name + ".png")],
                       env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=DEFAULT_TIMEOUT, check=False)


    def picture_of(self, name, windows):
        """Saves a PNG of the part of the screen that holds `windows` with their frames."""
        if not self.pictures:
            return
        boxes = []
        for window in windows:
            out = self.run(["xwininfo", "-id", str(self.frame_of(window))], check=False)
            values = dict(re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", out))
            if len(values) == 4:
                x, y = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
                boxes.append((x, y, x + int(values["Width"]), y + int(values["Height"])))
        if not boxes:
            return
        left, top = min(b[0] for b in boxes), min(b[1] for b in boxes)
        right, bottom = max(b[2] for b in boxes), max(b[3] for b in boxes)
        os.makedirs(self.pictures, exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage",
                        os.path.join(self.pictures, name + ".png")],
                       env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=DEFAULT_TIMEOUT, check=False)


def parse_ppm(data):
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not match:
        raise DesktopError("not a PPM picture")
    width, height = int(match.group(1)), int(match.group(2))
    return width, height, data[match.end():match.end() + width * height * 3]
