#!/usr/bin/python3
"""The slide library's folders are layers: a folder includes and links only folders below it.

  slide_library_layers.py includes          sources under DicomInterop/ that include a folder above
  slide_library_layers.py links OBJECT...   objects that use a symbol defined in a folder above

Prints each upward dependency and exits 1 when there is one. `includes` runs from lint; `links`
from ctest over the library's objects, for what an include check cannot see (a function declared
low and defined high)."""
import pathlib
import re
import subprocess
import sys

# Lowest first; folders of equal rank (images, annotations) use neither each other.
RANK = {"dataset": 0, "frames": 1, "pyramid": 2, "images": 3, "annotations": 3, "source": 4}
ROOT = pathlib.Path(__file__).resolve().parent.parent / "DicomInterop"
INCLUDE = re.compile(r'^\s*#\s*include\s+"(?:\.\./)?(\w+)/')


def upward(user, used):
    return used in RANK and used != user and RANK[used] >= RANK[user]


def check_includes():
    hits = []
    for folder in RANK:
        for path in sorted((ROOT / folder).glob("*")):
            for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if match and upward(folder, match.group(1)):
                    hits.append(f"DicomInterop/{folder}/{path.name}:{number}: {line.strip()}")
    return hits


def folder_of(object_path):
    parts = pathlib.Path(object_path).parts
    return next((p for p in reversed(parts[:-1]) if p in RANK), None)


def nm(object_path, option):
    return subprocess.run(["nm", "-C", option, object_path], capture_output=True, text=True, check=True).stdout


def check_links(objects):
    objects = [o for part in objects for o in part.split(";") if o and folder_of(o)]
    defined = {}
    for o in objects:
        for line in nm(o, "--defined-only").splitlines():
            fields = line.split(" ", 2)
            if len(fields) == 3 and fields[1] in "TDBR":
                defined.setdefault(fields[2], set()).add(folder_of(o))
    hits = []
    for o in objects:
        user = folder_of(o)
        for line in nm(o, "--undefined-only").splitlines():
            name = line.strip()[2:]  # "U name"
            hits += [f"{user}/{pathlib.Path(o).name} uses {name} from {f}/"
                     for f in sorted(defined.get(name, ())) if upward(user, f)]
    return hits


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in ("includes", "links"):
        sys.exit(__doc__)
    found = check_includes() if sys.argv[1] == "includes" else check_links(sys.argv[2:])
    for hit in found:
        print(hit)
    sys.exit(1 if found else 0)
