#!/usr/bin/env python3
"""The shell completion scripts, installed by `cmake --install` into a
temporary prefix and loaded from there as each shell loads a package's
completions: bash through bash-completion's loader (and sourced on its own),
zsh through compinit and its fpath, fish from its vendor folder. They offer
exactly the options that tarnwell-cli --help lists, the --length range 5 to
128, and nothing for KEYWORD2 (no file names) or after "--". TAB is pressed
in interactive bash and zsh on a pseudo-terminal; fish is asked with
complete -C.

    completion_test.py --cmake CMAKE --build-dir DIR --program tarnwell-cli
"""
import argparse
import os
import pty
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None
PREFIX = None   # the temporary install prefix
HOME = None     # an empty home folder: no user configuration of any shell
ENVIRONMENT = None

BASH_SCRIPT = "share/bash-completion/completions/tarnwell-cli"
ZSH_SCRIPT = "share/zsh/vendor-completions/_tarnwell-cli"
FISH_SCRIPT = "share/fish/vendor_completions.d/tarnwell-cli.fish"
BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
LENGTHS = [str(n) for n in range(5, 129)]


def setUpModule():
    global PREFIX, HOME, ENVIRONMENT
    PREFIX = tempfile.mkdtemp(prefix="tarnwell-completion-")
    HOME = os.path.join(PREFIX, "home")
    os.mkdir(HOME)
    # A file that a completion falling back on file names would offer.
    open(os.path.join(HOME, "bank-notes.txt"), "w").close()
    subprocess.run([ARGS.cmake, "--install", ARGS.build_dir, "--prefix", PREFIX,
                    "--component", "completion"], check=True, capture_output=True)
    # Like an installed program: the shells load a command's completion only
    # when the command is on the PATH (fish) or look beside it (bash).
    ENVIRONMENT = {
        "PATH": os.path.dirname(os.path.abspath(ARGS.program)) + ":/usr/bin:/bin",
        "HOME": HOME, "XDG_DATA_DIRS": os.path.join(PREFIX, "share") + ":/usr/share",
        "LC_ALL": "C.UTF-8", "TERM": "xterm",
    }


def tearDownModule():
    shutil.rmtree(PREFIX, ignore_errors=True)


def need(shell):
    path = shutil.which(shell)
    if path is None:
        raise AssertionError("%s is not installed: run scripts/install-deps.sh" % shell)
    return path


def shell_output(argv, **kwargs):
    result = subprocess.run(argv, capture_output=True, text=True, env=ENVIRONMENT, cwd=HOME,
                            timeout=60, **kwargs)
    if result.returncode != 0 or result.stderr:
        raise AssertionError("%s failed (%d): %s" % (argv[0], result.returncode, result.stderr))
    return result.stdout


def help_options():
    """Every option the program's help lists (its own option table)."""
    text = subprocess.run([ARGS.program, "--help"], capture_output=True, text=True,
                          check=True).stdout
    section = text.split("\nOptions:\n", 1)[1].split("\n\n", 1)[0]
    options = set()
    for line in section.splitlines():
        spelling = re.split(r"\s{2,}", line.strip(), maxsplit=1)[0]
        for word in spelling.split(", "):
            options.add(word.split(" ")[0])
    return options


# What bash does on TAB, without a terminal: the words split as readline
# splits them (at spaces and at the '=' of COMP_WORDBREAKS), then the function
# that `complete -p` names for the command.
BASH_COMPLETE = r"""
%s
words=("$@")
COMP_WORDS=("${words[@]}")
COMP_CWORD=$((${#words[@]} - 1))
COMP_LINE="${words[*]}"
COMP_POINT=${#COMP_LINE}
spec=$(complete -p tarnwell-cli) || exit 3
function=${spec#*-F }
function=${function%%%% *}
"$function" tarnwell-cli "${words[-1]}" "${words[-2]}"
printf '%%s\n' "${COMPREPLY[@]}"
"""


def bash_complete(words, loader):
    script = BASH_COMPLETE % loader
    output = shell_output([need("bash"), "--norc", "--noprofile", "-c", script, "bash"] + words)
    return [line for line in output.split("\n") if line]


def through_bash_completion():
    return "source %s\n__load_completion tarnwell-cli || exit 4" % BASH_COMPLETION


def sourced_alone():
    return "source %s" % os.path.join(PREFIX, BASH_SCRIPT)


def fish_complete(line):
    output = shell_output([need("fish"), "-c", "complete -C $argv[1]", line])
    return [entry.split("\t")[0] for entry in output.split("\n") if entry]


