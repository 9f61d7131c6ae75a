"""A real X desktop for the journeys: Xvfb with the openbox window manager,
the window program started in it with a home of its own, and the person's
hands (xdotool keys, typing and clicks) and eyes (window titles, the
clipboard, screenshots).

Every wait polls for what it waits for until a time limit; only the short
settle pauses between keys are fixed.
"""
import os
import re
import select
import signal
import subprocess
import time

# Generous limits: the journeys run beside other tests on two processors.
WINDOW_TIMEOUT = 30.0
POLL = 0.1
KEY_SETTLE = 0.15


class JourneyFailure(Exception):
    pass


def wait_for(what, probe, timeout=WINDOW_TIMEOUT):
    """Polls probe() until it returns something true; fails naming what."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise JourneyFailure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL)


def run(command, env, check=True, timeout=20, input_bytes=None):
    completed = subprocess.run(command, env=env, input=input_bytes, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=timeout)
    if check and completed.returncode != 0:
        raise JourneyFailure(f"{' '.join(command)} failed ({completed.returncode}): "
                             f"{completed.stderr.decode(errors='replace').strip()}")
    return completed


def stop_process(process, grace=5.0):
    """Ends a process this suite started: politely, then by force."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=grace)


class Desktop:
    """Xvfb on a free display number, openbox managing it."""

    def __init__(self, folder, log):
        self.folder = folder
        self.log = log
        self.xvfb = None
        self.wm = None
        self.display = None
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                 "-noreset",
                 # No auto-repeat: on a busy machine a key can stay down long
                 # enough to repeat, and a repeated "a" after Ctrl+A types ラ.
                 "-r", "-ardelay", "30000"],
                pass_fds=(write_end,), stdout=log, stderr=log, start_new_session=True)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + WINDOW_TIMEOUT
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
                if not ready:
                    raise JourneyFailure("Xvfb did not tell its display number")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise JourneyFailure("Xvfb ended before it was ready")
                number += chunk
            self.display = ":" + number.decode().strip()
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        wm_home = os.path.join(folder, "wm-home")
        os.makedirs(wm_home, exist_ok=True)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env(HOME=wm_home,
                                   XDG_CONFIG_HOME=os.path.join(wm_home, ".config")),
                                   stdout=log, stderr=log, start_new_session=True)
        # The manager announces itself on the root window once it manages.
        wait_for("the window manager", lambda: b"window id #" in run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.env(), check=False).stdout)

    def env(self, **extra):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8"}
        if self.display:
            env["DISPLAY"] = self.display
        env.update(extra)
        return env

    def xdotool(self, *args, check=True):
        return run(["xdotool", *args], self.env(), check=check)

    def screenshot(self, path):
        run(["import", "-window", "root", path], self.env(), check=False)

    def clipboard_text(self):
        completed = run(["xclip", "-o", "-selection", "clipboard"], self.env(), check=False, timeout=10)
        return completed.stdout.decode("utf-8", errors="replace") if completed.returncode == 0 else None

    def set_clipboard_text(self, text):
        """Puts text on the clipboard as another program would: xclip keeps
        serving it in the background until something else takes the clipboard."""
        process = subprocess.Popen(["xclip", "-i", "-selection", "clipboard"], env=self.env(),
                                   stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        process.communicate(text.encode("utf-8"), timeout=10)

    def stacking(self):
        """The managed windows bottom to top, as decimal ids like xdotool's."""
        out = run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], self.env(), check=False).stdout.decode()
        return [str(int(wid, 16)) for wid in re.findall(r"0x[0-9a-fA-F]+", out)]

    def close(self):
        stop_process(self.wm)
        stop_process(self.xvfb)


class Window:
    def __init__(self, wid, title, kind):
        self.wid, self.title, self.kind = wid, title, kind

    def __repr__(self):
        return f"{self.kind} {self.title!r}"


