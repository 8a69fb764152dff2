#!/usr/bin/env python3
"""Checks the archives that lha_dll_test (Wine) left in DLL_OUT with three
independent decoders: lhasa, 7z and bsdtar. Each case folder holds arc/*.lzh
and expect.txt, the folders whose contents together are what the archive must
extract to. Every file must come back byte for byte with its modification
time, every folder (empty ones too) must be there, and each decoder must list
exactly as many entries as there are files and folders.

Names: bsdtar reads the UTF-16 names and, through the code page header, the
code page 932 ones, and must give the exact names. lhasa writes the code page 932 bytes as they are ('_' for characters
code page 932 lacks). 7z on Linux takes every byte as a character, so a 0x5C
trail byte (表 is 95 5C) splits its name like a backslash: its paths are
predicted that way.

Usage: check_dll_archives.py DLL_OUT
"""
import os
import shutil
import subprocess
import sys
import tempfile

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def cp932(name):
    out = b""
    for ch in name:
        try:
            out += ch.encode("cp932")
        except UnicodeEncodeError:
            out += b"_" * (len(ch.encode("utf-16-le")) // 2)
    return out


def expected_tree(case):
    """Relative path (str) -> None for a folder, or (bytes, mtime) for a file."""
    tree = {}
    with open(os.path.join(case, "expect.txt"), encoding="cp932") as f:
        roots = [line.strip() for line in f if line.strip()]
    for root in roots:
        top = os.path.join(case, root)
        for dirpath, dirnames, filenames in os.walk(top):
            for d in dirnames:
                tree[os.path.relpath(os.path.join(dirpath, d), top)] = None
            for n in filenames:
                full = os.path.join(dirpath, n)
                with open(full, "rb") as fh:
                    tree[os.path.relpath(full, top)] = (fh.read(), int(os.stat(full).st_mtime))
    return tree


def run(command, cwd):
    env = dict(os.environ, LC_ALL="C.UTF-8")
    return subprocess.run(command, cwd=cwd, env=env, capture_output=True)


def count_entries(archive):
    counts = {}
    r = run(["lhasa", "l", archive], None)
    for line in r.stdout.decode("latin-1").splitlines():
        words = line.split()
        if len(words) >= 2 and words[0] == "Total":
            counts["lhasa"] = int(words[1])
    r = run(["7z", "l", "-slt", archive], None)
    counts["7z"] = sum(1 for l in r.stdout.splitlines() if l.startswith(b"Path = ")) - 1 \
        if r.returncode == 0 else -1
    r = run(["bsdtar", "-tf", archive], None)
    counts["bsdtar"] = len(r.stdout.splitlines()) if r.returncode == 0 else -1
    return counts


def decoder_path(decoder, rel):
    if decoder == "bsdtar":
        return os.fsencode(rel)
    raw = b"/".join(cp932(part) for part in rel.split(os.sep))
    return raw.replace(b"\\", b"/") if decoder == "7z" else raw


def compare(decoder, archive, tree, quiet=False):
    """Extracts with one decoder; returns the list of differences."""
    problems = []
    work = tempfile.mkdtemp(prefix="lha-check-")
    try:
        command = {
            "lhasa": ["lhasa", "xqf", archive],
            "7z": ["7z", "x", "-y", archive],
            # No charset option: the code page header must be enough.
            "bsdtar": ["bsdtar", "-xf", archive],
        }[decoder]
        r = run(command, work)
        if r.returncode != 0:
            problems.append("%s exit %d: %s" % (decoder, r.returncode, r.stderr[-300:]))
        found_files = set()
        for dirpath, _, filenames in os.walk(os.fsencode(work)):
            for n in filenames:
                found_files.add(os.path.relpath(os.path.join(dirpath, n), os.fsencode(work)))
        for rel, item in sorted(tree.items()):
            path = os.path.normpath(os.path.join(os.fsencode(work), decoder_path(decoder, rel)))
            if item is None:
                if not os.path.isdir(path):
                    problems.append("%s: folder missing: %s" % (decoder, rel))
                continue
            data, mtime = item
            if not os.path.isfile(path):
                problems.append("%s: file missing: %s" % (decoder, rel))
                continue
            with open(path, "rb") as fh:
                if fh.read() != data:
                    problems.append("%s: content differs: %s" % (decoder, rel))
            if decoder != "7z" and int(os.stat(path).st_mtime) != mtime:
                problems.append("%s: time differs: %s" % (decoder, rel))
            found_files.discard(os.path.normpath(decoder_path(decoder, rel)))
        for extra in sorted(found_files):
            problems.append("%s: unexpected file: %r" % (decoder, extra))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return problems


def corrupted_copy(archive):
    """The archive with one byte flipped in the middle of its largest entry."""
    data = bytearray(open(archive, "rb").read())
    at, best = 0, (0, 0)
    while data[at] != 0:
        size = data[at] | data[at + 1] << 8
        packed = int.from_bytes(data[at + 7:at + 11], "little")
        if packed > best[1]:
            best = (at + size, packed)
        at += size + packed
    data[best[0] + best[1] // 2] ^= 0x55
    path = archive + ".corrupt"
    open(path, "wb").write(data)
    return path


def main():
    out = os.path.abspath(sys.argv[1])
    cases = sorted(d for d in os.listdir(out) if os.path.isfile(os.path.join(out, d, "expect.txt")))
    if not cases:
        fail("no archives in " + out)
    for name in cases:
        case = os.path.join(out, name)
        tree = expected_tree(case)
        archives = [os.path.join(case, "arc", a) for a in os.listdir(os.path.join(case, "arc"))
                    if a.endswith(".lzh")]
        if len(archives) != 1:
            fail("%s: %d archives" % (name, len(archives)))
            continue
        archive = archives[0]
        print("%s: %d entries expected" % (name, len(tree)))
        for decoder, n in count_entries(archive).items():
            if n != len(tree):
                fail("%s: %s lists %d entries, expected %d" % (name, decoder, n, len(tree)))
        for decoder in ("lhasa", "7z", "bsdtar"):
            for p in compare(decoder, archive, tree):
                fail("%s: %s" % (name, p))
        # The checks must see a damaged archive: one flipped payload byte.
        bad = corrupted_copy(archive)
        for decoder in ("lhasa", "7z", "bsdtar"):
            if not compare(decoder, bad, tree):
                fail("%s: %s accepted a corrupted archive unnoticed" % (name, decoder))
        os.remove(bad)
    print("%d problems" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
