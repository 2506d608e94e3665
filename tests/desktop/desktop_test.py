#!/usr/bin/env python3
"""End-to-end tests of the real brevanto program on a real X server with a window manager.

Each scenario starts its own Xvfb and openbox with a fresh home folder, runs brevanto, and
drives it with xdotool as a user would: clicks on the controls, keys, typing. What it checks
comes from the window manager (stacking order, active window, keyboard focus, transient owner,
allowed actions) and from the files the program writes (outputs, their modification times, the
profile).

    desktop_test.py --brevanto PATH --raw-tool PATH [--drag-source PATH] [--batch PATH]
                    [--shared-data DIR] [--pictures DIR] [SCENARIO...]

With --pictures, a PNG of each state goes into DIR (the screen, so decorations show). The
scenarios of mzML and mzXML files need --batch (brevanto-batch, whose outputs they compare
with the program's) and --shared-data (the folder of the real sample files); without them, or
without the samples, they are skipped: the script then ends with status 77 when nothing ran.
"""

import argparse
import configparser
import filecmp
import hashlib
import os
import shutil
import signal
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop_session import DesktopError, DesktopSession, wait_until  # noqa: E402

# Control rectangles of the dialog templates (x, y, width, height in dialog units) and the
# templates' sizes, enough to find a control's centre in a window of any font size.
MAIN = (311, 239)
MAIN_EDIT = (240, 15, 60, 15)
MAIN_ADD = (225, 175, 35, 15)
MAIN_SUFFIX = (10, 215, 165, 15)
MAIN_PROCESS = (195, 215, 50, 14)
MAIN_FINISH = (251, 215, 50, 14)
PARAMETERS = (307, 231)
PARAMETERS_ADD = (225, 5, 35, 14)
PARAMETERS_OK = (190, 210, 50, 14)
ADD_PARAMETER = (227, 101)
ADD_PARAMETER_FUNCTION = (55, 18, 20, 12)

MAIN_TITLE = "^Brevanto$"
PROGRESS_TITLE = r"^Processing files, please wait\.\.\.$"

# Function 1, 100 to 1000 Da, mass defect 0.2 Da, 50 mDa on either side.
RULE = ["1", "100", "1000", "0.2", "50", "50"]


class Check(AssertionError):
    pass


class Skip(Exception):
    """The scenario cannot run here (a program or a sample is missing)."""


SKIPPED = 77


def check(condition, message):
    if not condition:
        raise Check(message)


def centre(window, template, rect):
    """The pixel centre of a template control inside `window`'s client area."""
    _, _, width, height = window.geometry()
    x, y, w, h = rect
    return ((x + w / 2.0) * width / template[0], (y + h / 2.0) * height / template[1])


def click_control(session, window, template, rect, repeat=1):
    x, y = centre(window, template, rect)
    session.click(window, x, y, repeat=repeat)