class Program:
    """One run of the window program with its own home, on the desktop."""

    def __init__(self, desktop, binary, home, args=(), log=None):
        self.desktop = desktop
        for sub in (".config", ".local/share", ".cache", "run"):
            os.makedirs(os.path.join(home, sub), mode=0o700, exist_ok=True)
        self.home = home
        env = desktop.env(
            HOME=home,
            XDG_CONFIG_HOME=os.path.join(home, ".config"),
            XDG_DATA_HOME=os.path.join(home, ".local/share"),
            XDG_CACHE_HOME=os.path.join(home, ".cache"),
            XDG_RUNTIME_DIR=os.path.join(home, "run"),
            QT_QPA_PLATFORM="xcb",
            QT_ACCESSIBILITY="0",
            NO_AT_BRIDGE="1",
            # Play writes its sound to fluidsynth.raw in the working folder.
            QUAVERLY_AUDIO_DRIVER="file",
        )
        self.process = subprocess.Popen([binary, *args], cwd=home, env=env, stdout=log, stderr=log,
                                        start_new_session=True)
        self.pid = self.process.pid

    # --- what the person sees ---------------------------------------------

    def windows(self):
        """The visible top-level windows of this process."""
        if self.process.poll() is not None:
            return []
        found = self.desktop.xdotool("search", "--onlyvisible", "--pid", str(self.pid), check=False)
        result = []
        for wid in found.stdout.decode().split():
            name = self.desktop.xdotool("getwindowname", wid, check=False)
            kind = run(["xprop", "-id", wid, "_NET_WM_WINDOW_TYPE"], self.desktop.env(), check=False).stdout
            if name.returncode != 0:
                continue
            result.append(Window(wid, name.stdout.decode("utf-8", errors="replace").strip(),
                                 "dialog" if b"DIALOG" in kind else "normal"))
        return result

    def main_window(self, timeout=WINDOW_TIMEOUT):
        return wait_for("the main window", lambda: next(
            (w for w in self.windows() if w.kind == "normal" and w.title.endswith("Quaverly")), None), timeout)

    def dialog(self, title="Quaverly", timeout=WINDOW_TIMEOUT):
        """Waits for a dialog of this title (message boxes are all titled "Quaverly")."""
        return wait_for(f"the dialog {title!r} (showing: {self.windows()})", lambda: next(
            (w for w in self.windows() if w.kind == "dialog" and w.title == title), None), timeout)

    def dialog_named(self, part, timeout=WINDOW_TIMEOUT):
        return wait_for(f"a dialog named like {part!r}", lambda: next(
            (w for w in self.windows() if w.kind == "dialog" and part in w.title), None), timeout)

    def no_dialog(self, timeout=WINDOW_TIMEOUT):
        wait_for("every dialog to close", lambda: not any(w.kind == "dialog" for w in self.windows()), timeout)

    def title(self):
        return self.main_window().title

    def alive(self):
        return self.process.poll() is None

    # --- the person's hands -----------------------------------------------

    def activate(self, window):
        self.desktop.xdotool("windowactivate", "--sync", window.wid, check=False)
        wait_for(f"{window} to have the focus",
                 lambda: self.desktop.xdotool("getactivewindow", check=False).stdout.decode().strip() == window.wid,
                 timeout=10)
        time.sleep(KEY_SETTLE)

    def key(self, *keys):
        self.desktop.xdotool("key", "--clearmodifiers", "--delay", "80", *keys)
        time.sleep(KEY_SETTLE)

    def type(self, text):
        self.desktop.xdotool("type", "--clearmodifiers", "--delay", "60", text)
        time.sleep(KEY_SETTLE)

    def click(self, window, x, y):
        """Clicks at (x, y) inside the window (negative: from the right or bottom)."""
        geometry = self.geometry(window)
        x = x if x >= 0 else geometry[2] + x
        y = y if y >= 0 else geometry[3] + y
        self.desktop.xdotool("mousemove", "--window", window.wid, str(x), str(y), "click", "1")
        time.sleep(KEY_SETTLE)

    def geometry(self, window):
        out = self.desktop.xdotool("getwindowgeometry", "--shell", window.wid).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def kill(self):
        """As a crash does: no chance to clean up."""
        if self.alive():
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(timeout=10)

    def wait_exit(self, timeout=WINDOW_TIMEOUT):
        wait_for("the program to end", lambda: not self.alive(), timeout)
        return self.process.returncode

    def stop(self):
        stop_process(self.process)
