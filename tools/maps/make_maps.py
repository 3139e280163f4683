#!/usr/bin/python3
"""Writes BinaryMaps/*.txt from the ASCII layouts in layouts.py and checks each
map against its level's set-up in Source/LevelData.cpp.

Layouts are drawn as seen on screen: the first string is the top row, which is
the last row of the file. Usage: make_maps.py [--check-only]"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import check_maps  # noqa: E402
from layouts import LAYOUTS  # noqa: E402
from maplib import CODES, ROOT  # noqa: E402


def grid_of(layout):
    """Cell codes indexed [row][column], row 0 at the bottom."""
    width = len(layout[0])
    for line in layout:
        if len(line) != width:
            raise SystemExit(f"ragged layout line: {line!r}")
        for ch in line:
            if ch not in CODES:
                raise SystemExit(f"unknown map character {ch!r}")
    return [[CODES[ch] for ch in line] for line in reversed(layout)]


def write_map(path, grid):
    with open(path, "w") as f:
        f.write(f"width {len(grid[0])}\nheight {len(grid)}\ntilesize 40\n")
        for row in grid:
            f.write(" ".join(str(v) for v in row) + "\n")


def main():
    check_only = "--check-only" in sys.argv
    failures = 0
    for name, layout in LAYOUTS.items():
        grid = grid_of(layout)
        path = os.path.join(ROOT, "BinaryMaps", name)
        if not check_only:
            write_map(path, grid)
        problems = check_maps.check("BinaryMaps/" + name, grid)
        for p in problems:
            print(f"{name}: {p}")
        failures += len(problems)
    print("all maps fit their levels" if failures == 0 else f"{failures} problem(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
