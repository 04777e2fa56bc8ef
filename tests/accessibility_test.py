#!/usr/bin/python3
"""The running launcher as a screen reader sees it, through the AT-SPI accessibility tree.

Started by tests/accessibility-test, which gives it a session D-Bus, the accessibility bus and the program
running in a folder that holds the recording stub as Zemu.exe, one game and, where it could be mounted, a
second volume on usb/. Every wait has a deadline, and libatspi ends any call that the program does not answer.

    accessibility_test.py --pid PID --folder FOLDER --first-volume MOUNT_POINT [--second-volume MOUNT_POINT]
                          [unittest options]
"""

import argparse
import os
import subprocess
import sys
import time
import unittest
import warnings

import pyatspi
from gi.repository import Atspi, GLib

warnings.filterwarnings("ignore", category=DeprecationWarning)  # pyatspi calls libatspi's older names

TITLE = "Quibrel! v0.2"
GAME = "game one.gb"

TABS = ["Game", "Graphics", "Sound", "Controls", "CPU", "Game genie", "Video mode", "Background"]

# The option buttons of each page, as the person sees their captions, blanks included.
OPTION_BUTTONS = {
    "Graphics": [
        "Default(69905 cycles)", "Custom",
        "Default(-1)", "Custom",
        "Delay(default)", "Don't delay",
    ],
    "Sound": [
        "0 - No sound", "1 - Adlib(default)",
        "0 - Mono", "1 - Normal(default)", "2 - Reversed",
    ],
    "Controls": [
        "0 - Disabled(default)", "1 - Autodetected",
        "Default ", "Custom",
    ],
    "CPU": [
        "Default(60)", "Custom",
        "0 - Silent", "1 - Startup messages(default)", "2 - Illegal writes", "4 - Illegal CPU ops",
        "8 - Bank switching",
    ],
    "Game genie": ["None(default)", "Game genie code"],
    "Video mode": [
        "0 - 320x200 with title screen(default)", "1 - 320x200 without title screen",
        "2 - 360x144 full screen mode", "3 - 180x144 full screen mode", "4 - 256x200 with title screen",
        "5 - 256x200 without title screen",
    ],
    "Background": ["Default", "Custom (enter full path below)"],
}

# A text box has no caption of its own: it is named after its frame.
TEXT_BOXES = [
    "VBlank interrupt",
    "Number of interrupts per screen update",
    "Keys",
    "Interrupt frequency",
    "Game genie",
    "Background",
]

FOCUS_EVENT = "object:state-changed:focused"
TIMEOUT = 10.0  # seconds for anything to happen
# For each call into the program: libatspi's default of 0.8 s gives up too early on a busy machine.
CALL_TIMEOUT_MS = 5000


def wait_for(condition, timeout=TIMEOUT, interval=0.05):
    """Polls `condition` until it gives a true value, which is returned; None after `timeout` seconds.
    Events that arrive meanwhile are dispatched."""
    deadline = time.monotonic() + timeout
    while True:
        pump_events()
        try:
            value = condition()
        except (AssertionError, GLib.GError, LookupError):  # not there yet, or gone while looked at
            value = None
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def pump_events():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def descendants(accessible):
    """Every object below `accessible`, depth first."""
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def role(accessible):
    return accessible.getRole()


def has_state(accessible, state):
    return accessible.getState().contains(state)


def named(root, role_wanted, name):
    return [a for a in descendants(root) if role(a) == role_wanted and a.name == name]


def one_named(root, role_wanted, name):
    found = named(root, role_wanted, name)
    if len(found) != 1:
        role_name = Atspi.role_get_name(role_wanted)
        raise AssertionError(f"{len(found)} objects of role {role_name!r} named {name!r}")
    return found[0]


def do_action(accessible, action_name):
    actions = accessible.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action_name not in names:
        raise AssertionError(f"{accessible.name!r} offers no action {action_name!r}, only {names}")
    return actions.doAction(names.index(action_name))


def centre(accessible):
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


def click(accessible, button_event="b1c"):
    """A real click ("b1c") or double click ("b1d") on the middle of `accessible`."""
    x, y = centre(accessible)
    pyatspi.Registry.generateMouseEvent(x, y, "abs")
    pyatspi.Registry.generateMouseEvent(x, y, button_event)