class Brevanto:
    """The program under test in one session."""

    def __init__(self, session, executable, raw_tool, drag_source=None, batch=None,
                 shared_data=None):
        self.session = session
        self.executable = executable
        self.raw_tool = raw_tool
        self.drag_source = drag_source
        self.batch = batch
        self.shared_data = shared_data
        self.data = os.path.join(session.home, "data")
        os.makedirs(self.data)
        self.process = None
        self.main = None
        # For a look under a debugger: BREVANTO_DESKTOP_WRAPPER="gdb -batch -ex run -ex bt --args"
        self.wrapper = os.environ.get("BREVANTO_DESKTOP_WRAPPER", "").split()

    def start(self):
        self.process = self.session.spawn(self.wrapper + [self.executable], cwd=self.session.home)
        self.main = self.session.wait_window(MAIN_TITLE)
        self.session.wait_active(self.main)
        return self.main

    def synth(self, name, functions=2, scans=50, peaks=400):
        path = os.path.join(self.data.encode(), name if isinstance(name, bytes) else name.encode())
        self.session.run([self.raw_tool.encode(), b"synth", path, b"--functions",
                          str(functions).encode(), b"--scans", str(scans).encode(), b"--peaks",
                          str(peaks).encode()], timeout=120)
        return path

    def shared_samples(self, *names):
        """The paths of the shared sample files `names`; skips the scenario when any is absent."""
        if not self.batch or not self.shared_data:
            raise Skip("needs --batch and --shared-data")
        paths = [os.path.join(self.shared_data, name) for name in names]
        for path in paths:
            if not os.path.isfile(path):
                raise Skip("%s not found" % path)
        return paths

    def profile_path(self):
        return os.path.join(self.session.config, "brevanto.ini")

    def last_directory(self):
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(self.profile_path())
        for section in parser.sections():
            if section.replace("%20", " ") == "Application Data":
                for key, value in parser[section].items():
                    if key.replace("%20", " ") == "Last Used Directory":
                        return value
        return None

    def expect_last_directory(self, directory):
        """The profile's last directory becomes `directory` (it is written once the dialog that
        chose it has gone, so it may come a moment after the main dialog is active again)."""
        try:
            wait_until("the last directory %r" % directory,
                       lambda: self.last_directory() == directory, timeout=15)
        except DesktopError:
            raise Check("last directory %r, not %r" % (self.last_directory(), directory))

    def set_last_directory(self, directory):
        with open(self.profile_path(), "w") as profile:
            profile.write("[Application%%20Data]\nLast%%20Used%%20Directory=%s\n" % directory)

    def wait_exit(self, timeout=45):
        try:
            self.process.wait(timeout=timeout)
        except Exception:
            raise Check("brevanto did not end")
        check(self.process.returncode == 0, "brevanto ended with %d" % self.process.returncode)
        wait_until("every window of the program to go",
                   lambda: not self.session.windows_named("."), timeout=10)

    # -- what a user does ---------------------------------------------------------------------

    def add_rule(self, fields, picture=None, refuse_first=False):
        """Edit... -> Add... -> the fields -> Return -> OK. With `refuse_first`, OK on a function
        out of range first: its warning, under the program's name, is in front of Add
        Parameters with the focus, and the Return that answers it reaches nothing behind it."""
        s = self.session
        click_control(s, self.main, MAIN, MAIN_EDIT)
        parameters = s.wait_window("^Edit Parameters$")
        expect_in_front(s, parameters, self.main)
        check_decorations(s, parameters)
        click_control(s, parameters, PARAMETERS, PARAMETERS_ADD)
        add = s.wait_window("^Add Parameters$")
        expect_in_front(s, add, parameters)
        check_decorations(s, add)
        if refuse_first:
            self.refuse_field(add)
        # The function field has the focus; Tab goes through the fields in template order.
        for i, field in enumerate(fields):
            s.key(add, "ctrl+a")
            s.type_text(add, field)
            if i + 1 < len(fields):
                s.key(add, "Tab")
        if picture:
            s.picture(picture + "-add-parameters")
        s.key(add, "Return")
        s.wait_gone(add)
        s.wait_active(parameters)
        if picture:
            s.picture(picture + "-edit-parameters")
        click_control(s, parameters, PARAMETERS, PARAMETERS_OK)
        s.wait_gone(parameters)
        s.wait_active(self.main)

    def refuse_field(self, add):
        s = self.session
        s.key(add, "ctrl+a")
        s.type_text(add, "1001")
        s.key(add, "Return")
        # The main dialog has the same caption; the box is the other window of that name.
        wait_until("the warning box", lambda: set(s.windows_named(MAIN_TITLE)) - {self.main},
                   timeout=15)
        boxes = list(set(s.windows_named(MAIN_TITLE)) - {self.main})
        check(len(boxes) == 1, "%d warning boxes" % len(boxes))
        box = boxes[0]
        expect_in_front(s, box, add)
        s.key(box, "Return")
        s.wait_gone(box)
        s.wait_active(add)
        time.sleep(0.3)
        check(add.alive(), "the Return that answered the warning closed Add Parameters")
        check(set(s.windows_named(MAIN_TITLE)) == {self.main}, "a second warning")

    def add_list_file(self, list_path):
        """Add... with the left Control key held: the list-file dialog, the path typed."""
        s = self.session
        s.xdotool("keydown", "Control_L")
        try:
            click_control(s, self.main, MAIN, MAIN_ADD)
            dialog = s.wait_window("^Open$")
        finally:
            s.xdotool("keyup", "Control_L")
        expect_in_front(s, dialog, self.main)
        s.key(dialog, "ctrl+a")
        s.type_text(dialog, list_path)
        # Out of the name field first: its completion list, when it shows, would take the
        # Return. The default button (Open) takes it then.
        time.sleep(0.3)
        s.key(dialog, "Tab")
        s.key(dialog, "Return")
        s.wait_gone(dialog)
        s.wait_active(self.main)


