#!/usr/bin/env python3
"""Journeys: what a person does with the window program, end to end.

Each journey starts the real `quaverly` in a real X server (Xvfb with the
openbox window manager), works it with keys, typing and clicks through
xdotool, and checks the files on disk with `quaverly-cli` afterwards. Every
journey has its own X server and its own home, settings and data folders in
a temporary folder, so no setting or crash journal leaks between journeys or
from the user running them. Play goes to FluidSynth's file driver, which
writes fluidsynth.wav in the program's working folder (the journey's home).

Usage: journeys.py --window PATH --cli PATH --examples DIR --out DIR JOURNEY...
       journeys.py --list

Exit status: 0 every journey passed, 1 one failed (a screenshot of the
screen at the failure is left in DIR), 77 Xvfb or xdotool is missing.
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import wave

# No __pycache__ in the source folder.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import Desktop, JourneyFailure, Program, run, wait_for  # noqa: E402

# The file driver writes 16-bit stereo at 44100 Hz.
SOUND_BYTES_PER_SECOND = 44100 * 2 * 2
NOTES = ("ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ")


class Journey:
    """What every journey has: a desktop, a home, the tools and checks."""

    def __init__(self, args, name, folder, log):
        self.args = args
        self.name = name
        self.folder = folder
        self.log = log
        self.home = os.path.join(folder, "home")
        os.makedirs(self.home)
        self.desktop = Desktop(folder, log)
        self.programs = []
        self.failures = []

    # --- the program --------------------------------------------------------

    def start(self, *arguments):
        program = Program(self.desktop, self.args.window, self.home, arguments, self.log)
        self.programs.append(program)
        return program

    def close(self):
        for program in self.programs:
            program.stop()
        self.desktop.close()

    def path(self, name):
        return os.path.join(self.home, name)

    # --- the command-line tool ---------------------------------------------

    def cli(self, *arguments):
        completed = run([self.args.cli, *arguments], dict(os.environ), timeout=60)
        return completed.stdout.decode("utf-8", errors="replace")

    def build_example(self, example, target):
        self.cli("build", os.path.join(self.args.examples, example), "-o", target)
        return target

    def melody_text(self, path):
        """The melody text of a file as quaverly-cli reads it: section -> lines."""
        sections, current = {}, None
        for line in self.cli("text", path).splitlines():
            if line.startswith("$"):
                current = line
                sections[current] = []
            elif current is not None:
                sections[current].append(line)
        return sections

    def voice_score(self, path, voice=1):
        """The score line of a voice (after its tone and volume lines)."""
        lines = self.melody_text(path).get(f"${voice}", [])
        return lines[2] if len(lines) > 2 else ""

    def info(self, path):
        return dict(line.split(": ", 1) for line in self.cli("info", path).splitlines() if ": " in line)

    # --- what a person does ------------------------------------------------

    def click_page(self, program):
        """Clicks into the first voice's page, the large text field."""
        window = program.main_window()
        program.activate(window)
        _, _, width, height = program.geometry(window)
        program.click(window, width // 2, int(height * 0.3))
        program.key("ctrl+End")
        return window

    def click_tempo(self, program):
        """Clicks the tempo box, top left under the menu, and selects its text."""
        window = program.main_window()
        program.activate(window)
        program.click(window, 30, 38)
        program.key("ctrl+a")

    def page_text(self, program):
        """What the first page shows, copied as a person would copy it."""
        self.click_page(program)
        program.key("ctrl+a", "ctrl+c")
        text = wait_for("the page text on the clipboard", self.desktop.clipboard_text, timeout=10)
        program.key("ctrl+End")
        return text

    def answer(self, program, keys, title="Quaverly", timeout=30.0):
        """Waits for a message box and answers it with the keys given."""
        box = program.dialog(title, timeout=timeout)
        program.activate(box)
        program.key(*keys)
        wait_for(f"the box {title!r} to close", lambda: all(w.wid != box.wid for w in program.windows()))

    def save_in_dialog(self, program, path, title="名前を付けて保存"):
        """Types the full path into the file dialog's name field and accepts it."""
        dialog = program.dialog(title)
        program.activate(dialog)
        program.key("ctrl+a")
        program.type(path)
        program.key("Return")
        wait_for(f"the dialog {title!r} to close", lambda: all(w.wid != dialog.wid for w in program.windows()))

    def wait_for_file(self, path, timeout=15):
        try:
            wait_for(f"{path} to be written", lambda: os.path.isfile(path) and os.path.getsize(path) > 0, timeout)
        except JourneyFailure:
            if os.path.isfile(path):
                raise JourneyFailure(f"{os.path.basename(path)} was written with {os.path.getsize(path)} bytes")
            raise

    def expect(self, condition, message):
        """A check the journey cannot go on without."""
        if not condition:
            raise JourneyFailure(message)

    def check(self, condition, message):
        """A check that fails the journey at its end, so that the steps after
        it still run and show what else goes wrong."""
        if not condition:
            self.failures.append(message)
            print(f"{self.name}: {message}", flush=True)
            self.desktop.screenshot(os.path.join(self.args.out, f"{self.name}-check-{len(self.failures)}.png"))


def note_names(score):
    """The note names of a score line in order, without lengths or marks."""
    return re.findall("|".join(sorted(NOTES, key=len, reverse=True)), score)


def count_notes(score):
    names = note_names(score)
    return {note: names.count(note) for note in NOTES}


def midi_file(notes, division=96):
    """A format-0 Standard MIDI File: one quarter note per key, channel 1."""
    events = bytes([0x00, 0xFF, 0x51, 0x03]) + (500000).to_bytes(3, "big")
    for key in notes:
        events += bytes([0x00, 0x90, key, 100]) + bytes([0x60, 0x80, key, 0])
    events += bytes([0x00, 0xFF, 0x2F, 0x00])
    return (b"MThd" + struct.pack(">IHHH", 6, 0, 1, division) + b"MTrk" + struct.pack(">I", len(events)) + events)


# --- the journeys ----------------------------------------------------------

def first_song(j):
    """New document, type ドレミファソ, Save As, はい, a name; the file holds the
    five notes, and the program started on it shows the same page."""
    program = j.start()
    window = program.main_window()
    j.check("無題" in window.title, f"a new document is titled {window.title!r}, not 無題")
    j.click_page(program)
    program.type("cdefg")
    typed = j.page_text(program)
    j.expect(typed == "ドレミファソ", f"the letter keys typed {typed!r}")
    title = program.title()
    j.check(title.startswith("無題*"), f"the edited new document is titled {title!r}, without 無題 and its mark")

    with open(j.log.name, errors="replace") as output:
        warnings = [line.strip() for line in output if "QWidget::" in line or "QObject::" in line]
    j.check(not warnings, f"typing made Qt warn: {warnings[:1]}")

    program.key("ctrl+shift+s")
    j.answer(program, ["alt+y"])  # 音譜解析を行っていません。いいですか？
    target = j.path("first.mld")
    j.save_in_dialog(program, target)
    j.wait_for_file(target)
    score = j.voice_score(target)
    j.expect(note_names(score) == ["ド", "レ", "ミ", "ファ", "ソ"], f"the saved file's first voice is {score!r}")
    wait_for("the file name in the title", lambda: program.title().startswith("first.mld"), timeout=10)

    program.key("ctrl+q")
    program.wait_exit()
    reopened = j.start(target)
    title = reopened.main_window().title
    j.expect(title.startswith("first.mld") and "*" not in title, f"the reopened file is titled {title!r}")
    shown = j.page_text(reopened)
    j.expect(shown == score, f"the reopened page shows {shown!r}, the file holds {score!r}")


def midi_export(j):
    """New document, type ドレミファソ, Ctrl+Shift+M, はい, a name: the MIDI
    file plays the five notes (read back by quaverly-cli import)."""
    program = j.start()
    j.click_page(program)
    program.type("cdefg")
    program.key("ctrl+shift+m")
    j.answer(program, ["alt+y"])  # 音譜解析を行っていません。いいですか？
    target = j.path("first.mid")
    j.save_in_dialog(program, target)
    j.wait_for_file(target)
    program.no_dialog(timeout=10)
    back = j.path("back.mld")
    j.cli("import", target, "-o", back)
    score = j.voice_score(back)
    j.expect(note_names(score) == ["ド", "レ", "ミ", "ファ", "ソ"], f"the MIDI file's first voice reads back as {score!r}")


def overwrite_guard(j):
    """Open a melody, add notes, a tempo the analysis refuses: F9 and Ctrl+S
    refuse and leave the file alone; the tempo back, Ctrl+S and はい: the file
    is a melody with the new notes."""
    target = j.build_example("kaeru.tml", j.path("kaeru.mld"))
    before = count_notes(j.voice_score(target))
    with open(target, "rb") as melody:
        original = melody.read()
    program = j.start(target)
    program.main_window()
    j.click_page(program)
    program.type("cde")

    j.click_tempo(program)
    program.type("0")
    program.key("F9")
    j.answer(program, ["Return"])  # the refusal
    j.expect(open(target, "rb").read() == original, "a refused analysis changed the file")
    # Saving pages the analysis refuses shows the refusal and writes nothing.
    program.activate(program.main_window())
    program.key("ctrl+s")
    j.answer(program, ["alt+y"])  # 音譜解析を行っていません。いいですか？
    try:
        j.answer(program, ["Return"], timeout=10)  # the refusal, as F9 shows it
    except JourneyFailure:
        changed = open(target, "rb").read() != original
        raise JourneyFailure("Ctrl+S of pages the analysis refuses showed no refusal"
                             + (" and changed the file" if changed else ""))
    program.no_dialog(timeout=10)
    j.expect(open(target, "rb").read() == original, "Ctrl+S of pages the analysis refuses changed the file")

    j.click_tempo(program)
    program.type("125")
    program.key("ctrl+s")
    j.answer(program, ["alt+y"])  # 音譜解析を行っていません。いいですか？
    program.no_dialog(timeout=10)
    wait_for("the saved file", lambda: count_notes(j.voice_score(target)) != before, timeout=15)
    info = j.info(target)
    j.expect(info.get("Tempo") == "125", f"the saved tempo is {info.get('Tempo')!r}")
    after = count_notes(j.voice_score(target))
    for note in ("ド", "レ", "ミ"):
        j.expect(after[note] == before[note] + 1, f"the saved file has {after[note]} {note}, not {before[note] + 1}")


def closing_unsaved(j):
    """Ctrl+Q with unsaved work: 保存 saves and ends; Enter discards nothing."""
    target = j.build_example("kaeru.tml", j.path("song.mld"))
    before = count_notes(j.voice_score(target))
    program = j.start(target)
    j.click_page(program)
    program.type("cde")
    program.key("ctrl+q")
    j.answer(program, ["alt+s"])  # 保存
    # The save may ask whether to go on without an analysis: はい.
    wait_for("the program to end or ask", lambda: not program.alive() or any(
        w.kind == "dialog" for w in program.windows()))
    if program.alive():
        j.answer(program, ["alt+y"])
    try:
        program.wait_exit(timeout=15)
    except JourneyFailure:
        raise JourneyFailure("保存 on closing left the program open: the save did not take the new notes")
    after = count_notes(j.voice_score(target))
    j.expect(after["ド"] == before["ド"] + 1, f"保存 on closing did not save the new notes: {after} after {before}")
    saved = open(target, "rb").read()

    program = j.start(target)
    j.click_page(program)
    program.type("gab")
    edited = j.page_text(program)
    program.key("ctrl+q")
    j.answer(program, ["Return"])
    # Enter must neither discard nor lead on to another question.
    time.sleep(1.0)
    if program.alive():
        j.expect(not any(w.kind == "dialog" for w in program.windows()),
                 f"Enter on the loss question led to another question: {program.windows()}")
        shown = j.page_text(program)
        j.expect(shown == edited, f"after Enter the page shows {shown!r}, not {edited!r}")
        j.expect(open(target, "rb").read() == saved, "Enter on the loss question changed the file")
    else:
        after = count_notes(j.voice_score(target))
        j.expect(after["ソ"] == before["ソ"] + 1, "Enter on the loss question discarded the new notes")


def journal_folder(j):
    return os.path.join(j.home, ".local/share/Fernwick/Quaverly/journal")


def journals(j):
    folder = journal_folder(j)
    return sorted(name for name in os.listdir(folder) if name.endswith(".journal")) if os.path.isdir(folder) else []


def crash(j):
    """Type, the journal is written, kill -9; the next start offers the work,
    a second crash while it asks keeps the offer, Yes brings the page back."""
    program = j.start()
    j.click_page(program)
    program.type("cdefg")
    wait_for("the crash journal", lambda: f"{program.pid}.journal" in journals(j), timeout=15)
    program.kill()

    asked = j.start()
    asked.dialog()  # 前回の作業が保存されずに終わっています…
    # The person reads the question for a while; all that time the work
    # must stay on disk, since a crash now must offer it again.
    reading_until = time.monotonic() + 3.0
    while time.monotonic() < reading_until:
        j.expect(journals(j), "the journal vanished while the restore question was open")
        time.sleep(0.1)
    asked.kill()
    j.expect(journals(j), "a crash while the restore question was open lost the journal")

    restored = j.start()
    j.answer(restored, ["alt+y"])
    restored.main_window()
    shown = j.page_text(restored)
    j.expect(shown == "ドレミファソ", f"the restored page shows {shown!r}")
    wait_for("the restored work journaled by the new process",
             lambda: f"{restored.pid}.journal" in journals(j), timeout=15)
    title = restored.title()
    j.check("*" in title, f"the restored, unsaved document is titled {title!r}, without the mark")

    # Another crash, then two starts at once: one question for the one
    # journal, and neither main window above it.
    restored.kill()
    pair = [j.start(), j.start()]
    wait_for("a restore question", lambda: any(w.kind == "dialog" for p in pair for w in p.windows()))
    time.sleep(2.0)  # both starts have looked at the journal folder by now
    questions = [(p, w) for p in pair for w in p.windows() if w.kind == "dialog"]
    j.expect(len(questions) == 1, f"two starts show {len(questions)} restore questions")
    asking, question = questions[0]
    stacking = j.desktop.stacking()
    mains = [w.wid for p in pair for w in p.windows() if w.kind == "normal"]
    j.check(question.wid in stacking and all(stacking.index(question.wid) > stacking.index(m) for m in mains
                                             if m in stacking),
            "a main window covers the restore question")
    j.answer(asking, ["alt+y"])
    shown = j.page_text(asking)
    j.expect(shown == "ドレミファソ", f"restored once more, the page shows {shown!r}")


def import_and_open(j):
    """Import a MIDI file, save it, reopen it; a file that is no melody is
    refused and leaves the document as it was."""
    source = j.path("song.mid")
    with open(source, "wb") as out:
        out.write(midi_file([60, 62, 64, 65]))
    reference = j.path("reference.mld")
    j.cli("import", source, "-o", reference)

    program = j.start()
    window = program.main_window()
    program.activate(window)
    program.key("alt+f")
    program.key("m")  # MIDI読み込み
    j.save_in_dialog(program, source, title="開く")
    j.answer(program, ["Return"], title="MIDI読み込み")  # the channels as offered
    j.answer(program, ["Return"])  # the import report
    program.key("ctrl+shift+s")
    target = j.path("imported.mld")
    j.save_in_dialog(program, target)
    j.wait_for_file(target)
    j.expect(j.melody_text(target) == j.melody_text(reference),
             "the window's import saved another melody than quaverly-cli import makes")
    score = j.voice_score(target)
    j.expect(note_names(score) == ["ド", "レ", "ミ", "ファ"], f"the imported first voice is {score!r}")
    program.key("ctrl+q")
    program.wait_exit()

    program = j.start(target)
    shown = j.page_text(program)
    j.expect(shown == score, f"the reopened import shows {shown!r}, the file holds {score!r}")

    broken = j.path("broken.mld")
    with open(broken, "wb") as out:
        out.write(b"this is no melody at all\n" * 10)
    program.type("cde")
    edited = j.page_text(program)
    title = program.title()
    program.key("ctrl+o")
    j.answer(program, ["alt+y"])  # 現在の音譜はなくなります。いいですか？
    select = program.dialog("mldファイル選択")
    program.activate(select)
    # The listing of the current file's folder, sorted by name: broken.mld first.
    program.click(select, 234, 24)
    program.click(select, -134, -21)  # OK
    j.answer(program, ["Return"])  # データ形式が異常です
    j.expect(program.title() == title, f"the refused file changed the title to {program.title()!r}")
    shown = j.page_text(program)
    j.expect(shown == edited, f"after the refused file the page shows {shown!r}, not {edited!r}")


def text_import(j):
    """他形式読み込み of a melody text file (".tml"), then Save As: the file
    holds the melody quaverly-cli builds from the same text, and the window
    started on it shows the same first page."""
    source = j.path("kaeru.tml")
    shutil.copyfile(os.path.join(j.args.examples, "kaeru.tml"), source)
    reference = j.build_example("kaeru.tml", j.path("reference.mld"))

    program = j.start()
    window = program.main_window()
    program.activate(window)
    program.key("alt+f")
    program.key("i")  # 他形式読み込み
    j.save_in_dialog(program, source, title="開く")
    title = wait_for("the imported title", lambda: "無題" in program.title() and program.title(), timeout=20)
    j.check("*" in title, f"the imported melody is titled {title!r}, without its unsaved mark")
    program.key("ctrl+shift+s")
    target = j.path("imported.mld")
    j.save_in_dialog(program, target)
    j.wait_for_file(target)
    j.expect(j.melody_text(target) == j.melody_text(reference),
             "the imported melody text saved another melody than quaverly-cli build makes of it")
    score = j.voice_score(target)
    program.key("ctrl+q")
    program.wait_exit()

    program = j.start(target)
    shown = j.page_text(program)
    j.expect(shown == score, f"the reopened import shows {shown!r}, the file holds {score!r}")


def ringtone_text(j):
    """An RTTTL tune through 他形式読み込み (its one voice as the MIDI read
    dialog offers it) and Save As: the file holds what quaverly-cli import
    makes of the tune; then RTTTL書き出し and MML書き出し write what
    quaverly-cli writes of the saved file, and the RTTTL is the tune again."""
    tune = "Tune:d=8,o=5,b=140:c,d,e,4f,p,g.,16a,2c6"
    source = j.path("tune.rtttl")
    with open(source, "w") as out:
        out.write(tune + "\n")
    reference = j.path("reference.mld")
    j.cli("import", source, "-o", reference)

    program = j.start()
    program.activate(program.main_window())
    program.key("alt+f")
    program.key("i")  # 他形式読み込み
    j.save_in_dialog(program, source, title="開く")
    j.answer(program, ["Return"], title="RTTTL・MML読み込み")  # the voice as offered
    j.answer(program, ["Return"])  # the import report
    program.key("ctrl+shift+s")
    target = j.path("imported.mld")
    j.save_in_dialog(program, target)
    j.wait_for_file(target)
    j.expect(j.melody_text(target) == j.melody_text(reference),
             "the window's RTTTL import saved another melody than quaverly-cli import makes")

    program.activate(program.main_window())
    program.key("alt+f")
    program.key("t")  # RTTTL書き出し
    rtttl = j.path("out.rtttl")
    j.save_in_dialog(program, rtttl)
    j.wait_for_file(rtttl)
    j.answer(program, ["Return"])  # what was changed
    with open(rtttl) as written:
        text = written.read().strip()
    j.expect(text == j.cli("rtttl", target).strip(), f"the window wrote {text!r}, quaverly-cli another RTTTL")
    j.expect(text == tune, f"the tune came back as {text!r}")

    program.activate(program.main_window())
    program.key("alt+f")
    program.key("l")  # MML書き出し
    mml = j.path("out.mml")
    j.save_in_dialog(program, mml)
    j.wait_for_file(mml)
    j.answer(program, ["Return"])
    with open(mml, "rb") as written:
        j.expect(written.read().decode("ascii") == j.cli("mml", target).replace("\n", "\r\n").replace("\r\r", "\r"),
                 "the window wrote another MML than quaverly-cli")


def mfi_file(title, tracks):
    """A melody file of another maker: version 3.1, 4-byte notes, the tracks'
    events as given (each ends itself)."""
    def chunk(tag, data, size_bytes):
        return tag + len(data).to_bytes(size_bytes, "big") + data
    header = bytes([1, 1, len(tracks)]) + chunk(b"vers", b"0301", 2) + chunk(b"titl", title, 2) + \
        chunk(b"note", bytes([0, 1]), 2)
    rest = len(header).to_bytes(2, "big") + header + b"".join(chunk(b"trac", events, 4) for events in tracks)
    return b"melo" + len(rest).to_bytes(4, "big") + rest


def mfi_note(delta, voice, note, gate, velocity=50):
    return bytes([delta, (voice << 6) | note, gate, velocity << 2])


def foreign_melody(j):
    """A melody file of another maker opens as it is (its name in the title
    bar, empty pages); Save asks and, left at its default, writes nothing;
    「編集用に取り込む」 folds it into voices, saved under a new name; the
    other maker's file stays byte for byte as it was."""
    tempo = bytes([0, 0xFF, 0xC3, 120])
    end = bytes([24, 0xFF, 0xDF, 0])
    melody = b"".join(mfi_note(0 if i == 0 else 24, 0, 27 + 2 * i, 24) for i in range(4))
    bass = mfi_note(0, 1, 15, 96, 40)
    source = j.path("ring.mld")
    original = mfi_file(b"Ring", [tempo + melody + end, bass + bytes([0, 0xFF, 0xDF, 0])])
    with open(source, "wb") as out:
        out.write(original)
    j.expect(j.info(source).get("Format", "").startswith("MFi"), "quaverly-cli does not read ring.mld as another maker's")

    program = j.start(source)
    window = program.main_window()
    program.activate(window)
    title = wait_for("the file's name in the title bar", lambda: "ring.mld" in program.title() and program.title(),
                     timeout=20)
    j.check("*" not in title, f"the melody shown as it is is marked unsaved: {title!r}")
    j.desktop.screenshot(os.path.join(j.args.out, "foreign_melody-shown.png"))
    # Its pages are read-only: typing changes nothing, not even the unsaved mark.
    j.click_page(program)
    program.type("cde")
    time.sleep(0.5)
    j.check(program.title() == title, f"typing into a page of the melody shown as it is made the title {program.title()!r}")

    program.key("ctrl+s")
    j.answer(program, ["Escape"])  # 上書きできません。編集用に取り込んで…保存しますか？ (No)
    time.sleep(0.5)
    j.check(all("保存" not in w.title for w in program.windows()), "Save's No still opened a save dialog")
    with open(source, "rb") as kept:
        j.check(kept.read() == original, "Save changed the other maker's file")

    program.activate(window)
    program.key("alt+e")
    program.key("i")  # ファイル情報設定: what the file is, read-only
    info = program.dialog("ファイル情報")
    j.desktop.screenshot(os.path.join(j.args.out, "foreign_melody-information.png"))
    program.activate(info)
    program.key("Return")
    wait_for("the file information to close", lambda: all(w.wid != info.wid for w in program.windows()))

    program.activate(window)
    program.key("alt+e")
    program.key("t")  # 編集用に取り込む
    j.answer(program, ["Return"], title="編集用に取り込む")  # the channels as offered
    j.answer(program, ["Return"])  # what the import kept and lost
    title = wait_for("the untitled import", lambda: "無題" in program.title() and program.title(), timeout=20)
    program.key("ctrl+shift+s")
    target = j.path("mine.mld")
    j.save_in_dialog(program, target)
    j.wait_for_file(target)
    score = j.voice_score(target)
    j.expect(sum(count_notes(score).values()) > 0, f"the saved import's first voice holds no notes: {score!r}")
    j.check("MFi" not in j.info(target).get("Format", ""), "the saved import is not in this program's own layout")
    with open(source, "rb") as kept:
        j.expect(kept.read() == original, "the other maker's file changed")
    program.key("ctrl+q")
    program.wait_exit()


def counted_loop(j):
    """A melody of another maker whose loop plays twice (by its file) is
    exported as audio from the window: the sound holds the intro, both passes
    and the rest of the melody, as long as quaverly-cli renders it and a loop
    longer than the melody's own length."""
    tempo = bytes([0, 0xFF, 0xC3, 120])  # 48 ticks a quarter, 120 a minute: 96 ticks a second
    melody = b"".join(mfi_note(0 if i == 0 else 24, 0, 27 + i, 24) for i in range(8))
    end = bytes([24, 0xFF, 0xDF, 0])
    loop = bytes([48, 0xFF, 0xDD, 0x00, 96, 0xFF, 0xDD, 0x01 | 2 << 2, 0, 0xFF, 0xDF, 0])  # ticks 48 to 144, twice
    source = j.path("counted.mld")
    with open(source, "wb") as out:
        out.write(mfi_file(b"Counted", [tempo + melody + end, loop]))
    reference = j.path("reference.wav")
    j.cli("wav", source, "-o", reference)
    with wave.open(reference) as rendered:
        wanted = rendered.getnframes() / rendered.getframerate()
    own = float(j.info(source).get("Length", "0 s").split()[0])

    program = j.start(source)
    program.activate(program.main_window())
    wait_for("the file's name in the title bar", lambda: "counted.mld" in program.title(), timeout=20)
    program.key("alt+f")
    program.key("u")  # 音声書き出し
    target = j.path("counted.flac")
    j.save_in_dialog(program, target)
    options = program.dialog("音声書き出し", timeout=30)
    program.activate(options)
    program.key("Return")
    j.wait_for_file(target, timeout=60)
    box = program.dialog("Quaverly", timeout=120)
    program.activate(box)
    program.key("Return")
    probe = run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", target],
                dict(os.environ), timeout=60)
    seconds = float(probe.stdout.decode("ascii", "replace").strip() or 0)
    j.check(abs(seconds - wanted) < 0.3, f"the window's export lasts {seconds:.2f} s, quaverly-cli's {wanted:.2f} s")
    j.check(seconds > own + 0.8, f"the export lasts {seconds:.2f} s: the second pass or the rest of the {own:.2f} s melody is missing")