# X keysyms and modifier masks, as generateKeyboardEvent takes them.
KEYSYMS = {"Left": 0xFF51, "Right": 0xFF53, "Tab": 0xFF09}
MODIFIERS = {"Shift": 1 << 0, "Control": 1 << 2}


def press_keys(chord):
    """Types a chord such as "Control+Tab" through the accessibility registry: the modifiers are held (locked)
    while the key is pressed and released."""
    *modifiers, key = chord.split("+")
    mask = sum(MODIFIERS[m] for m in modifiers)
    if mask:
        pyatspi.Registry.generateKeyboardEvent(mask, None, pyatspi.KEY_LOCKMODIFIERS)
    try:
        pyatspi.Registry.generateKeyboardEvent(KEYSYMS[key], None, pyatspi.KEY_SYM)
    finally:
        if mask:
            pyatspi.Registry.generateKeyboardEvent(mask, None, pyatspi.KEY_UNLOCKMODIFIERS)


class Launcher:
    """The program under test, found in the accessibility tree by its process id."""

    def __init__(self, pid):
        self.pid = pid
        self.application = wait_for(self._find_application)
        if self.application is None:
            raise AssertionError(f"no application with process id {pid} on the accessibility bus")
        self.window = wait_for(self._find_window)
        if self.window is None:
            raise AssertionError(f"no window {TITLE!r} in the application")
        self.tab_list = wait_for(lambda: one_named(self.window, pyatspi.ROLE_PAGE_TAB_LIST, "Options"))

    def _find_application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is not None and application.get_process_id() == self.pid:
                return application
        return None

    def _find_window(self):
        for index in range(self.application.childCount):
            window = self.application.getChildAtIndex(index)
            if window is not None and window.name == TITLE:
                return window
        return None

    def windows(self):
        """(role, name) of the program's windows, for messages: a message box shows here."""
        children = (self.application.getChildAtIndex(i) for i in range(self.application.childCount))
        return [(w.getRoleName(), w.name) for w in children if w is not None]

    def tabs(self):
        return [a for a in descendants(self.tab_list) if role(a) == pyatspi.ROLE_PAGE_TAB]

    def tab(self, caption):
        return one_named(self.tab_list, pyatspi.ROLE_PAGE_TAB, caption)

    def selected_tabs(self):
        return [t.name for t in self.tabs() if has_state(t, pyatspi.STATE_SELECTED)]

    def option_buttons(self):
        return [a for a in descendants(self.window) if role(a) == pyatspi.ROLE_RADIO_BUTTON]

    def showing_option_buttons(self):
        return sorted(b.name for b in self.option_buttons() if has_state(b, pyatspi.STATE_SHOWING))

    def select_tab(self, caption):
        do_action(self.tab(caption), "Press")
        if not wait_for(lambda: self.selected_tabs() == [caption]):
            raise AssertionError(f"pressing tab {caption!r} left {self.selected_tabs()} selected")


