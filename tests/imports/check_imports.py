#!/usr/bin/env python3
"""Fails when a program imports a function that is not in the allowed list.

usage: check_imports.py OBJDUMP ALLOWED_LIST PROGRAM...

The loader refuses to start a program whose import is missing from the system, so one function
newer than the oldest supported Windows keeps the whole saver from running there.
"""
import re
import subprocess
import sys


def read_allowed(path):
    """The functions every build may import, and those only the 64-bit build may."""
    allowed = {False: set(), True: set()}
    wide_only = False
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line == "@64-bit only":
                wide_only = True
                continue
            dll, sep, function = line.partition("!")
            if not sep or not dll or not function:
                sys.exit(f"{path}:{number}: expected DLL!Function, found {line!r}")
            allowed[wide_only].add((dll.lower(), function))
    return allowed


def read_imports(objdump, program):
    """(dll, function) pairs from the import tables; by-ordinal imports come back as '#<hint>'."""
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    wide = re.search(r"file format pei-x86-64", text) is not None
    imports = []
    dll = None
    in_tables = False
    for line in text.splitlines():
        if line.startswith("The Import Tables"):
            in_tables = True
            continue
        if in_tables and re.match(r"The \w", line):
            break
        if not in_tables:
            continue
        name = re.match(r"\s*DLL Name: (\S+)", line)
        if name:
            dll = name.group(1).lower()
            continue
        # Member lines: vma, hint or ordinal, name ("<none>" when imported by ordinal).
        member = re.match(r"\t[0-9a-fA-F]+\t\s*([0-9a-fA-F]+)\s+(\S+)", line)
        if member and dll:
            function = member.group(2)
            imports.append((dll, "#" + member.group(1) if function == "<none>" else function))
    # The data directory line: "Entry d <address> <size> Delay Import Directory".
    delay = re.search(r"^Entry d ([0-9a-fA-F]+) ([0-9a-fA-F]+)\s+Delay Import Directory", text, re.M)
    if delay is None or int(delay.group(1), 16) or int(delay.group(2), 16):
        sys.exit(f"{program}: delay-load imports, or a listing without the data directory; "
                 "this check reads only the import tables")
    return imports, wide


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    objdump, allowed_path, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
    allowed = read_allowed(allowed_path)
    failed = False
    for program in programs:
        imports, wide = read_imports(objdump, program)
        # A program with no imports at all means the listing was not understood.
        if not imports:
            print(f"{program}: no imports found in the objdump listing")
            failed = True
            continue
        permitted = allowed[False] | (allowed[True] if wide else set())
        unknown = sorted(set(i for i in imports if i not in permitted))
        print(f"{program} ({'64' if wide else '32'}-bit): {len(imports)} imports from {len(set(d for d, _ in imports))} DLLs, "
              f"{len(unknown)} not allowed")
        for dll, function in unknown:
            print(f"  not allowed: {dll.upper()}!{function}")
        failed = failed or bool(unknown)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