def expect_in_front(session, window, owner):
    """`window` is on top of the stacking order, active, has the keyboard focus, and belongs to
    `owner` (its transient owner, which the window manager keeps it above)."""
    session.wait_active(window)
    wait_until("%r on top" % window, lambda: session.on_top(window), timeout=15)
    transient = window.prop("WM_TRANSIENT_FOR")
    check(("0x%x" % owner.id) in transient, "%r is not transient for %r: %s" % (window, owner,
                                                                                  transient))


def message_box(session, caption, owner):
    box = session.wait_window("^%s$" % caption)
    expect_in_front(session, box, owner)
    return box


def mtimes(paths):
    return {p: os.stat(p).st_mtime_ns for p in paths}


# -- scenarios -------------------------------------------------------------------------------


def scenario_problem_box(session, app):
    """Process on an empty list: the "Problem" box in front with the focus, answered by Return,
    by a click on OK and by Escape, with nothing behind it reacting; Finish ends the program."""
    s = session
    main = app.start()
    s.picture("desktop-main")
    check_decorations(s, main)
    for answer in ("Return", "click", "Escape"):
        click_control(s, main, MAIN, MAIN_PROCESS)
        box = message_box(s, "Problem", main)
        check(len(s.windows_named("^Problem$")) == 1, "more than one box")
        if answer == "Return":
            s.picture("desktop-problem-box")
            s.key(box, "Return")
        elif answer == "click":
            click_ok(s, box)
        else:
            s.key(box, "Escape")
        s.wait_gone(box)
        s.wait_active(main)
        # The key that answered the box reached nothing behind it: no second box follows.
        time.sleep(0.3)
        check(not s.windows_named("^Problem$"), "a second box after %s" % answer)
    click_control(s, main, MAIN, MAIN_FINISH)
    app.wait_exit()


