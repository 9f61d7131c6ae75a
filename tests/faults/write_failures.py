#!/usr/bin/env python3
"""Every save of quaverly-cli under injected faults.

Usage: write_failures.py PATH-OF-quaverly-cli

Each file the tool writes (melody file from build, import and unmail, MIDI
file, melody text, mail text) goes through WriteWholeFile, as the window's
saves do; the audio files of render grow block by block through a temporary
file of the same kind, which replaces the target only when whole. Each is run against an existing target file while a fault is
injected, and each run must:
  - exit non-zero with a message in Japanese on stderr (never report success),
    unless the fault missed everything that matters (then the save succeeds);
  - leave the existing target byte for byte as it was (or, on success, hold
    exactly what an undisturbed run writes);
  - leave no temporary file ("<target>.XXXXXX") behind.

Faults, SQLite-style (every call the save makes, not only the first):
  - strace -e inject: each write, fsync, close, openat and read that touches
    our files fails in turn (ENOSPC, EIO, EACCES), and rename fails with EXDEV
    and EACCES (render, which writes thousands of blocks: the first two and
    the last two calls of each kind);
  - a file-size limit (RLIMIT_FSIZE, the shell's ulimit -f) that gives EFBIG;
  - inside unshare -m: a 64 KB tmpfs filled up (ENOSPC), and the same tmpfs
    remounted read-only (EROFS).
A kind of fault whose tool is missing or not permitted is skipped with a
message; when every kind is skipped the script exits 77 (ctest's skip code).

When QUAVERLY_SETTINGS_PROBE names the settings-saving test program, the
window's settings store gets the same strace faults: each run saves one value
over an existing settings file, which must stay byte for byte unless the
save is reported as done (QSettings alone reports a write cut short by a
full disk as success and leaves an empty file).
"""
import json
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
OLD_BYTES = b"the previous contents of this file, which must survive\n" * 4
ENVIRONMENT = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:" + os.environ.get("ASAN_OPTIONS", ""))


def sjis(text):
    return text.encode("cp932")


def melody_text(scores):
    lines = ["$T", "障害試験", "$t", "120", "$C", "(c) test", "$D", "20240101"]
    for number, score in enumerate(scores, start=1):
        lines += ["$%d" % number, "-1 - ピアノ", "-63", score]
    return sjis("\r\n".join(lines) + "\r\n")


def japanese(text):
    return any("\u3040" <= c <= "\u30ff" or "\u4e00" <= c <= "\u9fff" for c in text)


class Fixture:
    """Input files in one folder, and the save commands with their outputs."""

    def __init__(self, cli, folder):
        self.cli = cli
        self.folder = folder
        # Outputs above 1 KB, so that the file-size limit below bites in every case.
        notes = "ドレミファソラシド▲" * 40
        self.write("song.tml", melody_text([notes, "●２" + notes, "", "ラ▼８" * 60]))
        self.run_or_die(["build", self.path("song.tml"), "-o", self.path("song.mld")])
        self.write("song.pmr", bytes(192) + self.read("song.mld"))
        self.write("tune.c99", b"".join(b"%d,240,%d\r\n" % (60 + i % 24, i % 4) for i in range(400)))
        self.run_or_die(["mail", self.path("song.mld"), "-o", self.path("mail.txt")])
        # name, arguments before "-o", extension of the written file
        self.commands = [
            ("build", ["build", self.path("song.tml")], ".mld"),
            ("import .c99", ["import", self.path("tune.c99")], ".mld"),
            ("import .pmr", ["import", self.path("song.pmr")], ".mld"),
            ("unmail", ["unmail", self.path("mail.txt")], ".mld"),
            ("midi", ["midi", self.path("song.mld")], ".mid"),
            ("text", ["text", self.path("song.mld")], ".tml"),
            ("mail", ["mail", self.path("song.mld")], ".txt"),
        ]
        # Audio files: an encoder's stream serial numbers differ from run to
        # run, so a save that succeeds is judged by being a new file whole.
        self.render_commands = [
            ("render %s" % extension, ["render", self.path("song.mld"), "--repeat", "2"], extension)
            # Two formats: every encoder writes through the same replacement
            # file, and each render under strace costs seconds.
            for extension in (".wav", ".ogg")
        ]
        self.expected = {}
        for name, arguments, extension in self.render_commands:
            self.expected[name] = None
        for name, arguments, extension in self.commands:
            target = self.path("expected" + extension)
            self.run_or_die(arguments + ["-o", target])
            self.expected[name] = self.read("expected" + extension)
            os.remove(target)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as file:
            file.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as file:
            return file.read()

    def run_or_die(self, arguments):
        result = subprocess.run([self.cli] + arguments, capture_output=True, env=ENVIRONMENT)
        if result.returncode != 0:
            sys.exit("cannot prepare the fixture: %s: %s" % (arguments, result.stderr.decode(errors="replace")))