def screen_pixels(j):
    """The whole screen as (width, height, RGB bytes), from a PPM screenshot."""
    data = run(["import", "-window", "root", "-depth", "8", "ppm:-"], j.desktop.env()).stdout
    magic, size, _, pixels = data.split(b"\n", 3)
    j.expect(magic == b"P6", "the screenshot is no PPM image")
    width, height = (int(value) for value in size.split())
    return width, height, pixels


def colour_runs(screen, matches, shortest):
    """Horizontal runs of at least `shortest` pixels whose colour matches:
    (x0, x1, y) in screen coordinates."""
    width, height, pixels = screen
    runs = []
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        start = None
        for x in range(width + 1):
            inside = x < width and matches(row[3 * x], row[3 * x + 1], row[3 * x + 2])
            if inside and start is None:
                start = x
            elif not inside and start is not None:
                if x - start >= shortest:
                    runs.append((start, x - 1, y))
                start = None
    return runs


def roll_click(j):
    """A click on a note of the piano roll outlines that note, not the next
    one, and selects its characters in the page."""
    target = j.build_example("kaeru.tml", j.path("kaeru.mld"))
    program = j.start(target)
    window = program.main_window()
    program.activate(window)
    time.sleep(1.0)
    # The first voice's gates are drawn solid in its blue; the legend's
    # square is shorter than any note at the first zoom.
    blue = colour_runs(screen_pixels(j), lambda r, g, b: abs(r - 30) < 12 and abs(g - 100) < 12 and abs(b - 220) < 12, 14)
    j.expect(blue, "the roll shows no note of the first voice")
    x0, x1, y = min(blue, key=lambda run: (run[0], run[2]))
    # The note's row: every run of the same note at that x.
    rows = [run[2] for run in blue if run[0] == x0 and run[1] == x1]
    clicked_x, clicked_y = (x0 + x1) // 2, (min(rows) + max(rows)) // 2
    j.desktop.xdotool("mousemove", str(clicked_x), str(clicked_y), "click", "1")
    time.sleep(1.0)
    # The clicked note is outlined in black: a dark line just above it, as
    # wide as the note, where nothing dark is drawn otherwise.
    top = min(rows)
    dark = [run for run in colour_runs(screen_pixels(j), lambda r, g, b: r < 70 and g < 70 and b < 70, 6)
            if top - 4 <= run[2] <= top and run[0] >= x0 - 4 and run[1] <= x1 + 4]
    j.expect(dark and max(run[1] - run[0] for run in dark) >= (x1 - x0) - 4,
             f"the click on the note at x {x0}..{x1}, y {top} outlined something else")
    # Its characters are selected in the page, which has the focus: a copy takes them.
    program.key("ctrl+c")
    copied = wait_for("the selection on the clipboard", j.desktop.clipboard_text, timeout=10)
    j.expect(copied == "ド４", f"the click selected {copied!r} in the page, not the first note ド４")