def read_until(master, seen, pattern, what, timeout=30):
    deadline = time.time() + timeout
    while True:
        match = re.search(pattern, seen)
        if match:
            return seen, match
        left = deadline - time.time()
        if left <= 0:
            raise AssertionError("no %s; saw %r" % (what, seen[-400:]))
        ready, _, _ = select.select([master], [], [], left)
        if ready:
            try:
                chunk = os.read(master, 65536)
            except OSError:
                chunk = b""
            if not chunk:
                raise AssertionError("the shell ended before %s; saw %r" % (what, seen[-400:]))
            seen += chunk


def typed_at_a_terminal(argv, setup, typed, key="\t", shown_before=None):
    """The command line after `typed` and then `key` (TAB) in an interactive
    shell on a pseudo-terminal, and what the shell wrote after READY until
    then (a listing, say): the line is echoed between markers. A shell does
    not list choices while more input is waiting, so with `shown_before` the
    rest is typed only once that has been shown."""
    master, slave = pty.openpty()
    process = subprocess.Popen(argv, stdin=slave, stdout=slave, stderr=slave, env=ENVIRONMENT,
                               cwd=HOME, start_new_session=True)
    os.close(slave)
    try:
        os.write(master, ("\n".join(setup + ["echo 'READY'"]) + "\n" + typed + key).encode())
        seen, ready = read_until(master, b"", rb"[\r\n]READY\r\n", "READY")
        if shown_before is not None:
            seen, _ = read_until(master, seen, re.escape(shown_before), repr(shown_before), 10)
        # Ctrl+A and Ctrl+E: to the start and the end of the completed line.
        os.write(master, b"\x01echo 'LINE<\x05>'\n")
        # The echo's output, not the echoed command (which the line editor
        # redraws with escape sequences, after a quote).
        seen, match = read_until(master, seen, rb"[\r\n](?:\x1b\[[0-9;?]*[A-Za-z])*LINE<([^>\r\n\x1b]*)>\r\n",
                                 "completed line")
        shown = seen[ready.end():match.start()]
        return match.group(1).decode(), re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", shown)
    finally:
        process.kill()
        process.wait(timeout=30)
        os.close(master)


def bash_at_a_terminal(typed):
    return typed_at_a_terminal([need("bash"), "--norc", "--noprofile", "-i"],
                               ["PS1='$ '", "source %s" % BASH_COMPLETION], typed)[0]


def zsh_at_a_terminal(typed, key="\t", shown_before=None):
    # -f: no start-up files; the fpath entry stands for Debian's own one.
    # LISTMAX: list every choice without asking first.
    return typed_at_a_terminal(
        [need("zsh"), "-f", "-i"],
        ["fpath=(%s $fpath)" % os.path.join(PREFIX, os.path.dirname(ZSH_SCRIPT)),
         "autoload -Uz compinit && compinit -u -D", "PS1='$ '", "LISTMAX=1000"], typed, key, shown_before)


class InstalledPlaces(unittest.TestCase):
    def test_each_shell_finds_its_script_where_packages_put_theirs(self):
        for path in (BASH_SCRIPT, ZSH_SCRIPT, FISH_SCRIPT):
            with self.subTest(path):
                self.assertTrue(os.path.isfile(os.path.join(PREFIX, path)))


class SameOptionsAsTheProgram(unittest.TestCase):
    """The scripts offer exactly the options of the program's own table."""

    def setUp(self):
        self.expected = help_options()
        # The help's table itself: a check that this reading of it works.
        self.assertTrue({"-l", "--length", "--symbols", "-q", "--confirm", "-V", "--"}
                        <= self.expected, self.expected)

    def test_bash(self):
        self.assertEqual(set(bash_complete(["tarnwell-cli", "-"], sourced_alone())),
                         self.expected)

    def test_fish(self):
        # fish offers "--" itself for every command.
        self.assertEqual(set(fish_complete("tarnwell-cli -")) - {"--"},
                         self.expected - {"--"})

    def test_zsh(self):
        with open(os.path.join(PREFIX, ZSH_SCRIPT)) as f:
            text = f.read()
        specs = set()
        for group in re.findall(r"\{([^}]*)\}'\[", text):  # {-l+,--length=}'[...
            specs.update(group.split(","))
        specs.update(re.findall(r"^  '(?:\([^)]*\))?(-[-\w]+=?)\[", text, re.M))
        spelt = {re.sub(r"[+=]$", "", spec) for spec in specs}
        # zsh's _arguments -S takes "--" as the end of the options itself.
        self.assertEqual(spelt, self.expected - {"--"})