class AccessibilityTest(unittest.TestCase):
    launcher = None

    @classmethod
    def setUpClass(cls):
        cls.launcher = Launcher(ARGS.pid)

    def test_window_is_found_by_its_title(self):
        window = self.launcher.window
        self.assertEqual(window.name, TITLE)
        self.assertTrue(has_state(window, pyatspi.STATE_SHOWING))

    def test_tab_control_lists_eight_page_tabs(self):
        tabs = self.launcher.tabs()
        self.assertEqual([t.name for t in tabs], TABS)
        for tab in tabs:
            self.assertEqual(role(tab), pyatspi.ROLE_PAGE_TAB, tab.name)
            self.assertTrue(has_state(tab, pyatspi.STATE_SELECTABLE), tab.name)
            self.assertTrue(has_state(tab, pyatspi.STATE_SHOWING), tab.name)
        self.assertEqual(len(self.launcher.selected_tabs()), 1)

    def test_every_option_button_is_found_by_its_caption(self):
        expected = sorted(caption for captions in OPTION_BUTTONS.values() for caption in captions)
        self.assertEqual(len(expected), 32)
        self.assertEqual(sorted(b.name for b in self.launcher.option_buttons()), expected)

    def test_text_boxes_are_named_after_their_frames(self):
        boxes = [a for a in descendants(self.launcher.window) if role(a) == pyatspi.ROLE_TEXT]
        self.assertEqual(sorted(b.name for b in boxes), sorted(TEXT_BOXES))
        for box in boxes:
            self.assertTrue(has_state(box, pyatspi.STATE_EDITABLE), box.name)

    def test_game_browser_lists_are_named(self):
        window = self.launcher.window
        for list_role, name in [(pyatspi.ROLE_COMBO_BOX, "Drive"), (pyatspi.ROLE_LIST, "Directory"),
                                (pyatspi.ROLE_LIST, "Files")]:
            with self.subTest(name=name):
                names = [a.name for a in descendants(window) if role(a) == list_role]
                role_name = Atspi.role_get_name(list_role)
                self.assertEqual(names.count(name), 1, f"the {role_name}s are named {names}")

    def test_drive_list_tells_its_volume(self):
        """A screen reader reads the drive list's volume at start and after each change of it."""
        launcher = self.launcher
        launcher.select_tab("Game")
        drives = one_named(launcher.window, pyatspi.ROLE_COMBO_BOX, "Drive")
        directories = one_named(launcher.window, pyatspi.ROLE_LIST, "Directory")
        self.assertEqual(volume_shown(drives), ARGS.first_volume)
        if not ARGS.second_volume:
            self.skipTest("no second volume to move to")

        # Into the volume mounted on usb/ in the directory list.
        usb = wait_for(lambda: one_named(directories, pyatspi.ROLE_LIST_ITEM, "usb"))
        click(usb, "b1d")
        shown = wait_for(lambda: volume_shown(drives) == ARGS.second_volume)
        if not shown and wait_for(lambda: one_named(directories, pyatspi.ROLE_LIST_ITEM, "usb"), timeout=1):
            # Still in the folder above usb/: a busy machine let the two clicks fall too far apart.
            click(usb, "b1d")
            shown = wait_for(lambda: volume_shown(drives) == ARGS.second_volume)
        self.assertTrue(shown, f"after opening usb/ the drive list reads {volume_shown(drives)!r}")
        self.assertEqual(drives.name, "Drive")

        # Back to the first volume in the drive list: its folder is shown again.
        do_action(drives, "ShowMenu")
        volumes = wait_for(lambda: [a for a in descendants(drives)
                                    if role(a) == pyatspi.ROLE_LIST and has_state(a, pyatspi.STATE_SHOWING)])
        self.assertTrue(volumes, "the drive list did not open")
        click(one_named(volumes[0], pyatspi.ROLE_LIST_ITEM, ARGS.first_volume))
        shown = wait_for(lambda: volume_shown(drives) == ARGS.first_volume)
        self.assertTrue(shown, f"after choosing {ARGS.first_volume!r} the drive list reads {volume_shown(drives)!r}")
        files = one_named(launcher.window, pyatspi.ROLE_LIST, "Files")
        self.assertTrue(wait_for(lambda: one_named(files, pyatspi.ROLE_LIST_ITEM, GAME)),
                        "the first volume's folder is not shown again")
        self.assertEqual(drives.name, "Drive")

    def test_play_and_quit_are_push_buttons(self):
        for caption in ("PLAY", "QUIT"):
            button = one_named(self.launcher.window, pyatspi.ROLE_PUSH_BUTTON, caption)
            self.assertTrue(has_state(button, pyatspi.STATE_SHOWING), caption)

    def test_pressing_a_tab_shows_its_page(self):
        launcher = self.launcher
        for caption in TABS:
            with self.subTest(tab=caption):
                launcher.select_tab(caption)
                expected = sorted(OPTION_BUTTONS.get(caption, []))
                shown = wait_for(lambda: launcher.showing_option_buttons() == expected)
                self.assertTrue(shown, f"{caption}: showing {launcher.showing_option_buttons()}")
                files = one_named(launcher.window, pyatspi.ROLE_LIST, "Files")
                self.assertEqual(has_state(files, pyatspi.STATE_SHOWING), caption == "Game")

    def test_keyboard_moves_between_tabs(self):
        launcher = self.launcher
        events = []
        # Focus changes are what a screen reader announces.
        pyatspi.Registry.registerEventListener(events.append, FOCUS_EVENT)
        self.addCleanup(pyatspi.Registry.deregisterEventListener, events.append, FOCUS_EVENT)
        activate_window(ARGS.pid, launcher)

        # The program hears of a new listener from the registry a moment later. Until it announces a focus
        # change, move the focus to PLAY and back; the tab's focus action selects the tab and gives the tab
        # control the keyboard focus.
        def focus_game_tab():
            del events[:]
            do_action(one_named(launcher.window, pyatspi.ROLE_PUSH_BUTTON, "PLAY"), "SetFocus")
            do_action(launcher.tab("Game"), "SetFocus")
            return wait_for(lambda: focus_gains(events), timeout=1)

        self.assertTrue(wait_for(focus_game_tab), "no focus change was announced")
        self.assertTrue(wait_for(lambda: has_state(launcher.tab("Game"), pyatspi.STATE_FOCUSED)),
                        "the Game tab did not take the focus")

        for chord, caption in [("Right", "Graphics"), ("Control+Tab", "Sound"), ("Left", "Graphics"),
                               ("Control+Shift+Tab", "Game")]:
            with self.subTest(keys=chord):
                del events[:]
                press_keys(chord)
                self.assertTrue(wait_for(lambda: launcher.selected_tabs() == [caption]),
                                f"{chord} selected {launcher.selected_tabs()}, not {caption!r}")
                # The newly selected tab announces itself as a page tab that has the focus.
                announced = wait_for(lambda: (pyatspi.ROLE_PAGE_TAB, caption) in focus_gains(events))
                self.assertTrue(announced, f"{chord}: focus went to {focus_gains(events)}")
                self.assertTrue(has_state(launcher.tab(caption), pyatspi.STATE_FOCUSED))

    def test_play_starts_the_emulator_with_the_chosen_game(self):
        launcher = self.launcher
        launcher.select_tab("Game")
        files = one_named(launcher.window, pyatspi.ROLE_LIST, "Files")
        item = wait_for(lambda: one_named(files, pyatspi.ROLE_LIST_ITEM, GAME))
        self.assertIsNotNone(item, f"{GAME!r} is not in the file list")
        record = os.path.join(ARGS.folder, "args.rec")
        if os.path.exists(record):
            os.remove(record)

        # List items offer no double-click action: a real double click chooses the game.
        click(item, "b1d")
        chosen = wait_for(lambda: named(launcher.window, pyatspi.ROLE_LABEL, GAME))
        self.assertTrue(chosen, f"the chosen game is not shown; windows: {launcher.windows()}")

        do_action(one_named(launcher.window, pyatspi.ROLE_PUSH_BUTTON, "PLAY"), "Press")
        self.assertTrue(wait_for(lambda: os.path.exists(record)), "the emulator did not start")
        with open(record, "rb") as file:
            arguments = file.read().rstrip(b"\0").split(b"\0")
        folder = os.fsencode(os.path.realpath(ARGS.folder))
        self.assertEqual(arguments, [folder + b"/Zemu.exe", folder + b"/" + os.fsencode(GAME),
                                     b"-volume", b"10"])