def sound_seconds(path):
    return os.path.getsize(path) / SOUND_BYTES_PER_SECOND if os.path.exists(path) else 0.0


def wait_sound_settled(path, quiet=1.0, timeout=60):
    """Waits until the sound file stops growing; returns its length in seconds."""
    last, since = -1.0, time.monotonic()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        now = sound_seconds(path)
        if now != last:
            last, since = now, time.monotonic()
        elif now > 0 and time.monotonic() - since >= quiet:
            return now
        time.sleep(0.1)
    raise JourneyFailure(f"the sound in {path} still grows after {timeout} s")


def play_and_help(j):
    """F5 plays and F5 stops; F6 plays from the cursor to the end; F1 opens help."""
    target = j.build_example("kaeru.tml", j.path("kaeru.mld"))
    # The whole melody's length, from the tool's rendering of it.
    wav = j.path("reference.wav")
    j.cli("wav", target, "-o", wav)
    with wave.open(wav) as reference:
        full = reference.getnframes() / reference.getframerate()
    os.remove(wav)
    sound = j.path("fluidsynth.wav")

    program = j.start(target)
    window = program.main_window()
    program.activate(window)
    if os.path.exists(sound):
        os.remove(sound)
    program.key("F5")
    wait_for("play to sound", lambda: sound_seconds(sound) > 1.0, timeout=20)
    program.key("F5")
    stopped = wait_sound_settled(sound)
    j.expect(stopped < full / 2, f"F5 did not stop the play: {stopped:.1f} s of {full:.1f} s sounded")

    j.click_page(program)
    os.remove(sound)
    program.key("F6")
    wait_for("play from the cursor to sound", lambda: sound_seconds(sound) > 0.5, timeout=20)
    from_cursor = wait_sound_settled(sound, quiet=1.5, timeout=full + 30)
    j.expect(from_cursor < full * 0.75,
             f"F6 at the page's end played {from_cursor:.1f} s, the whole melody is {full:.1f} s")
    j.expect(program.alive() and not any(w.kind == "dialog" for w in program.windows()),
             f"play left {program.windows()}")

    program.activate(program.main_window())
    program.key("F1")
    wait_for("the help window", lambda: any(w.title == "Quaverly ヘルプ" for w in program.windows()), timeout=20)