class Report:
    def __init__(self):
        self.passed = 0
        self.failed = []
        self.skipped = []
        self.lines = []

    def check(self, case, problems, left):
        if problems:
            self.failed.append("%s: %s" % (case, "; ".join(problems)))
            self.lines.append("FAIL  %-58s %s" % (case, "; ".join(problems)))
        else:
            self.passed += 1
            self.lines.append("ok    %-58s %s" % (case, left))

    def skip(self, kind, reason):
        self.skipped.append(kind)
        self.lines.append("skipped %s: %s" % (kind, reason))


def judge(result, trial, target, expected, fault_hit=True, old=OLD_BYTES):
    """The problems of one run, and a description of what it left on disk."""
    problems = []
    stderr = result.stderr.decode("utf-8", errors="replace").strip()
    names = sorted(os.listdir(trial))
    strays = [n for n in names if n != os.path.basename(target)]
    if strays:
        problems.append("stray files %s" % strays)
    content = open(target, "rb").read() if os.path.exists(target) else None
    if result.returncode < 0:
        problems.append("killed by signal %d" % -result.returncode)
    elif result.returncode == 0:
        if fault_hit:
            problems.append("reported success")
        if content != expected if expected is not None else content in (None, b"", old):
            problems.append("success but the target is not the new file")
        left = "saved (fault missed the save)"
    else:
        if content != old:
            problems.append("target changed" if content is not None else "target removed")
        if not japanese(stderr):
            problems.append("no Japanese message (stderr %r)" % stderr[:80])
        left = "exit %d, %s, no temporary; %s" % (result.returncode, "old target intact" if old else "no file", stderr.splitlines()[-1][:40] if stderr else "")
    return problems, left


def fresh_trial(root, extension, existing=True):
    trial = tempfile.mkdtemp(dir=root)
    target = os.path.join(trial, "out" + extension)
    if existing:
        with open(target, "wb") as file:
            file.write(OLD_BYTES)
    return trial, target


INJECTIONS = [  # syscalls (one counter each), errno
    (["write"], "ENOSPC"),
    (["fsync", "fdatasync"], "EIO"),
    (["close"], "EIO"),
    (["openat"], "EACCES"),
    (["read"], "EIO"),
    (["rename", "renameat", "renameat2"], "EXDEV"),
    (["rename", "renameat", "renameat2"], "EACCES"),
    # The replacement takes the old file's mode; one it cannot set is a failure.
    (["fchmod"], "EPERM"),
]
CALL = re.compile(r"^(?:\d+ +)?(\w+)\(")


def strace_calls(log, syscalls):
    """(syscall, index among that syscall's calls) of each traced call in the log, with its line."""
    counts = {}
    calls = []
    with open(log, errors="replace") as file:
        for line in file:
            match = CALL.match(line)
            if not match or match.group(1) not in syscalls:
                continue
            name = match.group(1)
            counts[name] = counts.get(name, 0) + 1
            calls.append((name, counts[name], line.rstrip()))
    return calls