def check_decorations(s, main):
    """A caption without minimise, maximise or close box and no resizing, as the templates ask:
    what the window asks of its window manager, and what the manager then allows."""
    hints = main.prop("_MOTIF_WM_HINTS")
    numbers = [int(v, 0) for v in hints.split("=", 1)[1].replace(" ", "").split(",")]
    flags, functions = numbers[0], numbers[1]
    check(flags & 1, "%r gives no functions to its window manager: %s" % (main, hints))
    all_functions, minimise, maximise, close = 1, 8, 16, 32
    check(not functions & (all_functions | minimise | maximise | close),
          "%r asks for minimise, maximise or close: %s" % (main, hints))
    allowed = main.prop("_NET_WM_ALLOWED_ACTIONS")
    for action in ("_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                   "_NET_WM_ACTION_MAXIMIZE_VERT"):
        check(action not in allowed, "%s allowed: %s" % (action, allowed))



def click_ok(s, box):
    """Clicks the OK button of a box that has no other button."""
    buttons = find_buttons(s, box)
    check(len(buttons) == 1, "%d buttons in %r" % (len(buttons), box))
    s.click(box, *buttons[0])


def find_buttons(s, window):
    """The centres of the push buttons in the bottom row of a message box, left to right, found
    in a picture of the window: the row near the bottom that crosses the most stretches that
    differ from the background, and how far up each stretch goes."""
    width, height, pixels = s.grab_settled(window)
    background = pixel(pixels, width, width - 2, height - 2)
    best_y, best = None, []
    for y in range(height - 3, max(height - 60, 0), -1):
        runs = runs_in_row(pixels, width, y, background)
        if len(runs) > len(best):
            best_y, best = y, runs
    check(best, "no button found in %r" % window)
    centres = []
    for run in sorted(best):
        top = best_y
        while top > 0 and pixel(pixels, width, run[0], top - 1) != background:
            top -= 1
        bottom = best_y
        while bottom < height - 1 and pixel(pixels, width, run[0], bottom + 1) != background:
            bottom += 1
        centres.append(((run[0] + run[1]) / 2.0, (top + bottom) / 2.0))
    return centres


def pixel(pixels, width, x, y):
    i = (y * width + x) * 3
    return pixels[i:i + 3]


def runs_in_row(pixels, width, y, background):
    """Stretches of that row that differ from the background, at least 40 pixels long."""
    runs, start = [], None
    for x in range(width):
        differs = pixel(pixels, width, x, y) != background
        if differs and start is None:
            start = x
        elif not differs and start is not None:
            if x - start >= 40:
                runs.append((start, x - 1))
            start = None
    return runs


def wait_progress_and_finish(s, app, outputs, picture):
    """Follows a run from its progress window to its "Finished" box: the progress window is in
    front of the main dialog the whole time and paints its steps. Returns the box."""
    progress = s.wait_window(PROGRESS_TITLE)
    expect_in_front(s, progress, app.main)
    pictures, stacks = [], []
    while progress.alive():
        try:
            pictures.append(s.grab_client(progress))
            stacks.append(s.stacking())
        except Exception:
            break  # it went while being grabbed
        if len(pictures) == 2:
            s.picture(picture + "-progress")
    check(len(pictures) >= 2, "the run was too short to be watched (%d pictures)" % len(pictures))
    # Mid-run, the progress window is on top of the main dialog every time it was looked at.
    for stack in stacks:
        if progress in stack:
            check(stack[-1] == progress, "progress not on top: %s" % stack)
    # It was painted (not an empty frame) and its bar moved.
    check(any(len(set(p[2][i:i + 3] for i in range(0, len(p[2]), 300))) > 2 for p in pictures),
          "the progress window was never painted")
    check(len(set(p[2] for p in pictures)) >= 2, "the progress window never changed")
    print("progress window looked at %d times, %d different pictures"
          % (len(pictures), len(set(p[2] for p in pictures))))
    box = message_box(s, "Finished", app.main)
    check(not progress.alive(), "the progress window outlived the run")
    for path in outputs:
        check(os.path.isdir(path), "no output %r" % path)
    return box


def scenario_rules_list_file_and_run(session, app):
    """A rule typed through Edit... and Add Parameters after a refused field's warning answered
    by Return, inputs from a list file of relative lines (Add... with the left Control key), a
    full run with its progress window in front, and the "Finished" box answered by Return
    without a second run."""
    s = session
    inputs = [app.synth(name, functions=6, scans=200, peaks=2000)
              for name in ("first.raw", "second.raw", "third.raw")]
    list_file = os.path.join(app.data, "batch.txt")
    # The same inputs again and again make a run long enough to be watched, on any machine.
    with open(list_file, "w") as f:
        f.write("first.raw\nsecond.raw\nthird.raw\n" * 8)
    app.start()
    app.add_rule(RULE, picture="desktop-rule", refuse_first=True)
    app.add_list_file(list_file)
    s.picture("desktop-main-with-inputs")
    app.expect_last_directory(app.data + "/")
    outputs = [p.decode().replace(".raw", "_BRV.raw") for p in inputs]
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    box = wait_progress_and_finish(s, app, outputs, "desktop-run")
    s.picture("desktop-run-finished")
    before = mtimes(outputs)
    s.key(box, "Return")
    s.wait_gone(box)
    s.wait_active(app.main)
    time.sleep(1.5)
    check(not s.windows_named(PROGRESS_TITLE), "a second run started")
    check(mtimes(outputs) == before, "the outputs were written again")
    s.key(app.main, "Escape")
    app.wait_exit()


def highlighted_centre(s, window):
    """The centre of the selection highlight (the selected row of a list) in `window`."""
    width, height, pixels = s.grab_settled(window)
    xs, ys = [], []
    for y in range(0, height, 2):
        row = y * width * 3
        for x in range(0, width, 2):
            r, g, b = pixels[row + 3 * x], pixels[row + 3 * x + 1], pixels[row + 3 * x + 2]
            if b > 150 and b - r > 90 and b - g > 30:
                xs.append(x)
                ys.append(y)
    check(xs, "nothing is selected in %r" % window)
    # The selected row is the widest highlighted stretch; its middle is safe to click.
    row_y = max(set(ys), key=ys.count)
    row_xs = [x for x, y in zip(xs, ys) if y == row_y]
    return (min(row_xs) + max(row_xs)) / 2.0, row_y


def select_in_browse_dialog(s, dialog, name):
    """Types `name` into the file name field, which selects it in the list, and leaves the
    field so that its completion goes away."""
    s.key(dialog, "ctrl+a")
    s.type_text(dialog, name)
    s.key(dialog, "Tab")
    time.sleep(0.3)
    return highlighted_centre(s, dialog)


def scenario_browse_dialog(session, app):
    """Inputs by the browse dialog: a raw data file picked by a double-click, an ordinary
    folder opened by a double-click and a raw data file in it picked with Return on Choose;
    the run then finds both."""
    s = session
    app.synth("sample.raw", functions=1, scans=5, peaks=50)
    os.makedirs(os.path.join(app.data, "more"))
    app.synth(os.path.join("more", "inner.raw"), functions=1, scans=5, peaks=50)
    app.set_last_directory(app.data + "/")
    app.start()

    click_control(s, app.main, MAIN, MAIN_ADD)
    browse = s.wait_window("^Select Input Raw File$")
    expect_in_front(s, browse, app.main)
    x, y = select_in_browse_dialog(s, browse, "sample.raw")
    s.picture("desktop-browse")
    s.click(browse, x, y, repeat=2)
    s.wait_gone(browse)
    s.wait_active(app.main)
    app.expect_last_directory(app.data + "/")

    click_control(s, app.main, MAIN, MAIN_ADD)
    browse = s.wait_window("^Select Input Raw File$")
    expect_in_front(s, browse, app.main)
    x, y = select_in_browse_dialog(s, browse, "more")
    s.click(browse, x, y, repeat=2)
    time.sleep(0.5)
    check(browse.alive(), "a double-click on an ordinary folder ended the dialog")
    select_in_browse_dialog(s, browse, "inner.raw")
    s.picture("desktop-browse-folder-opened")
    s.key(browse, "Return")  # as Choose
    s.wait_gone(browse)
    s.wait_active(app.main)
    more = os.path.join(app.data, "more") + "/"
    app.expect_last_directory(more)

    app.add_rule(RULE)
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    box = message_box(s, "Finished", app.main)
    outputs = [os.path.join(app.data, "sample_BRV.raw"), os.path.join(more, "inner_BRV.raw")]
    for path in outputs:
        check(os.path.isdir(path), "no output %r" % path)
    click_ok(s, box)
    s.wait_gone(box)
    click_control(s, app.main, MAIN, MAIN_FINISH)
    app.wait_exit()


def scenario_failing_run_details(session, app):
    """A run that fails on its second input: the "Finished" box in front, its details read
    through Show Details..., answered by Escape; the window manager's close then ends the
    program. The list file names its inputs relative to its own folder, one of them with a
    byte that is no UTF-8, which must reach the run unchanged."""
    s = session
    odd = b"caf\xe9.raw"  # Latin-1 e acute: not UTF-8
    app.synth(odd, functions=1, scans=5, peaks=50)
    list_file = os.path.join(app.data, "lists.txt")
    with open(list_file, "wb") as f:
        f.write(b"missing.raw\n" + odd + b"\n")
    app.start()
    app.add_rule(RULE)
    app.add_list_file(list_file)
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    box = message_box(s, "Finished", app.main)
    # The top item, the odd name, ran first and its output has the very same bytes.
    data = app.data.encode()
    check(os.path.isdir(os.path.join(data, b"caf\xe9_BRV.raw")),
          "no output for the odd name: %r" % os.listdir(data))
    check(not os.path.exists(os.path.join(data, b"missing_BRV.raw")), "missing.raw ran")
    _, _, _, height = box.geometry()
    s.picture("desktop-failed-run")
    buttons = find_buttons(s, box)
    check(len(buttons) == 2, "%d buttons in the failure box" % len(buttons))
    s.click(box, *buttons[-1])  # Show Details..., right of OK
    wait_until("the details to open", lambda: box.geometry()[3] > height + 40, timeout=20)
    s.wait_active(box)
    s.picture("desktop-failed-run-details")
    s.key(box, "Escape")
    s.wait_gone(box)
    s.wait_active(app.main)
    check(not s.windows_named(PROGRESS_TITLE) and not s.windows_named("^Finished$"),
          "Escape reached the main dialog")
    s.key(app.main, "alt+F4")
    app.wait_exit()


def drag_onto(s, app, drag_source, paths):
    """Drags `paths` from a file manager's stand-in onto the middle of the main dialog."""
    source_process = s.spawn([drag_source] + paths)
    source = s.wait_window("^Drag Source$")
    s.wait_active(source)
    sx, sy, swidth, sheight = source.geometry()
    start = (sx + swidth // 2, sy + sheight // 2)
    s.xdotool("mousemove", *start)
    s.xdotool("mousedown", 1)
    x, y, width, height = app.main.geometry()
    end = (x + width // 2, y + height // 2)
    # A drag follows the pointer; the target only hears of it through motion, and the drop
    # counts where the target last said it would take it.
    for step in range(1, 21):
        s.xdotool("mousemove", int(start[0] + (end[0] - start[0]) * step / 20),
                  int(start[1] + (end[1] - start[1]) * step / 20))
        time.sleep(0.05)
    for wiggle in (1, -1, 1, -1):
        s.xdotool("mousemove_relative", "--", wiggle * 3, 0)
        time.sleep(0.1)
    s.xdotool("mouseup", 1)
    source_process.wait(timeout=20)


def scenario_drop_with_rejected_names(session, app):
    """A drop from a file manager of four names, two of them no raw data file: one warning for
    each rejected name, each answered by Return, and both raw data files added (the run finds
    them, one with a name that is no UTF-8)."""
    s = session
    odd = b"caf\xe9.raw"
    paths = [app.synth("first.raw", functions=1, scans=5, peaks=50), b"/tmp/notes.txt",
             app.synth(odd, functions=1, scans=5, peaks=50), b"/tmp/report.doc"]
    app.start()
    drag_onto(s, app, app.drag_source, paths)
    for warning in range(2):
        box = message_box(s, "Problem", app.main)
        if warning == 0:
            s.picture("desktop-drop-warning")
        s.key(box, "Return")
        s.wait_gone(box)
    s.wait_active(app.main)
    time.sleep(0.3)
    check(not s.windows_named("^Problem$"), "a third warning")
    app.add_rule(RULE)
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    box = message_box(s, "Finished", app.main)
    data = app.data.encode()
    for output in (b"first_BRV.raw", b"caf\xe9_BRV.raw"):
        check(os.path.isdir(os.path.join(data, output)), "no %r: %r" % (output, os.listdir(data)))
    s.key(box, "Return")
    s.wait_gone(box)
    click_control(s, app.main, MAIN, MAIN_FINISH)
    app.wait_exit()


OPEN_FORMAT_SAMPLES = ("tiny.pwiz.1.1.mzML", "example.mzML.gz", "dummyiTRAQ.mzXML")


def with_fresh_sha1(source, target):
    """Copies an mzXML file with its own SHA-1 made right: the checksum of every byte up to and
    including "<sha1>" (the shared sample's is stale, so the program refuses it as it is)."""
    with open(source, "rb") as f:
        data = f.read()
    start = data.rindex(b"<sha1>") + len(b"<sha1>")
    digest = hashlib.sha1(data[:start]).hexdigest().encode()
    with open(target, "wb") as f:
        f.write(data[:start] + digest + data[start + 40:])


def same_tree(a, b):
    """True when `a` and `b` hold the same bytes: two files, or two folders file for file."""
    if os.path.isfile(a) or os.path.isfile(b):
        return os.path.isfile(a) and os.path.isfile(b) and filecmp.cmp(a, b, shallow=False)
    compared = filecmp.dircmp(a, b)
    if compared.left_only or compared.right_only or compared.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, compared.common_files, shallow=False)
    return not mismatch and not errors and all(
        same_tree(os.path.join(a, d), os.path.join(b, d)) for d in compared.common_dirs)


def details_text(s, box, opened_from, expected):
    """The text under Show Details... of a box that has just grown from `opened_from` pixels
    high, copied to the clipboard from its text area (a click into it, Ctrl+A, Ctrl+C), once it
    holds `expected`."""
    _, _, width, height = box.geometry()
    s.click(box, width / 2.0, opened_from + (height - opened_from) / 2.0)
    s.key(box, "ctrl+a")
    s.key(box, "ctrl+c")
    last = [""]

    def copied():
        last[0] = s.run(["xclip", "-selection", "clipboard", "-o"], check=False)
        return expected in last[0]
    try:
        wait_until("%r on the clipboard" % expected, copied, timeout=15)
    except DesktopError:
        raise Check("the details say %r, not %r" % (last[0], expected))
    return last[0]


def rule_argument(fields):
    return ":".join(fields)


def scenario_drop_mixed_and_run(session, app):
    """A drop of a raw data file, an mzML, a gzipped mzML, an mzXML and a large mzML named in
    upper case (plus one name that is refused), a run over all of them with the progress window
    in front, the "Finished" box of success, and outputs byte for byte those of brevanto-batch
    for copies of the same inputs."""
    s = session
    tiny, gzipped, itraq = app.shared_samples(*OPEN_FORMAT_SAMPLES)
    # A large mzML keeps the progress window up long enough to be watched: a synthetic
    # acquisition exported to mzML (both sides read the one file, which neither changes).
    source = app.synth(os.path.join(s.root, "source.raw"), functions=2, scans=1200, peaks=3000)
    big = os.path.join(s.root, "BIG.MZML")
    s.run([app.raw_tool, "export-mzml", source.decode(), big], timeout=120)
    batch_folder = os.path.join(app.data, "batch")
    names = ["run.raw", "tiny.mzML", "example.mzML.gz", "itraq.mzXML", "BIG.MZML"]
    for folder in (app.data, batch_folder):
        os.makedirs(folder, exist_ok=True)
        app.synth(os.path.join(folder, "run.raw"), functions=2, scans=20, peaks=200)
        shutil.copyfile(tiny, os.path.join(folder, "tiny.mzML"))
        shutil.copyfile(gzipped, os.path.join(folder, "example.mzML.gz"))
        with_fresh_sha1(itraq, os.path.join(folder, "itraq.mzXML"))
        os.link(big, os.path.join(folder, "BIG.MZML"))
    dropped = [os.path.join(app.data, name).encode() for name in names[:4]]
    dropped += [b"/tmp/notes.txt", os.path.join(app.data, names[4]).encode()]

    app.start()
    drag_onto(s, app, app.drag_source, dropped)
    box = message_box(s, "Problem", app.main)
    s.key(box, "Return")
    s.wait_gone(box)
    s.wait_active(app.main)
    time.sleep(0.3)
    check(not s.windows_named("^Problem$"), "a second warning")
    app.add_rule(RULE)
    s.picture("desktop-mixed-inputs")
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    progress = s.wait_window(PROGRESS_TITLE)
    expect_in_front(s, progress, app.main)
    pictures = []
    while progress.alive():
        try:
            pictures.append(s.grab_client(progress))
        except Exception:
            break  # it went while being grabbed
        if len(pictures) == 2:
            s.picture_of("desktop-mixed-run", [app.main, progress])
    # The large mzML, on top of the list, runs first: its bar moves in many small steps, of
    # which a loaded machine may catch few; two different pictures show it painting as it goes.
    check(len(set(p[2] for p in pictures)) >= 2,
          "the progress window changed %d times" % len(set(p[2] for p in pictures)))
    box = message_box(s, "Finished", app.main)
    # Success: OK only; a failure would offer Show Details... beside it.
    check(len(find_buttons(s, box)) == 1, "the run failed")
    s.key(box, "Return")
    s.wait_gone(box)

    outputs = ["run_BRV.raw", "tiny_BRV.mzML", "example_BRV.mzML.gz", "itraq_BRV.mzXML",
               "BIG_BRV.MZML"]
    for output in outputs:
        check(os.path.exists(os.path.join(app.data, output)), "no output %r" % output)
    s.run([app.batch, "--quiet", "--rule", rule_argument(RULE)]
          + [os.path.join(batch_folder, name) for name in names], timeout=300)
    for output in outputs:
        check(same_tree(os.path.join(app.data, output), os.path.join(batch_folder, output)),
              "%s differs from brevanto-batch's" % output)
    click_control(s, app.main, MAIN, MAIN_FINISH)
    app.wait_exit()


def scenario_failing_mzxml_details(session, app):
    """A run of an mzML and, after it, an mzXML whose own checksum is stale: the mzML is
    filtered, the mzXML is refused, and the "Finished" box gives under Show Details... the
    file, the step and the reason."""
    s = session
    tiny, _, itraq = app.shared_samples(*OPEN_FORMAT_SAMPLES)
    shutil.copyfile(tiny, os.path.join(app.data, "tiny.mzML"))
    stale = os.path.join(app.data, "stale.mzXML")
    shutil.copyfile(itraq, stale)
    app.start()
    # Dropped last, the mzML is on top and runs first.
    drag_onto(s, app, app.drag_source, [stale.encode(),
                                        os.path.join(app.data, "tiny.mzML").encode()])
    app.add_rule(RULE)
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    box = message_box(s, "Finished", app.main)
    check(os.path.isfile(os.path.join(app.data, "tiny_BRV.mzML")), "no output of the mzML")
    check(not os.path.exists(os.path.join(app.data, "stale_BRV.mzXML")),
          "the refused mzXML left an output")
    _, _, _, height = box.geometry()
    buttons = find_buttons(s, box)
    check(len(buttons) == 2, "%d buttons in the failure box" % len(buttons))
    s.click(box, *buttons[-1])  # Show Details..., right of OK
    wait_until("the details to open", lambda: box.geometry()[3] > height + 40, timeout=20)
    s.wait_active(box)
    s.picture("desktop-failed-mzxml-details")
    text = details_text(s, box, height, stale + ": filtering failed: ")
    check("sha1" in text and "changed after it was written" in text,
          "the details do not give the reason: %r" % text)
    s.key(box, "Escape")
    s.wait_gone(box)
    s.wait_active(app.main)
    click_control(s, app.main, MAIN, MAIN_FINISH)
    app.wait_exit()


def scenario_browse_open_format_file(session, app):
    """The browse dialog's file types on a real desktop: switched by the keyboard to the mzML and
    mzXML type, it lists an mzML, which a double-click picks as a file; the run filters it."""
    s = session
    tiny, = app.shared_samples(OPEN_FORMAT_SAMPLES[0])
    shutil.copyfile(tiny, os.path.join(app.data, "tiny.mzML"))
    app.set_last_directory(app.data + "/")
    app.start()
    click_control(s, app.main, MAIN, MAIN_ADD)
    browse = s.wait_window("^Select Input Raw File$")
    expect_in_front(s, browse, app.main)
    # From the empty name field, Tab reaches the file types (Choose is off while nothing is
    # chosen); Down picks the second, and Shift+Tab goes back.
    s.key(browse, "Tab", "Down", "shift+Tab")
    x, y = select_in_browse_dialog(s, browse, "tiny.mzML")
    s.picture("desktop-browse-open-formats")
    s.click(browse, x, y, repeat=2)
    s.wait_gone(browse)
    s.wait_active(app.main)
    app.expect_last_directory(app.data + "/")
    app.add_rule(RULE)
    click_control(s, app.main, MAIN, MAIN_PROCESS)
    box = message_box(s, "Finished", app.main)
    check(len(find_buttons(s, box)) == 1, "the run failed")
    check(os.path.isfile(os.path.join(app.data, "tiny_BRV.mzML")), "no output of the mzML")
    s.key(box, "Return")
    s.wait_gone(box)
    click_control(s, app.main, MAIN, MAIN_FINISH)
    app.wait_exit()


SCENARIOS = {
    "browse_open_format_file": scenario_browse_open_format_file,
    "drop_mixed_and_run": scenario_drop_mixed_and_run,
    "failing_mzxml_details": scenario_failing_mzxml_details,
    "drop_with_rejected_names": scenario_drop_with_rejected_names,
    "failing_run_details": scenario_failing_run_details,
    "browse_dialog": scenario_browse_dialog,
    "problem_box": scenario_problem_box,
    "rules_list_file_and_run": scenario_rules_list_file_and_run,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--brevanto", required=True)
    parser.add_argument("--raw-tool", required=True)
    parser.add_argument("--drag-source", help="the file manager's stand-in, for drops")
    parser.add_argument("--batch", help="brevanto-batch, for the open-format scenarios")
    parser.add_argument("--shared-data", help="the folder of the shared sample files")
    parser.add_argument("--pictures")
    parser.add_argument("scenarios", nargs="*")
    args = parser.parse_args()
    # A test runner's timeout ends the script with SIGTERM: unwinding then closes the session,
    # so no X server, window manager or program outlives it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    args.brevanto = os.path.abspath(args.brevanto)
    args.raw_tool = os.path.abspath(args.raw_tool)
    for tool in ("drag_source", "batch", "shared_data"):
        if getattr(args, tool):
            setattr(args, tool, os.path.abspath(getattr(args, tool)))
    names = args.scenarios or list(SCENARIOS)
    failed, skipped = [], []
    for name in names:
        started = time.monotonic()
        try:
            with DesktopSession(pictures=args.pictures) as session:
                SCENARIOS[name](session, Brevanto(session, args.brevanto, args.raw_tool,
                                                  args.drag_source, args.batch,
                                                  args.shared_data))
            print("PASS %s (%.1f s)" % (name, time.monotonic() - started))
        except Skip as reason:
            print("SKIP %s: %s" % (name, reason))
            skipped.append(name)
        except (Check, DesktopError, Exception):
            traceback.print_exc()
            print("FAIL %s" % name)
            failed.append(name)
    if failed:
        return 1
    return SKIPPED if len(skipped) == len(names) else 0


if __name__ == "__main__":
    sys.exit(main())
