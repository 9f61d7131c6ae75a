#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/seeds/<target>/.

Seeds are small valid (and a few nearly valid) inputs of each reader: hand-made
ones below and, for the melody text and the round trip, the melody texts of
examples/*.tml. Run it again after adding an example; it replaces the folders.
"""
import base64
import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent
EXAMPLES = ROOT.parent / "examples"
SEEDS = ROOT / "seeds"
MAX_SEED = 4096  # bytes; larger examples are cut to keep the corpora small


def sjis(text):
    return text.encode("cp932")


SCORES = [
    "ド",
    "ド４　レ８．＊　●２",
    "ドレミファソラシ▲ド",
    "ド▲▲▲",
    "ド４４",
    "ド（100）レ(30)",
    "ド（10",
    "ミ［10］ミ［0］ミ［-1］ミ［-2］",
    "ド\r\n８",
    "●▲",
    "ド▼▼♭♭♭♭",
    "ソ＃▼▼ラ￣↑シ＿↓ド♯ド♭",
    "・４△８○１６休３２Ｒ６４",
    "ド全レ２．ミ２３ファ４．ソ４３ラ８３シ１６．ド１６３レ３２．ミ３２３ファ１",
    "ドＴレ⌒ミ＊",
    "ド4 レ8.* ●2 (100) [10] R t r",
    "ﾄﾞﾚﾐ ｿﾗｼ",
]
EXTENDED_SCORES = ["ド／0102／レ", "／00FFE230／ド", "ド／８", "／ab"]


def melody_image(title=b"A", tempo=125, events=b"\x00\x1b\x2e", extra_chunks=b"", end_delta=0x30):
    """An MLD image as the builder writes it: voice 0 used, tone 1, volume 63."""
    chunks = b"sorc\x00\x01\x00" + b"titl" + struct.pack(">H", len(title)) + title
    chunks += b"vers\x00\x040100" + extra_chunks
    track = b"\x00\xff\xd0\x00\x00\xff\xc3" + bytes([tempo])
    track += b"\x00\xff\xe0\x00\x00\xff\xe1\x02\x00\xff\xe2\x3f" + events
    track += bytes([end_delta]) + b"\xff\xdf\x00"
    body = struct.pack(">H", 3 + len(chunks)) + b"\x01\x01\x01" + chunks
    body += b"trac" + struct.pack(">I", len(track)) + track
    return b"melo" + struct.pack(">I", len(body)) + body


IMAGES = [
    melody_image(),
    melody_image(title=sjis("着メロ"), events=b"\x00\x1b\x2e\x30\x1f\x18\x30\x22\x31\x30\x24\x0a", end_delta=0x30),
    melody_image(extra_chunks=b"date\x00\x0820240101copy\x00\x03(c)", events=b"\x00\x5b\x5e\x00\x1b\x2e"),
    melody_image(events=b"\x00\xff\xf0\x00\x04\x0a\xff\xe0\x3c\x00\xff\xc2\xf0\x00\xff\xf1\x00\x01\x00\x00\x1b\x2e"),
    melody_image(events=b"\x00\xff\xe0\x49\x00\xff\xe1\x43\x00\xff\xe2\x50\x00\x5b\x2e\x00\xdb\x2e"),
    b"melo",
    b"melo\x00\x00\x00\x40\x00\x1b",
    b"melo\xff\xff\xff\xff\xff\xff\x01\x01\x01titl\xff\xff",
]


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def smf(file_format, division, tracks):
    """A Standard MIDI File of the given track data (end-of-track added)."""
    out = b"MThd" + struct.pack(">IHHH", 6, file_format, len(tracks), division)
    for data in tracks:
        data += b"\x00\xff\x2f\x00"
        out += b"MTrk" + struct.pack(">I", len(data)) + data
    return out


def meta(delta, kind, data):
    return varlen(delta) + bytes([0xFF, kind]) + varlen(len(data)) + data


def notes(channel, keys, length, gap=0, velocity=100):
    out = b""
    for key in keys:
        out += varlen(gap) + bytes([0x90 | channel, key, velocity]) + varlen(length) + bytes([0x80 | channel, key, 0])
    return out


# A file as this program's MIDI writer lays it out: conductor with the set-up bar, one track per voice.
QUAVERLY_CONDUCTOR = (meta(0, 3, b"A") + meta(0, 2, b"Fernwick") + meta(0, 6, b"Setup")
                      + meta(0, 0x51, bytes([0x07, 0x53, 0x00])) + meta(1920, 6, b"Start") + b"\x8f\x00\xff\x2f\x00")
MIDI_FILES = [
    smf(0, 96, [meta(0, 3, b"Tune") + meta(0, 0x51, bytes([0x07, 0xA1, 0x20])) + notes(0, [72, 74, 76], 92, 4)]),
    smf(0, 480, [b"\x00\x90\x3c\x40\x83\x60\x3c\x00\x00\x3e\x40\x83\x60\x3e\x00"]),  # running status
    smf(1, 384, [meta(0, 3, sjis("ふるさと")) + meta(0, 2, b"(c)"),
                 b"\x00\xc0\x49" + notes(0, [60, 64, 67], 383),
                 b"\x00\xc9\x00" + notes(9, [35, 38, 42], 10, 182)]),
    smf(1, 120, [b"\x00\x90\x3c\x40\x00\x40\x40\x00\x43\x40\x78\x80\x3c\x00\x00\x40\x00\x00\x43\x00"]),  # chord
    smf(1, 480, [QUAVERLY_CONDUCTOR[:-4], b"\x00\xf0\x00\x00\xf0\x00",
                 b"\x00\xc0\x00" + notes(0, [72], 460) + b"\x14\x80\x48\x00",
                 b"\x00\xc1\x00\x00\x91\x48\x00\x83\x5c\x81\x48\x00"]),
    smf(2, 96, [notes(0, [60], 90)]),
    smf(0, 0xE728, [notes(0, [60], 90)]),
]


def melody_text(title, tempo, voices, copyright="", date=""):
    lines = ["$T", title, "$t", tempo, "$C", copyright, "$D", date]
    for number, (tone, volume, score) in enumerate(voices, start=1):
        lines += ["$%d" % number, "-" + tone, "-" + volume, score]
    return sjis("\r\n".join(lines) + "\r\n")


TEXTS = [
    melody_text("A", "125", [("1 - ピアノ", "63", "ド４")] + [("1 - ピアノ", "63", "")] * 3),
    melody_text("", "120", [("74 - フルート", "40", "ドレミ\r\nファソ"), ("5", "63", "●２ソ４"),
                            ("1 - ピアノ", "0", "ラ▼８＊"), ("128", "63", "ド▲▲▲")], "(c) 2024", "20240101"),
    melody_text("", "0", [("1", "63", "$x")] + [("1", "63", "")] * 3),
    sjis("$T\r\nA\r\n"),
]

NUMERIC = [
    b"72,480,0\r\n74,240,0",
    b"72,480,0\r\n0,-1,0\r\n60,960,1\r\n",
    b"!comment\r\n@x\r\n72 480 0\r\n72,480,-3\r\n",
    b"",
    b"72,480,0\n74,240,0\n",
    b"108,20,3\r\n45,100000,2\r\n",
]


def ringtone_book(songs):
    data = bytearray(b"KTM" + bytes(16))
    for title, artist, melody in songs:
        data += b"\x00\x00\x00"
        for field in (title, b"x", artist, b"", b"y", melody, b"", b"z"):
            if len(field) >= 255:
                data += b"\xff" + struct.pack("<H", len(field))
            else:
                data += bytes([len(field)])
            data += field
        data += b"\x01\x80"
    return bytes(data)


BOOKS = [
    ringtone_book([(sjis("曲"), sjis("歌手"), sjis("ドレミ"))]),
    ringtone_book([(b"a", b"b", sjis("ド４") * 100), (b"t\x00cut", b"", b"\x00")]),
    ringtone_book([(b"one", b"two", b"")])[:-2],
    b"",
    bytes(19),
]


def round_trip(scores, flags=0, tempo=124, tones=(0, 73, 4, 127), volumes=(63, 40, 0, 63),
               title=b"", copyright=b"", date=b"", fff0=b""):
    head = bytes([flags, tempo]) + bytes(tones) + bytes(volumes)
    return head + b"\x00".join([sjis(s) for s in scores] + [title, copyright, date, fff0])


ROUND_TRIPS = [
    round_trip(["ド４"]),
    round_trip(["ド４ミ４＊ソ４Ｔラ４[10]", "●２ド８", "ラ▼８．レ１６", "ド▲▲▲全"], flags=3,
               title=sjis("曲"), copyright=b"(c)", date=b"20240101", fff0=b"0102ff"),
    round_trip(["ド(30)●(300)レ", "ミ", "", "ソ４＃"]),
]


def example_sections(data):
    """(tempo, [(tone, volume, score)] * 4, title) of a melody text; scores keep their CR LF."""
    lines = data.split(b"\r\n")
    title, tempo = lines[1], lines[3]
    voices = []
    for number in range(1, 5):
        start = lines.index(b"$%d" % number)
        end = lines.index(b"$%d" % (number + 1)) if number < 4 else len(lines) - 1
        voices.append((lines[start + 1][1:], lines[start + 2][1:], b"\r\n".join(lines[start + 3:end])))
    return tempo, voices, title


def example_round_trip(data):
    tempo, voices, title = example_sections(data)
    tones = [int(tone.split(b" ")[0]) - 1 for tone, _, _ in voices]
    volumes = [int(volume) for _, volume, _ in voices]
    head = bytes([0, (int(tempo) - 1) % 255]) + bytes(tones) + bytes(volumes)
    return head + b"\x00".join([score for _, _, score in voices] + [title, b"", b"", b""])


def musicxml(measures, parts=1, timewise=False, doctype=""):
    """A small MusicXML score: the same measures in every part."""
    part_list = "".join('<score-part id="P%d"><part-name>Part %d</part-name>'
                        '<midi-instrument id="P%d-I1"><midi-program>%d</midi-program></midi-instrument></score-part>'
                        % (p, p, p, p * 7) for p in range(1, parts + 1))
    if timewise:
        body = "".join('<measure number="%d">%s</measure>' % (m + 1, "".join(
            '<part id="P%d">%s</part>' % (p, content) for p in range(1, parts + 1)))
            for m, content in enumerate(measures))
        root = "score-timewise"
    else:
        body = "".join('<part id="P%d">%s</part>' % (p, "".join(
            '<measure number="%d">%s</measure>' % (m + 1, content) for m, content in enumerate(measures)))
            for p in range(1, parts + 1))
        root = "score-partwise"
    return ('<?xml version="1.0" encoding="UTF-8"?>%s<%s version="3.1"><work><work-title>Seed</work-title></work>'
            '<part-list>%s</part-list>%s</%s>' % (doctype, root, part_list, body, root)).encode()


def xml_note(step, octave, duration, extra=""):
    return ("<note><pitch><step>%s</step><octave>%d</octave></pitch><duration>%d</duration>%s</note>"
            % (step, octave, duration, extra))


XML_FIRST = ('<attributes><divisions>4</divisions><staves>2</staves></attributes>'
             '<direction><direction-type><metronome><beat-unit>quarter</beat-unit><per-minute>96</per-minute>'
             '</metronome></direction-type><sound tempo="96"/></direction>')
MUSICXML = [
    musicxml([XML_FIRST + xml_note("C", 4, 4) + xml_note("E", 4, 4, "<chord/>") + xml_note("G", 4, 12)]),
    musicxml([XML_FIRST + xml_note("C", 5, 16, '<tie type="start"/>'), xml_note("C", 5, 16, '<tie type="stop"/>')], 2),
    musicxml([XML_FIRST + xml_note("D", 4, 8) + "<backup><duration>8</duration></backup>" +
              xml_note("A", 3, 8, "<staff>2</staff>") + "<forward><duration>8</duration></forward>"], 1, True),
    musicxml(['<barline><repeat direction="forward"/></barline>' + XML_FIRST + xml_note("E", 4, 16),
              '<barline><ending number="1" type="start"/></barline>' + xml_note("F", 4, 16) +
              '<barline><ending number="1" type="stop"/><repeat direction="backward" times="3"/></barline>',
              '<barline><ending number="2, 3" type="start"/></barline>' + xml_note("G", 4, 16)]),
    musicxml([XML_FIRST + "<note><grace/><pitch><step>B</step><octave>4</octave></pitch><type>16th</type></note>" +
              "<note><pitch><step>B</step><alter>-1</alter><octave>4</octave></pitch><type>eighth</type><dot/>"
              "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>"
              "<notations><articulations><staccato/></articulations></notations></note>"
              "<note><unpitched><display-step>C</display-step><display-octave>4</display-octave></unpitched>"
              "<duration>4</duration></note><note><rest measure=\"yes\"/><duration>16</duration></note>"]),
    musicxml([XML_FIRST + xml_note("C", 4, 4)], 1, False, '<!DOCTYPE score-partwise [<!ENTITY a "b">]>'),
]


def mxl(score):
    import io
    import zipfile
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("mimetype", "application/vnd.recordare.musicxml", zipfile.ZIP_STORED)
        archive.writestr("META-INF/container.xml",
                         '<container><rootfiles><rootfile full-path="score.xml"/></rootfiles></container>')
        archive.writestr("score.xml", score)
    return buffer.getvalue()


def write(target, named):
    folder = SEEDS / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in named:
        (folder / name).write_bytes(data[:MAX_SEED])


def main():
    examples = sorted(EXAMPLES.glob("*.tml"))
    example_texts = [(p.stem + ".tml", p.read_bytes()) for p in examples]

    example_pages = [("%s-%d" % (p.stem, voice + 1), bytes([voice]) + score)
                     for p in examples for voice, (_, _, score) in enumerate(example_sections(p.read_bytes())[1])]
    write("ScoreParser", [("score%02d" % i, bytes([i % 4]) + sjis(s)) for i, s in enumerate(SCORES)]
          + [("extended%02d" % i, bytes([4 | i % 4]) + sjis(s)) for i, s in enumerate(EXTENDED_SCORES)]
          + example_pages)
    write("MelodyImage", [("image%02d.mld" % i, d) for i, d in enumerate(IMAGES)])
    write("MelodyText", [("text%02d.tml" % i, d) for i, d in enumerate(TEXTS)] + example_texts)
    mails = [b"--B:M\r\n" + base64.b64encode(d) for d in IMAGES[:3]]
    mails += [base64.encodebytes(IMAGES[1]).replace(b"\n", b"\r\n"), b"QQ==", b"QUI=\nQUJD\rQUJD", b"--B:M", b"!!!!"]
    write("MailText", [("mail%02d" % i, d) for i, d in enumerate(mails)])
    write("NumericText", [("numeric%02d.c99" % i, d) for i, d in enumerate(NUMERIC)])
    write("PocketMelody", [("pocket%02d.pmr" % i, bytes(192) + d) for i, d in enumerate(IMAGES[:4])]
          + [("short.pmr", bytes(100))])
    write("MidiFile", [("song%02d.mid" % i, d) for i, d in enumerate(MIDI_FILES)])
    write("RingtoneBook", [("book%02d.ktm" % i, d) for i, d in enumerate(BOOKS)])
    write("MusicXml", [("score%02d.musicxml" % i, d) for i, d in enumerate(MUSICXML)]
          + [("score%02d.mxl" % i, mxl(d)) for i, d in enumerate(MUSICXML[:2])])
    write("RoundTrip", [("trip%02d" % i, d) for i, d in enumerate(ROUND_TRIPS)]
          + [(p.stem, example_round_trip(p.read_bytes())) for p in examples])


if __name__ == "__main__":
    main()