def strace_cases(fixture, root, report):
    if shutil.which("strace") is None:
        report.skip("strace injections", "strace is not installed")
        return
    probe = subprocess.run(["strace", "-qq", "-o", os.devnull, "true"], capture_output=True)
    if probe.returncode != 0:
        report.skip("strace injections", "strace is not permitted here: %s" % probe.stderr.decode(errors="replace").strip())
        return
    commands = fixture.commands + fixture.render_commands
    if os.environ.get("QUAVERLY_SANITIZED") == "1":
        # A sanitizer's runtime makes system calls of its own from render's two
        # threads, so a call counted in one run is not the same call in the next.
        report.skip("render under strace", "the sanitizer build's call counts move from run to run")
        commands = fixture.commands
    for name, arguments, extension in commands:
        for syscalls, error in INJECTIONS:
            # Find every call of these syscalls that touches our files, then fail each in turn.
            trial, target = fresh_trial(root, extension)
            log = os.path.join(root, "discover.log")
            traced = ",".join(syscalls)
            subprocess.run(["strace", "-f", "-qq", "-y", "-o", log, "-e", "trace=" + traced, fixture.cli]
                           + arguments + ["-o", target], capture_output=True, env=ENVIRONMENT)
            ours = [(call, index) for call, index, line in strace_calls(log, syscalls)
                    if fixture.folder in line or trial in line]
            if name.startswith("render") and len(ours) > 4:
                ours = ours[:2] + ours[-2:]
            shutil.rmtree(trial)
            # Each failure with an existing target; the first also without one.
            runs = [(call, index, True) for call, index in ours] + [(call, index, False) for call, index in ours[:1]]
            if syscalls == ["fchmod"]:
                runs = [run for run in runs if run[2]]  # a new file takes no old mode
            for call, index, existing in runs:
                # render runs two threads, and the C library now and then reads one more
                # file of its own (/proc/sys/vm/overcommit_memory) when one thread frees
                # memory of the other's: a call count that misses our file is tried again,
                # aimed at where the same call on our files came in the run that missed.
                ordinal = [i for c, i in ours if c == call].index(index)
                aim = index
                for attempt in range(8 if name.startswith("render") else 1):
                    if attempt > 0:
                        shutil.rmtree(trial)
                    trial, target = fresh_trial(root, extension, existing)
                    result = subprocess.run(
                        ["strace", "-f", "-qq", "-y", "-o", log, "-e", "trace=" + call,
                         "-e", "inject=%s:error=%s:when=%d" % (call, error, aim), fixture.cli]
                        + arguments + ["-o", target], capture_output=True, env=ENVIRONMENT)
                    traced = strace_calls(log, [call])
                    injected = [line for _, _, line in traced if "(INJECTED)" in line]
                    hit = bool(injected) and (fixture.folder in injected[0] or trial in injected[0])
                    if hit:
                        break
                    moved = [i for _, i, line in traced if fixture.folder in line or trial in line]
                    if ordinal < len(moved):
                        aim = moved[ordinal]
                # A failed sync of the folder after the rename loses nothing: the save stands.
                # A failed sync of the folder after the rename, or a failed close of an
                # input that was read whole, loses nothing: the save stands.
                harmless = hit and (re.search(r'[<"]%s[>"]' % re.escape(trial), injected[0]) is not None
                                    or (call == "close" and fixture.folder in injected[0]))
                case = "%s: %s #%d %s%s" % (name, call, index, error, "" if existing else ", no target before")
                problems, left = judge(result, trial, target, fixture.expected[name], fault_hit=hit and not harmless,
                                       old=OLD_BYTES if existing else None)
                if not hit:
                    problems.append("the fault did not land on our file")
                report.check(case, problems, left)
                shutil.rmtree(trial)


def settings_cases(probe, root, report):
    if shutil.which("strace") is None or subprocess.run(["strace", "-qq", "-o", os.devnull, "true"],
                                                        capture_output=True).returncode != 0:
        report.skip("settings store", "strace is not installed or not permitted")
        return
    save = ["Midi/EditTempo", "123"]

    def prepared():
        trial = tempfile.mkdtemp(dir=root)
        target = os.path.join(trial, "Quaverly.conf")
        for key, value in (("FormMainWinPlace1", "abc"), ("Midi/EditTempo", "100")):
            subprocess.run([probe, target, key, value], check=True, capture_output=True, env=ENVIRONMENT)
        return trial, target

    trial, target = prepared()
    old = open(target, "rb").read()
    subprocess.run([probe, target] + save, check=True, capture_output=True, env=ENVIRONMENT)
    expected = open(target, "rb").read()
    shutil.rmtree(trial)
    log = os.path.join(root, "settings.log")
    for syscalls, error in INJECTIONS:
        trial, target = prepared()
        subprocess.run(["strace", "-f", "-qq", "-y", "-o", log, "-e", "trace=" + ",".join(syscalls), probe, target]
                       + save, capture_output=True, env=ENVIRONMENT)
        ours = [(call, index) for call, index, line in strace_calls(log, syscalls) if trial in line]
        shutil.rmtree(trial)
        for call, index in ours:
            trial, target = prepared()
            result = subprocess.run(
                ["strace", "-f", "-qq", "-y", "-o", log, "-e", "trace=" + call,
                 "-e", "inject=%s:error=%s:when=%d" % (call, error, index), probe, target] + save,
                capture_output=True, env=ENVIRONMENT)
            injected = [line for _, _, line in strace_calls(log, [call]) if "(INJECTED)" in line]
            hit = bool(injected) and trial in injected[0]
            # A failed sync of the folder after the rename loses nothing: the save stands.
            # QSettings ignores a failed read at the end of a file, a failed close
            # of a file and its own data sync (the store syncs the file itself
            # before the rename), and the store reads the old file twice (at its
            # load and again at the save): such a save may still be whole, and is
            # then judged by what it left on disk. Qt sets the new settings
            # file's mode itself and goes on when that fails: its contents stand.
            harmless = hit and (re.search(r'[<"]%s[>"]' % re.escape(trial), injected[0]) is not None
                                or call in ("read", "close", "fdatasync", "fchmod")
                                or (call == "openat" and "O_RDONLY" in injected[0]))
            problems, left = judge(result, trial, target, expected, fault_hit=hit and not harmless, old=old)
            if not hit:
                problems.append("the fault did not land on our file")
            report.check("settings: %s #%d %s" % (call, index, error), problems, left)
            shutil.rmtree(trial)