def iphone_ringtone(j):
    """Open a melody, 音声書き出し, a name ending in .m4r, OK in the options
    (the iPhone preset chosen for it): ffprobe reads AAC-LC at 44.1 kHz in an
    MPEG-4 audio container of brand "M4A " with the melody's title."""
    melody = j.build_example("kaeru.tml", j.path("kaeru.mld"))
    program = j.start(melody)
    program.activate(program.main_window())
    program.key("alt+f")
    program.key("u")
    target = j.path("kaeru.m4r")
    j.save_in_dialog(program, target)
    options = program.dialog("音声書き出し", timeout=30)
    program.activate(options)
    program.key("Return")
    j.wait_for_file(target, timeout=60)
    # The finishing message says where the ringtone is and how long it plays.
    box = program.dialog("Quaverly", timeout=120)
    program.activate(box)
    program.key("Return")
    wait_for("the finishing message to close", lambda: all(w.wid != box.wid for w in program.windows()))
    probe = run(["ffprobe", "-v", "error", "-show_entries",
                 "stream=codec_name,profile,sample_rate,channels:format_tags=major_brand,title",
                 "-of", "default=noprint_wrappers=1", target], dict(os.environ), timeout=60)
    facts = dict(line.split("=", 1) for line in probe.stdout.decode("utf-8", "replace").splitlines() if "=" in line)
    wanted = {"codec_name": "aac", "profile": "LC", "sample_rate": "44100", "channels": "2",
              "TAG:major_brand": "M4A "}
    for key, value in wanted.items():
        j.check(facts.get(key) == value, f"the ringtone's {key} is {facts.get(key)!r}, not {value!r}")
    j.check(bool(facts.get("TAG:title")), f"the ringtone has no title: {facts}")