def volume_shown(drive_list):
    """The volume that the drive list shows, read as a screen reader reads a combo box's value: its text."""
    if "Text" not in drive_list.get_interfaces():
        raise AssertionError(f"the drive list offers no text, only {drive_list.get_interfaces()}")
    return drive_list.queryText().getText(0, -1)


def focus_gains(events):
    """(role, name) of each object that announced it took the focus."""
    return [(role(e.source), e.source.name) for e in events if e.detail1 == 1]


def activate_window(pid, launcher):
    """Keys go to the window that has the input focus: make it the launcher's."""
    pattern = "^" + TITLE.replace(".", "\\.") + "$"
    result = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid), "--name",
                             pattern, "windowactivate", "--sync"],
                            timeout=TIMEOUT, capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(f"the window could not be activated: {result.stderr.strip()}; "
                             f"windows: {launcher.windows()}")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pid", type=int, required=True, help="process id of the running launcher")
    parser.add_argument("--folder", required=True, help="its working folder, with Zemu.exe and the game")
    parser.add_argument("--first-volume", required=True, help="mount point of the volume that holds the folder")
    parser.add_argument("--second-volume", default="",
                        help="mount point of another volume, the folder's subfolder usb; none if empty")
    return parser.parse_known_args()


if __name__ == "__main__":
    ARGS, rest = parse_arguments()
    Atspi.set_timeout(CALL_TIMEOUT_MS, int(TIMEOUT * 1000))
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
