"""Compares what python3-olefile reads from a compound file with a folder tree
(storages as folders, streams as files).

usage: /usr/bin/python3 olefile_compare.py FILE FOLDER
Prints the differences and exits 1, or exits 0 when the trees agree. olefile is asked
to raise on every defect it rates "incorrect", so a structural fault fails too.
"""
import os
import sys

import olefile


def folder_tree(root):
    tree = {}
    for dirpath, dirnames, filenames in os.walk(root):
        rel = os.path.relpath(dirpath, root)
        parts = [] if rel == "." else rel.split(os.sep)
        for d in dirnames:
            tree["/".join(parts + [d])] = None
        for f in filenames:
            with open(os.path.join(dirpath, f), "rb") as fh:
                tree["/".join(parts + [f])] = fh.read()
    return tree


def ole_tree(path):
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    tree = {}
    for entry in ole.listdir(streams=True, storages=True):
        key = "/".join(entry)
        if ole.get_type(entry) == olefile.STGTY_STORAGE:
            tree[key] = None
        else:
            data = ole.openstream(entry).read()
            if len(data) != ole.get_size(entry):
                print(f"{key}: read {len(data)} bytes, entry says {ole.get_size(entry)}")
            tree[key] = data
    ole.close()
    return tree


def main():
    expected = folder_tree(sys.argv[2])
    actual = ole_tree(sys.argv[1])
    problems = []
    for key in sorted(set(expected) | set(actual)):
        if key not in actual:
            problems.append(f"missing in the file: {key}")
        elif key not in expected:
            problems.append(f"not expected: {key}")
        elif expected[key] != actual[key]:
            kind = lambda v: "storage" if v is None else f"{len(v)}-byte stream"
            problems.append(f"differs: {key} ({kind(expected[key])} expected, {kind(actual[key])} read)")
    for p in problems[:20]:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