def recent_and_undo(j):
    """A file opened once is offered again in ファイル → 最近使ったファイル at
    the next start; a note typed is taken back with 編集 → 元に戻す and
    brought again with やり直し, from the menu as a person who does not know
    the keys would; an audio export then says where it wrote and how long it
    plays."""
    target = j.build_example("kaeru.tml", j.path("kaeru.mld"))
    before = note_names(j.voice_score(target))
    first = j.start(target)
    first.activate(first.main_window())
    first.key("ctrl+q")
    j.answer(first, ["alt+y"])  # 現在の音譜はなくなります。いいですか？
    first.wait_exit()

    program = j.start()
    window = program.main_window()
    j.expect("無題" in window.title, f"the second start shows {window.title!r}, not a new document")
    program.activate(window)
    program.key("alt+f", "r", "1")
    wait_for("the recent file to open", lambda: program.title().startswith("kaeru.mld"), timeout=20)
    opened = j.page_text(program)
    j.expect(opened, "the recent file opened with an empty first page")

    j.click_page(program)
    program.type("c")
    j.expect(j.page_text(program) == opened + "ド", "the typed note is not at the page's end")
    program.key("alt+e", "u")  # 元に戻す
    undone = j.page_text(program)
    j.check(undone == opened, f"編集 → 元に戻す left {undone[-8:]!r}, the file's page ends {opened[-8:]!r}")
    program.key("alt+e", "r")  # やり直し
    redone = j.page_text(program)
    j.check(redone == opened + "ド", f"編集 → やり直し left {redone[-8:]!r}")

    # Ctrl+S on a document bound to a file saves over it without a dialog.
    program.key("ctrl+s")
    j.answer(program, ["alt+y"])  # 音譜解析を行っていません。いいですか？
    wait_for("the saved file to hold the new note",
             lambda: len(note_names(j.voice_score(target))) == len(before) + 1, timeout=20)

    program.activate(program.main_window())
    program.key("alt+f", "u")  # 音声書き出し
    sound = j.path("kaeru.wav")
    j.save_in_dialog(program, sound)
    j.answer(program, ["Return"], title="音声書き出し")
    box = program.dialog("Quaverly", timeout=120)
    j.check(os.path.isfile(sound) and os.path.getsize(sound) > 44, "the audio export wrote no sound")
    program.activate(box)
    program.key("Return")
    wait_for("the finishing message to close", lambda: all(w.wid != box.wid for w in program.windows()))


