#!/usr/bin/env python3
"""The compiled resources, read back as a script by windres: under each French mark every dialog, menu and string of
the English ones but string 1 (the settings key's last element), the same controls and commands in the same order
with the same styles; nothing French without its English twin, and no other language.
Usage: check_languages.py <windres> <resource object>"""
import re
import subprocess
import sys

ENGLISH, FRENCH = (9, 1), [(12, 0), (12, 1)]
script = subprocess.run([sys.argv[1], '-J', 'coff', '-i', sys.argv[2], '-O', 'rc'], capture_output=True, text=True,
                        check=True, encoding='latin-1').stdout
found, language, kind, block = {}, None, None, None
for line in script.splitlines():
    if m := re.match(r'LANGUAGE (\d+), (\d+)', line):
        language = tuple(map(int, m.groups()))
    elif m := re.match(r'(?:(\d+) )?(DIALOGEX|DIALOG|MENUEX|MENU|STRINGTABLE)\b', line):
        kind = m[2]
        block = found.setdefault(language, {}).setdefault((kind, m[1]), []) if m[1] else None
    elif line == 'END':
        kind = block = None
    elif kind == 'STRINGTABLE' and (m := re.match(r'\s+(\d+), ', line)):
        found[language][('STRING', m[1])] = []
    elif block is not None:
        # Texts and rectangles are the language's own; what is left is the control, its id and styles.
        block.append(re.sub(r'(, -?\d+){4}(?=, 0x|$)', '', re.sub(r'L?"(?:[^"\\]|\\.|"")*"', '""', line)))
english = found.pop(ENGLISH, {})
expected = {key: value for key, value in english.items() if key != ('STRING', '1')}
faults = [f'language {mark}: neither English nor French' for mark in found if mark not in FRENCH]
for mark in FRENCH:
    french = found.get(mark, {})
    faults += [f'{key} lacks French {mark}' for key in sorted(expected.keys() - french.keys())]
    faults += [f'French {mark} {key} has no English twin' for key in sorted(french.keys() - expected.keys())]
    faults += [f'French {mark} {key} differs from English' for key in expected.keys() & french.keys()
               if french[key] != expected[key]]
print('\n'.join(faults) or f'{len(expected)} dialogs, menus and strings in English and French alike')
sys.exit(1 if faults or not expected else 0)
