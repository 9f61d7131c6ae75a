#!/usr/bin/env python3
"""Independent readers of the RTTTL and MML exports.

Random melodies are written as melody text (.tml); quaverly-cli writes each as
a Standard MIDI File (the reference: what play sounds), as MML and, voice by
voice, as RTTTL. mml2smf (npm) turns the MML into a MIDI file, read with mido:
every voice's keys and onsets must be the reference's. rtttl-parse (npm) reads
each RTTTL: its frequencies must be the voice's keys (one octave shift for the
voice) and its durations the voice's onsets at the written tempo.

The npm tools are installed by scripts/install-npm-tools.sh into
build-tools/npm; where npm or the registry cannot be reached the test says so
and skips (exit 77).
"""
import argparse
import json
import math
import os
import random
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    # python3-mido is Debian's: another python3 first on the path lacks it.
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
NAMES = ["ド", "ド＃", "レ", "レ＃", "ミ", "ファ", "ファ＃", "ソ", "ソ＃", "ラ", "ラ＃", "シ"]
# Lengths RTTTL holds, and lengths only MML holds (triplets, a sixty-fourth, a length group).
RTTTL_LENGTHS = [("全", 192), ("２．", 144), ("２", 96), ("４．", 72), ("４", 48), ("８．", 36), ("８", 24),
                 ("１６．", 18), ("１６", 12), ("３２．", 9), ("３２", 6)]
OTHER_LENGTHS = [("２３", 64), ("４３", 32), ("８３", 16), ("１６３", 8), ("６４", 3), ("（100）", 100), ("（7）", 7)]


def note_name(n):
    k = n + 9
    octave = k // 12 - 3
    return NAMES[k % 12] + ("▲" * octave if octave > 0 else "▼" * -octave)


def random_voice(rng, low, high, lengths):
    parts = []
    for _ in range(rng.randint(1, 40)):
        text, _ = rng.choice(lengths)
        if rng.random() < 0.15:
            parts.append("●" + text)
        else:
            parts.append(note_name(rng.randint(low, high)) + text + ("＊" if rng.random() < 0.2 else ""))
    return "".join(parts)


def write_tml(path, tempo, voices):
    lines = ["$T", "Random", "$t", str(tempo), "$C", "", "$D", ""]
    for index, score in enumerate(voices):
        lines += ["$%d" % (index + 1), "-%d" % (index * 10 + 1), "-%d" % (63 - index * 7), score]
    with open(path, "wb") as out:
        out.write("\r\n".join(lines).encode("cp932") + b"\r\n")


def onsets(track, offset=0):
    """(tick, key) of every sounding note-on of a track."""
    result, now = [], 0
    for message in track:
        now += message.time
        if message.type == "note_on" and message.velocity > 0:
            result.append((now - offset, message.note))
    return result


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--tools", default=os.path.join(ROOT, "build-tools", "npm"))
    parser.add_argument("--melodies", type=int, default=40)
    options = parser.parse_args()

    subprocess.run(["bash", os.path.join(ROOT, "scripts", "install-npm-tools.sh")], check=False)
    modules = os.path.join(options.tools, "node_modules")
    if not (os.path.isfile(os.path.join(modules, "mml2smf", "src", "mml2smf.mjs"))
            and os.path.isfile(os.path.join(modules, "rtttl-parse", "dist", "index.js"))):
        print("SKIP: rtttl-parse and mml2smf are not installed (npm or its registry unreachable)")
        return 77

    rng = random.Random(32)
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for number in range(options.melodies):
            exact = number % 2 == 0
            lengths = RTTTL_LENGTHS if exact else RTTTL_LENGTHS + OTHER_LENGTHS
            # Within four octaves: RTTTL's octaves 4..7 hold them after one shift.
            low, high = (15, 50) if exact else (3, 50)
            voices = [random_voice(rng, low, high, lengths) for _ in range(4)]
            tempo = rng.choice([60, 100, 125, 140, 200, 225])
            tml = os.path.join(folder, "m%d.tml" % number)
            write_tml(tml, tempo, voices)
            mid = tml[:-4] + ".mid"
            run([options.cli, "midi", tml, "-o", mid, "--edit-tempo", "100"])
            reference = mido.MidiFile(mid)
            voice_tracks = [t for t in reference.tracks if any(m.type == "track_name" and m.name.startswith("CH #") for m in t)]
            expected = [onsets(track) for track in voice_tracks]

            mml = tml[:-4] + ".mml"
            run([options.cli, "mml", tml, "-o", mml])
            script = ("import m from %s; import fs from 'fs';"
                      "fs.writeFileSync(process.argv[2], Buffer.from(m(fs.readFileSync(process.argv[1], 'latin1'))));"
                      % json.dumps(os.path.join(modules, "mml2smf", "src", "mml2smf.mjs")))
            converted = tml[:-4] + ".mml.mid"
            run(["node", "--input-type=module", "-e", script, mml, converted])
            got = [onsets(track) for track in mido.MidiFile(converted).tracks]
            for voice in range(4):
                if got[voice] != expected[voice]:
                    failures += 1
                    print("MML melody %d voice %d: mml2smf %s != reference %s" % (number, voice + 1, got[voice][:8], expected[voice][:8]))

            for voice in range(4):
                if not expected[voice]:
                    continue
                rtttl = tml[:-4] + "-%d.rtttl" % (voice + 1)
                run([options.cli, "rtttl", tml, "--voice", str(voice + 1), "-o", rtttl])
                script = ("const p = require(%s); const fs = require('fs');"
                          "console.log(JSON.stringify(p.parse(fs.readFileSync(process.argv[1], 'latin1').trim())));"
                          % json.dumps(os.path.join(modules, "rtttl-parse")))
                parsed = json.loads(run(["node", "-e", script, rtttl], text=True).stdout)
                heard, now = [], 0.0
                for item in parsed["melody"]:
                    if item["frequency"] > 0:
                        heard.append((now, 60 + round(12 * math.log2(item["frequency"] / 261.63))))
                    now += item["duration"]
                keys = [key for _, key in heard]
                wanted = [key for _, key in expected[voice]]
                shift = keys[0] - wanted[0] if keys and wanted else 0
                if shift % 12 != 0 or keys != [key + shift for key in wanted]:
                    failures += 1
                    print("RTTTL melody %d voice %d: keys %s != %s" % (number, voice + 1, keys[:8], wanted[:8]))
                    continue
                if not exact:
                    continue
                # The voice's onsets at the written tempo: 480 ticks a quarter of 60000 / tempo ms.
                wanted_ms = [tick * 60000.0 / (480 * tempo) for tick, _ in expected[voice]]
                if len(heard) != len(wanted_ms) or any(abs(a - b[0]) > 0.5 for a, b in zip(wanted_ms, heard)):
                    failures += 1
                    print("RTTTL melody %d voice %d: onsets %s != %s" % (number, voice + 1, [h for h, _ in heard][:8], wanted_ms[:8]))
    print("%d melodies, %d failures" % (options.melodies, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