def whole_mail(j):
    """A whole mail pasted as it came from a mail program (headers, a greeting,
    the block quoted with 「> 」 in a reply, a signature after it): 編集 →
    メール取り込み finds the melody in it and shows the notes of the file it
    was made from."""
    target = j.build_example("kaeru.tml", j.path("kaeru.mld"))
    block = j.cli("mail", target).replace("\r\n", "\n").strip("\n").split("\n")
    mail = "\n".join(["From: friend@example.com", "To: me@example.com", "Subject: Re: melody",
                      "Content-Type: text/plain; charset=Shift_JIS", "", "Here it is again:", ""]
                     + ["> " + line for line in block]
                     + ["", "-- ", "A friend", "https://example.com/"]) + "\n"
    program = j.start()
    program.activate(program.main_window())
    j.desktop.set_clipboard_text(mail)
    program.key("alt+e", "p")  # メール取り込み
    shown = wait_for("the mail's melody on the first page", lambda: note_names(j.page_text(program)), timeout=30)
    wanted = note_names(j.voice_score(target))
    j.check(shown == wanted, f"the first page holds {len(shown)} notes, the file {len(wanted)}")


JOURNEYS = {
    "first_song": first_song,
    "midi_export": midi_export,
    "overwrite_guard": overwrite_guard,
    "closing_unsaved": closing_unsaved,
    "crash": crash,
    "import_and_open": import_and_open,
    "text_import": text_import,
    "ringtone_text": ringtone_text,
    "foreign_melody": foreign_melody,
    "counted_loop": counted_loop,
    "roll_click": roll_click,
    "play_and_help": play_and_help,
    "iphone_ringtone": iphone_ringtone,
    "recent_and_undo": recent_and_undo,
    "whole_mail": whole_mail,
}


