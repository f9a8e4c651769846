#!/usr/bin/env python3
"""Writes clap/abi_manifest.inc: for every record, constant and string id that
clap/abi.h declares, the layout and value measured from the published CLAP
interface (the ABI facts file). The module checks the layouts at compile time
and a test re-reads the facts file at run time.

Usage: tools/clap_abi_manifest.py FACTS.tsv  (run from the project root)
"""
import re
import sys


def main():
    facts_path = sys.argv[1]
    header = open("clap/abi.h").read()
    records = re.findall(r"^typedef struct (\w+) \{", header, re.M)
    defines = dict(re.findall(r"^#define (CLAP_\w+) (.+)$", header, re.M))

    sizes, fields, constants, strings = {}, {}, {}, {}
    for line in open(facts_path):
        if line.startswith("#"):
            continue
        part = line.rstrip("\n").split("\t")
        if part[0] == "R":
            sizes[part[1]] = (part[2], part[3])
        elif part[0] == "F":
            fields.setdefault(part[1], []).append((part[2], part[3], part[4]))
        elif part[0] == "C":
            constants[part[1]] = part[2]
        elif part[0] == "S":
            strings[part[1]] = part[2]

    out = ["// Written by tools/clap_abi_manifest.py from the CLAP 1.2.10 ABI facts; do not edit.\n"]
    for record in records:
        if record not in sizes:
            sys.exit(f"{record} is not in the ABI facts")
        out.append("HALVERN_ABI_RECORD(%s, %s, %s)\n" % ((record,) + sizes[record]))
        for name, offset, size in fields.get(record, []):
            out.append(f"HALVERN_ABI_FIELD({record}, {name}, {offset}, {size})\n")
    for name in defines:
        if name in constants:
            out.append(f"HALVERN_ABI_CONSTANT({name}, {constants[name]}u)\n")
        elif name in strings:
            out.append(f"HALVERN_ABI_STRING({name}, {strings[name]})\n")
        else:
            sys.exit(f"{name} is not in the ABI facts")
    open("clap/abi_manifest.inc", "w").write("".join(out))


if __name__ == "__main__":
    main()
