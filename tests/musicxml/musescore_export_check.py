#!/usr/bin/env python3
"""MuseScore 3 as an independent reader of the MusicXML export.

Exports the example songs and random melodies (notes, rests, sharps and
flats, octave marks, dotted and triplet lengths, lengths of any number of
ticks, staccato and ties) with `quaverly-cli musicxml`, half of them as .mxl,
has MuseScore turn every score into a MIDI file in one batch job, and checks
that each MIDI file holds the melody's notes at the melody's onsets: the
compiled melody's events (`quaverly-cli seq`) against the notes MuseScore
plays. Exit 77 (skipped) when mscore3 or mido is missing.
"""
import argparse
import json
import os
import pathlib
import random
import shutil
import subprocess
import sys
import tempfile

HEADS = ["ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ", "●"]
MARKS = ["", "", "", "＃", "♭", "▲", "▼", "♯", "▲♭"]
LENGTHS = ["", "全", "２．", "２３", "２", "４．", "４３", "４", "８．", "８３", "８", "１６．", "１６３", "１６",
           "３２．", "３２３", "３２", "６４"]
ARTICULATIONS = ["", "", "＊", "Ｔ"]
TONES = ["1 - ピアノ", "41 - バイオリン", "74 - フルート", "25 - ギター"]


def random_page(rng):
    page = ""
    for _ in range(rng.randint(1, 50)):
        page += rng.choice(HEADS) + rng.choice(MARKS)
        page += "（%d）" % rng.randint(1, 300) if rng.random() < 0.15 else rng.choice(LENGTHS)
        page += rng.choice(ARTICULATIONS)
    return page


def melody_text(title, pages):
    lines = ["$T", title, "$t", "125", "$C", "", "$D", ""]
    for voice, page in enumerate(pages):
        lines += ["$%d" % (voice + 1), "-" + TONES[voice], "-63", page]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def melody_notes(cli, song, folder):
    """(onset in melody ticks, MIDI key) of every note the compiled melody sounds."""
    mld = folder / (song.stem + ".mld")
    subprocess.run([cli, "build", str(song), "-o", str(mld), "--quiet"], check=True, capture_output=True)
    seq = subprocess.run([cli, "seq", str(mld)], check=True, capture_output=True).stdout.decode()
    notes = []
    for line in seq.splitlines():
        time, _voice, note, gate = (int(field) for field in line.split())
        if note >= 0 and gate > 0:
            notes.append((time, note + 45))
    return sorted(notes)


def midi_notes(path):
    import mido
    midi = mido.MidiFile(str(path))
    notes = []
    for track in midi.tracks:
        tick = 0
        for message in track:
            tick += message.time
            if message.type == "note_on" and message.velocity > 0:
                notes.append((tick * 48 // midi.ticks_per_beat, message.note))
    return sorted(notes)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--examples", required=True)
    parser.add_argument("--random", type=int, default=24)
    arguments = parser.parse_args()
    mscore = shutil.which("mscore3") or shutil.which("musescore3")
    try:
        import mido  # noqa: F401
    except ImportError:
        # Debian's python3-mido, under another Python than the system's.
        sys.path.append("/usr/lib/python3/dist-packages")
        try:
            import mido  # noqa: F401,F811
        except ImportError:
            mscore = None
    if not mscore:
        print("SKIP: mscore3 (Debian musescore3) or python3-mido is not installed")
        return 77

    folder = pathlib.Path(tempfile.mkdtemp(prefix="musicxml-musescore-"))
    songs = sorted(pathlib.Path(arguments.examples).glob("*.tml"))
    rng = random.Random(30)
    for index in range(arguments.random):
        pages = [random_page(rng) if rng.random() < 0.8 else "" for _ in range(4)]
        song = folder / ("random%02d.tml" % index)
        song.write_bytes(melody_text("random %d" % index, pages))
        songs.append(song)

    jobs = []
    expected = {}
    for index, song in enumerate(songs):
        score = folder / (song.stem + (".mxl" if index % 2 else ".musicxml"))
        subprocess.run([arguments.cli, "musicxml", str(song), "-o", str(score)], check=True)
        expected[song.stem] = melody_notes(arguments.cli, song, folder)
        jobs.append({"in": str(score), "out": str(folder / (song.stem + ".mid"))})
    (folder / "job.json").write_text(json.dumps(jobs))
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    # One MuseScore process for every score: it takes seconds to start.
    subprocess.run([mscore, "-j", str(folder / "job.json")], env=environment, capture_output=True, timeout=900)

    failures = 0
    for stem, notes in expected.items():
        midi = folder / (stem + ".mid")
        if not midi.exists():
            print("FAIL %s: MuseScore wrote no MIDI file" % stem)
            failures += 1
            continue
        read = midi_notes(midi)
        if read != notes:
            missing = sorted(set(notes) - set(read))[:5]
            extra = sorted(set(read) - set(notes))[:5]
            print("FAIL %s: %d notes expected, MuseScore plays %d; missing %s, extra %s"
                  % (stem, len(notes), len(read), missing, extra))
            failures += 1
        else:
            print("ok   %s: %d notes" % (stem, len(notes)))
    if failures == 0:
        shutil.rmtree(folder)
    else:
        print("files kept in", folder)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