def run_journey(args, name):
    folder = tempfile.mkdtemp(prefix=f"quaverly-journey-{name}-")
    log_path = os.path.join(args.out, f"{name}.log")
    journey = None
    started = time.monotonic()
    with open(log_path, "w") as log:
        try:
            journey = Journey(args, name, folder, log)
            JOURNEYS[name](journey)
            if journey.failures:
                raise JourneyFailure("; ".join(journey.failures))
            print(f"{name}: passed in {time.monotonic() - started:.1f} s")
            return True
        except Exception as error:  # a failure or a broken step: both end the journey
            shot = os.path.join(args.out, f"{name}-failure.png")
            if journey is not None:
                journey.desktop.screenshot(shot)
                windows = [w for p in journey.programs for w in p.windows()]
                print(f"{name}: windows at the failure: {windows}")
                # A program that ended by itself has no windows to show: say how it ended.
                for program in journey.programs:
                    status = program.process.poll()
                    if status is not None:
                        how = f"signal {-status}" if status < 0 else f"exit status {status}"
                        print(f"{name}: the program (pid {program.pid}) had ended: {how}")
            print(f"{name}: FAILED after {time.monotonic() - started:.1f} s: {error}")
            if not isinstance(error, JourneyFailure):
                traceback.print_exc()
            print(f"  screenshot: {shot}\n  program output: {log_path}")
            log.flush()
            with open(log_path, errors="replace") as output:
                tail = output.readlines()[-15:]
            print("".join(f"  | {line}" for line in tail), end="")
            return False
        finally:
            if journey is not None:
                journey.close()
            shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--window")
    parser.add_argument("--cli")
    parser.add_argument("--examples")
    parser.add_argument("--out", default=".")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("journeys", nargs="*")
    args = parser.parse_args()
    if args.list:
        print("\n".join(JOURNEYS))
        return 0
    missing = [tool for tool in ("Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing:
        print(f"skipped: {', '.join(missing)} not installed")
        return 77
    names = args.journeys or list(JOURNEYS)
    unknown = [name for name in names if name not in JOURNEYS]
    if unknown:
        parser.error(f"no such journey: {', '.join(unknown)}")
    for option in ("window", "cli", "examples", "out"):
        if getattr(args, option) is None:
            parser.error(f"--{option} is needed")
        setattr(args, option, os.path.abspath(getattr(args, option)))
    os.makedirs(args.out, exist_ok=True)
    results = [run_journey(args, name) for name in names]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
