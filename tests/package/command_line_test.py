#!/usr/bin/env python3
"""What the installed programs say about themselves, and the bash completion.

Usage: command_line_test.py --version V --cli PATH --completion PATH
                            [--window PATH] [--cli-man PATH.1.gz] [--examples FOLDER]

  - both programs print "<name> V" for --version, V being the project's
    version; the window program answers --help and --version without a display;
  - the help texts (from which the manual pages are made) name the exit
    statuses and the environment variables QUAVERLY_SOUNDFONT and
    QUAVERLY_AUDIO_DRIVER;
  - neither program links the synthesizer's libraries, and audio asked of a
    tool without its synthesizer module is refused with the module's name;
  - the manual page of quaverly-cli has a part for every subcommand;
  - the completion offers every subcommand and every option that the help
    texts list, and per subcommand the files of the extensions it reads and
    writes, and folders.
"""
import argparse
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

ARGS = None


def run(*command, env=None):
    return subprocess.run(command, capture_output=True, text=True, env=env, timeout=60)


def without_display():
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(name, None)
    return env


def subcommands():
    top = run(ARGS.cli, "--help").stdout
    block = top.split("Subcommands:\n", 1)[1].split("\n\n", 1)[0]
    return [line.split()[0] for line in block.splitlines()]


def complete(words, folder):
    """The completion's answers for the command line `words`, the last being
    the word under the cursor, run in folder."""
    script = (
        'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); '
        'COMPREPLY=(); _quaverly_cli; printf "%s\\n" "${COMPREPLY[@]}"'
    )
    result = subprocess.run(["bash", "-c", script, "complete", ARGS.completion, *words],
                            capture_output=True, text=True, cwd=folder, timeout=60)
    return set(line for line in result.stdout.splitlines() if line)


class ProgramsTest(unittest.TestCase):
    def test_versions_are_the_project_version(self):
        programs = [("quaverly-cli", ARGS.cli)] + ([("quaverly", ARGS.window)] if ARGS.window else [])
        for name, path in programs:
            with self.subTest(program=name):
                result = run(path, "--version", env=without_display())
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, f"{name} {ARGS.version}\n")

    def test_help_names_exit_statuses_and_environment(self):
        cases = [("quaverly-cli", ARGS.cli, ["  0  ", "  1  ", "  2  "])]
        if ARGS.window:
            cases.append(("quaverly", ARGS.window, ["  0  ", "  1  ", "/D", "/P", "/CIN", "/COUT"]))
        for name, path, words in cases:
            with self.subTest(program=name):
                result = run(path, "--help", env=without_display())
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue(result.stdout.startswith(f"Usage: {name} "))
                for word in ["Exit status:", "QUAVERLY_SOUNDFONT", "QUAVERLY_AUDIO_DRIVER", *words]:
                    self.assertTrue(word in result.stdout, f"{word} is missing")

    def test_window_without_display_still_refuses_to_start(self):
        if not ARGS.window:
            self.skipTest("no window program in this build")
        result = run(ARGS.window, "song.mld", env=without_display())
        self.assertEqual(result.returncode, 1)

    def test_programs_start_without_the_synthesizer_libraries(self):
        # FluidSynth and the audio systems it links belong to the synthesizer
        # module, loaded only when sound is asked for.
        if shutil.which("readelf") is None:
            self.skipTest("readelf is missing")
        for path in [ARGS.cli] + ([ARGS.window] if ARGS.window else []):
            needed = run("readelf", "-d", path).stdout
            for library in ["libfluidsynth", "libsndfile", "libavcodec", "libavformat"]:
                with self.subTest(program=os.path.basename(path), library=library):
                    self.assertNotIn(library, needed)

    def test_audio_without_the_synthesizer_module_is_refused_by_name(self):
        if not ARGS.examples or "wav" not in subcommands():
            self.skipTest("no examples folder given, or a tool built without sound")
        with tempfile.TemporaryDirectory() as top:
            # A copy of the tool where no module lies beside it or below it,
            # in a folder whose name the message must give as it is.
            folder = os.path.join(top, "着信音")
            os.mkdir(folder)
            cli = os.path.join(folder, "quaverly-cli")
            shutil.copy(ARGS.cli, cli)
            output = os.path.join(folder, "kaeru.wav")
            result = run(cli, "wav", os.path.join(ARGS.examples, "kaeru.tml"), "-o", output)
            self.assertEqual(result.returncode, 1, result.stderr)
            self.assertIn("quaverly-synth.so", result.stderr)
            self.assertIn(os.path.join(folder, "quaverly-synth.so"), result.stderr)
            self.assertFalse(os.path.exists(output))

    def test_manual_page_has_every_subcommand(self):
        if not ARGS.cli_man:
            self.skipTest("no manual pages in this build (help2man missing)")
        with gzip.open(ARGS.cli_man, "rt", encoding="utf-8") as page:
            text = page.read()
        for name in subcommands():
            with self.subTest(subcommand=name):
                self.assertTrue(f".SS {name}\n" in text, "no part for it")
                self.assertTrue(f"Usage: quaverly\\-cli {name} " in text, "no usage line")


class CompletionTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        for name in ["a.mld", "B.PMR", "c.tml", "d.c99", "e.ktm", "f.mid", "g.MIDI", "h.wav", "i.sf2", "j.txt",
                     "k.FLAC", "l.ogg", "m.opus", "n.mp3", "o.m4r"]:
            open(os.path.join(self.folder.name, name), "w").close()
        os.mkdir(os.path.join(self.folder.name, "songs"))

    def tearDown(self):
        self.folder.cleanup()

    def test_offers_every_subcommand(self):
        offered = complete(["quaverly-cli", ""], self.folder.name)
        for name in subcommands() + ["--help", "--version"]:
            with self.subTest(subcommand=name):
                self.assertIn(name, offered)

    def test_offers_every_option_of_each_subcommand(self):
        option = re.compile(r"(?<![\w-])(--?[a-z][a-z0-9-]*)")
        for name in subcommands():
            help_text = run(ARGS.cli, name, "--help").stdout
            offered = complete(["quaverly-cli", name, "-"], self.folder.name)
            for listed in sorted(set(option.findall(help_text))):
                with self.subTest(subcommand=name, option=listed):
                    self.assertIn(listed, offered)

    def test_offers_the_files_each_subcommand_takes(self):
        every = {"a.mld", "B.PMR", "c.tml", "d.c99", "e.ktm", "f.mid", "g.MIDI", "h.wav", "i.sf2", "j.txt",
                 "k.FLAC", "l.ogg", "m.opus", "n.mp3", "o.m4r"}
        cases = [
            (["build", ""], {"c.tml"}),
            (["build", "c.tml", "-o", ""], {"a.mld"}),
            (["text", ""], {"a.mld", "B.PMR"}),
            (["text", "a.mld", "-o", ""], {"c.tml"}),
            (["info", ""], {"a.mld", "B.PMR"}),
            (["midi", ""], {"a.mld", "B.PMR", "c.tml"}),
            (["midi", "a.mld", "-o", ""], {"f.mid"}),
            (["wav", "a.mld", "-o", ""], {"h.wav"}),
            (["wav", "--soundfont", ""], {"i.sf2"}),
            (["render", ""], {"a.mld", "B.PMR", "c.tml"}),
            (["render", "a.mld", "-o", ""], {"h.wav", "k.FLAC", "l.ogg", "m.opus", "n.mp3", "o.m4r"}),
            (["import", ""], {"a.mld", "d.c99", "B.PMR", "f.mid", "g.MIDI", "j.txt"}),
            (["rtttl", ""], {"a.mld", "B.PMR", "c.tml"}),
            (["rtttl", "a.mld", "-o", ""], {"j.txt"}),
            (["mml", ""], {"a.mld", "B.PMR", "c.tml"}),
            (["import", "d.c99", "-o", ""], {"a.mld", "c.tml"}),
            (["ktm", ""], {"e.ktm"}),
            (["parse", ""], every),
            (["unmail", ""], every),
        ]
        for words, files in cases:
            with self.subTest(words=" ".join(words)):
                self.assertEqual(complete(["quaverly-cli", *words], self.folder.name), files | {"songs"})


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--completion", required=True)
    parser.add_argument("--window")
    parser.add_argument("--cli-man")
    parser.add_argument("--examples")
    ARGS, rest = parser.parse_known_args()
    # The completion runs in a folder of test files.
    ARGS.completion = os.path.abspath(ARGS.completion)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