class BashCompletion(unittest.TestCase):
    CASES = [
        (["tarnwell-cli", "--len"], ["--length"]),
        (["tarnwell-cli", "--no-u"], ["--no-uppercase"]),
        (["tarnwell-cli", "--no-"], ["--no-numbers", "--no-uppercase", "--no-lowercase",
                                     "--no-symbols"]),
        (["tarnwell-cli", "--length", ""], LENGTHS),
        (["tarnwell-cli", "-l", "1"], [n for n in LENGTHS if n.startswith("1")]),
        (["tarnwell-cli", "--length", "=", ""], LENGTHS),
        (["tarnwell-cli", "--length", "=", "12"], ["12"] + [str(n) for n in range(120, 129)]),
        # "-l=12" is refused, so no length is offered after "-l=".
        (["tarnwell-cli", "-l", "=", ""], []),
        (["tarnwell-cli", "-l13"], ["-l13"]),
        (["tarnwell-cli", "-q", "--symbols", ""], []),
        # KEYWORD2: no file names, nothing from anywhere.
        (["tarnwell-cli", ""], []),
        (["tarnwell-cli", "ban"], []),
        (["tarnwell-cli", "--", "--len"], []),
        (["tarnwell-cli", "--", "-l", ""], []),
    ]

    def test_through_bash_completion_and_sourced_alone(self):
        for loader in (through_bash_completion(), sourced_alone()):
            for words, expected in self.CASES:
                with self.subTest(words=words, loader=loader.split("\n")[-1]):
                    self.assertEqual(bash_complete(words, loader), expected)

    def test_tab_at_a_terminal(self):
        cases = [
            ("tarnwell-cli --len", "tarnwell-cli --length "),
            # 13 is the one length starting with 13: none above 128.
            ("tarnwell-cli --length 13", "tarnwell-cli --length 13 "),
            ("tarnwell-cli --length=13", "tarnwell-cli --length=13 "),
            ("tarnwell-cli ban", "tarnwell-cli ban"),
            ("tarnwell-cli -- --len", "tarnwell-cli -- --len"),
        ]
        for typed, line in cases:
            with self.subTest(typed):
                self.assertEqual(bash_at_a_terminal(typed), line)


class FishCompletion(unittest.TestCase):
    def test_complete_command(self):
        cases = [
            ("tarnwell-cli --len", ["--length"]),
            ("tarnwell-cli --no-l", ["--no-lowercase"]),
            ("tarnwell-cli --length ", LENGTHS),
            ("tarnwell-cli -l 1", [n for n in LENGTHS if n.startswith("1")]),
            ("tarnwell-cli --length=13", ["--length=13"]),
            ("tarnwell-cli --symbols ", []),
            ("tarnwell-cli ban", []),
            ("tarnwell-cli -- --len", []),
        ]
        for line, expected in cases:
            with self.subTest(line):
                # fish orders the candidates by its own rules.
                self.assertEqual(sorted(fish_complete(line)), sorted(expected))


class ZshCompletion(unittest.TestCase):
    def test_loads_without_error_and_is_registered_for_the_command(self):
        folder = os.path.join(PREFIX, os.path.dirname(ZSH_SCRIPT))
        output = shell_output([need("zsh"), "-f", "-c",
                               "fpath=(%s $fpath); autoload -Uz compinit && compinit -u -D; "
                               "print -r -- ${_comps[tarnwell-cli]}; "
                               "autoload -Uz +X _tarnwell-cli && whence -w _tarnwell-cli" % folder])
        self.assertEqual(output, "_tarnwell-cli\n_tarnwell-cli: function\n")

    def test_tab_at_a_terminal(self):
        # zsh takes back the '=' or space it put after a completed word when
        # the next key (here Ctrl+A) is not typed text.
        cases = [
            ("tarnwell-cli --len", "tarnwell-cli --length"),
            ("tarnwell-cli --no-n", "tarnwell-cli --no-numbers"),
            ("tarnwell-cli --length 13", "tarnwell-cli --length 13"),
            ("tarnwell-cli ban", "tarnwell-cli ban"),
            ("tarnwell-cli -- --len", "tarnwell-cli -- --len"),
        ]
        for typed, line in cases:
            with self.subTest(typed):
                self.assertEqual(zsh_at_a_terminal(typed)[0], line)

    def test_lists_the_length_range(self):
        # TAB lists the choices when they share no longer beginning.
        for typed in ("tarnwell-cli -l ", "tarnwell-cli --length="):
            with self.subTest(typed):
                _, shown = zsh_at_a_terminal(typed, shown_before=b"128")
                listed = shown.split(typed.encode(), 1)[1]
                self.assertEqual(sorted(re.findall(rb"\d+", listed), key=int),
                                 [n.encode() for n in LENGTHS])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--program", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
