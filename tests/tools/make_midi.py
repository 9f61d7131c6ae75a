#!/usr/bin/env python3
"""Writes a Standard MIDI File with mido, so that the MIDI importer's tests
read files that this program did not write, and prints the notes it put in.

Usage: make_midi.py OUT FORMAT DIVISION SEED

Channels 1 and 3 play single notes (channel 3 ends its notes with note-ons
of velocity 0, so that running status carries them), channel 2 plays
three-note chords, channel 10 plays drums. Format 1 gives each channel its
own track after a conductor track with the name and the tempo.

Output, one note a line: note CHANNEL START END KEY (channels 1..16, ticks).
"""
import random
import sys

import mido


def main():
    out, file_format, division, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    rng = random.Random(seed)
    notes = []  # (channel 0..15, start, end, key)
    for channel in (0, 2):
        time = rng.randrange(0, division)
        for _ in range(rng.randrange(10, 40)):
            length = division * rng.choice((1, 2, 4, 8)) // 4
            gate = max(1, length - rng.randrange(0, division // 8 + 1))
            notes.append((channel, time, time + gate, rng.randrange(45, 109)))
            time += length + rng.choice((0, 0, division // 2))
    time = 0
    for _ in range(rng.randrange(5, 15)):
        root = rng.randrange(45, 90)
        for key in (root, root + 4, root + 7):
            notes.append((1, time, time + division - 1, key))
        time += division
    for index in range(20):
        notes.append((9, index * division // 2, index * division // 2 + 10, rng.choice((35, 38, 42))))

    events = {}  # track -> [(tick, order, message)]
    def track_of(channel):
        return 0 if file_format == 0 else channel + 1
    for channel, start, end, key in notes:
        events.setdefault(track_of(channel), []).append((start, 1, mido.Message('note_on', channel=channel, note=key, velocity=rng.randrange(40, 128))))
        off = mido.Message('note_on', channel=channel, note=key, velocity=0) if channel == 2 else mido.Message('note_off', channel=channel, note=key, velocity=64)
        events.setdefault(track_of(channel), []).append((end, 0, off))
    midi = mido.MidiFile(type=file_format, ticks_per_beat=division)
    conductor = [(0, -1, mido.MetaMessage('track_name', name='Mido tune')), (0, -1, mido.MetaMessage('set_tempo', tempo=600000))]
    events.setdefault(0, []).extend(conductor)
    for track_index in sorted(events):
        track = mido.MidiTrack()
        now = 0
        for tick, _, message in sorted(events[track_index], key=lambda item: (item[0], item[1])):
            track.append(message.copy(time=tick - now))
            now = tick
        midi.tracks.append(track)
    midi.save(out)
    for channel, start, end, key in notes:
        print("note %d %d %d %d" % (channel + 1, start, end, key))
    return 0


if __name__ == "__main__":
    sys.exit(main())