def file_size_limit_cases(fixture, root, report):
    limit = 1024  # bytes: every output is larger (ulimit -f 1)

    def limited():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))

    for name, arguments, extension in fixture.commands + fixture.render_commands:
        trial, target = fresh_trial(root, extension)
        result = subprocess.run([fixture.cli] + arguments + ["-o", target], capture_output=True,
                                env=ENVIRONMENT, preexec_fn=limited)
        problems, left = judge(result, trial, target, fixture.expected[name])
        report.check("%s: file size limit 1 KB (EFBIG)" % name, problems, left)
        shutil.rmtree(trial)


def inside_namespace(cli, fixture_folder, commands_json):
    """Runs in a private mount namespace: the tmpfs cases; prints JSON results."""
    commands = json.loads(commands_json)
    results = []
    mount_point = tempfile.mkdtemp()
    for name, arguments, extension, expected_path in commands:
        for kind in ("full", "read-only"):
            subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", mount_point], check=True)
            target = os.path.join(mount_point, "out" + extension)
            with open(target, "wb") as file:
                file.write(OLD_BYTES)
            filler = os.path.join(mount_point, "filler")
            if kind == "full":
                with open(filler, "wb", buffering=0) as file:
                    try:
                        while True:
                            file.write(b"\0" * 512)
                    except OSError:
                        pass
            else:
                subprocess.run(["mount", "-o", "remount,ro", mount_point], check=True)
            result = subprocess.run([cli] + arguments + ["-o", target], capture_output=True, env=ENVIRONMENT)
            if kind == "full":
                os.remove(filler)
            expected = open(expected_path, "rb").read() if expected_path else None
            problems, left = judge(result, mount_point, target, expected)
            results.append(["%s: tmpfs 64 KB %s" % (name, "filled up (ENOSPC)" if kind == "full" else "read-only (EROFS)"),
                            problems, left])
            subprocess.run(["umount", mount_point], check=True)
    os.rmdir(mount_point)
    print(json.dumps(results))


def tmpfs_cases(fixture, root, report):
    if shutil.which("unshare") is None or shutil.which("mount") is None:
        report.skip("tmpfs cases", "unshare or mount is not installed")
        return
    probe = subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-c",
                            "mount -t tmpfs -o size=64k tmpfs %s" % root], capture_output=True)
    if probe.returncode != 0:
        report.skip("tmpfs cases", "a private tmpfs is not permitted here: %s"
                    % probe.stderr.decode(errors="replace").strip())
        return
    commands = []
    for name, arguments, extension in fixture.commands + fixture.render_commands:
        expected_path = None
        if fixture.expected[name] is not None:
            expected_path = os.path.join(root, "expected-" + name.replace(" ", "_").replace(".", ""))
            with open(expected_path, "wb") as file:
                file.write(fixture.expected[name])
        commands.append([name, arguments, extension, expected_path])
    result = subprocess.run(["unshare", "-m", "--propagation", "private", sys.executable, __file__,
                             "--inside-namespace", fixture.cli, fixture.folder, json.dumps(commands)],
                            capture_output=True)
    if result.returncode != 0:
        report.check("tmpfs cases", ["the namespace run failed: %s" % result.stderr.decode(errors="replace")[-300:]], "")
        return
    for case, problems, left in json.loads(result.stdout):
        report.check(case, problems, left)


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--inside-namespace":
        inside_namespace(sys.argv[2], sys.argv[3], sys.argv[4])
        return 0
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    cli = os.path.abspath(sys.argv[1])
    root = tempfile.mkdtemp(prefix="quaverly-faults-")
    try:
        fixture_folder = os.path.join(root, "inputs")
        os.mkdir(fixture_folder)
        fixture = Fixture(cli, fixture_folder)
        report = Report()
        strace_cases(fixture, root, report)
        probe = os.environ.get("QUAVERLY_SETTINGS_PROBE")
        if probe:
            settings_cases(os.path.abspath(probe), root, report)
        file_size_limit_cases(fixture, root, report)
        tmpfs_cases(fixture, root, report)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    for line in report.lines:
        print(line)
    if report.failed:
        print("\nfailures:\n  " + "\n  ".join(report.failed))
    print("%d passed, %d failed, %d skipped" % (report.passed, len(report.failed), len(report.skipped)))
    if report.failed:
        return 1
    if report.passed == 0:
        return SKIPPED
    return 0


if __name__ == "__main__":
    sys.exit(main())
