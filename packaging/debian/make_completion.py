#!/usr/bin/env python3
"""Writes bash completion for huesift-render from its own --help.

The usage text is made from the program's option table, one option a line:
"  --name" alone for a switch, or followed by what it takes: choices joined
by "|", a range "A..B", a file ("FILE", "FILE.csv") or a number ("N"). So
the completion offers exactly the options and choices of the program it was
made from.
    make_completion.py PROGRAM > huesift-render
"""
import re
import subprocess
import sys

OPTION_LINE = re.compile(r"^  (--[a-z][a-z-]*)(?: (\S+))?(?:  |$)")


def read_options(program):
    usage = subprocess.run([program, "--help"], check=True, capture_output=True, text=True).stdout
    options = [match.groups() for match in map(OPTION_LINE.match, usage.splitlines()) if match]
    if not options:
        sys.exit(f"make_completion: {program} --help lists no options")
    return options


def value_case(name, value):
    """The case arm that completes the value of `name`, or None for a switch."""
    if value is None:
        return None
    if "|" in value:
        return f"{name}) COMPREPLY=($(compgen -W '{' '.join(value.split('|'))}' -- \"$cur\")); return ;;"
    bounds = re.fullmatch(r"(\d+)\.\.(\d+)", value)
    if bounds:
        words = " ".join(str(n) for n in range(int(bounds[1]), int(bounds[2]) + 1))
        return f"{name}) COMPREPLY=($(compgen -W '{words}' -- \"$cur\")); return ;;"
    if value.startswith("FILE"):
        return f"{name}) _filedir; return ;;"
    if value == "N":
        return f"{name}) return ;;"
    sys.exit(f"make_completion: {name} takes '{value}', which this script does not know how to complete")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_completion.py PROGRAM")
    options = read_options(sys.argv[1])
    arms = [arm for arm in (value_case(name, value) for name, value in options) if arm]
    names = " ".join(name for name, _ in options)
    print(f"""# bash completion for huesift-render, made from its --help when the package was built.
_huesift_render()
{{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
{chr(10).join('        ' + arm for arm in arms)}
    esac
    $split && return

    COMPREPLY=($(compgen -W '{names}' -- "$cur"))
}} &&
    complete -F _huesift_render huesift-render""")


main()
