#!/usr/bin/env python3
"""Reads a Standard MIDI File with mido and prints a plain summary, so that
the MIDI writer's tests can check its files with a reader that is not ours.

Output, one item a line:
    format F
    ticks T
    tracks N
    tempo TRACK TIME VALUE
    name TRACK TEXT          (track names as latin-1 text)
    program TRACK TIME CHANNEL PROGRAM
    on TRACK TIME CHANNEL NOTE VELOCITY
    off TRACK TIME CHANNEL NOTE VELOCITY
    end TRACK TIME
Times are absolute ticks within their track. Exit status 1 when the file
does not parse.
"""
import sys

import mido


def main():
    if len(sys.argv) != 2:
        print("usage: check_midi.py FILE", file=sys.stderr)
        return 2
    try:
        midi = mido.MidiFile(sys.argv[1])
    except Exception as error:  # noqa: BLE001 - any parse failure is the answer
        print("unreadable %s" % error)
        return 1
    print("format %d" % midi.type)
    print("ticks %d" % midi.ticks_per_beat)
    print("tracks %d" % len(midi.tracks))
    for index, track in enumerate(midi.tracks):
        now = 0
        for message in track:
            now += message.time
            if message.type == "set_tempo":
                print("tempo %d %d %d" % (index, now, message.tempo))
            elif message.type == "track_name":
                print("name %d %s" % (index, message.name))
            elif message.type == "program_change":
                print("program %d %d %d %d" % (index, now, message.channel, message.program))
            elif message.type == "note_on":
                print("on %d %d %d %d %d" % (index, now, message.channel, message.note, message.velocity))
            elif message.type == "note_off":
                print("off %d %d %d %d %d" % (index, now, message.channel, message.note, message.velocity))
            elif message.type == "end_of_track":
                print("end %d %d" % (index, now))
    return 0


if __name__ == "__main__":
    sys.exit(main())
