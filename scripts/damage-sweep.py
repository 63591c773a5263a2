#!/usr/bin/env python3
"""Damages copies of a sound catalogue in many ways and runs karvio-cli on each.

For every damaged copy: the reading commands must leave its bytes alone; when `check` calls it
damaged, `compact` and `backup` must refuse it, change nothing and write no backup; when `check`
calls it clean, a compaction must keep every CD, directory and file it counted. No command may
crash or hang. Prints the counts and lists every case that broke a rule.

    scripts/damage-sweep.py build/bin/karvio-cli [--files 500] [--seed 1] [--tree /usr/share/doc]
"""
import argparse
import hashlib
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

HEADER = 82  # bytes of the header record: damage below it hits the header


def run(cli, data, *args, timeout=60):
    try:
        p = subprocess.run([cli, "--data", data, "--yes", *args], capture_output=True, text=True,
                           errors="replace", timeout=timeout)
        return p.returncode, p.stdout, p.stderr
    except subprocess.TimeoutExpired:
        return "hang", "", ""


def digest(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def counts(cli, data):
    code, out, _ = run(cli, data, "check", "--json")
    if code != 0:
        return None
    info = json.loads(out)
    return {k: info.get(k) for k in ("cds", "categories", "directories", "files")}


def damage(rng, blob):
    b = bytearray(blob)
    kind = rng.choice(["zero4", "random4", "flip", "zero4k", "garbage4k", "truncate", "header"])
    at = rng.randrange(HEADER, len(b) - 8)
    if kind == "zero4":
        b[at:at + 4] = bytes(4)
    elif kind == "random4":
        b[at:at + 4] = rng.randbytes(4)
    elif kind == "flip":
        b[at] ^= 1 << rng.randrange(8)
    elif kind == "zero4k":
        b[at:at + 4096] = bytes(len(b[at:at + 4096]))
    elif kind == "garbage4k":
        b[at:at + 4096] = rng.randbytes(len(b[at:at + 4096]))
    elif kind == "truncate":
        del b[at:]
    else:
        h = rng.randrange(0, HEADER - 4)
        b[h:h + 4] = rng.randbytes(4)
        kind += "@%d" % h
    return kind + "@%d" % at, bytes(b)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("cli")
    ap.add_argument("--files", type=int, default=500)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--tree", default="/usr/share/doc")
    args = ap.parse_args()
    cli = os.path.abspath(args.cli)
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="karvio-sweep-")
    sound = os.path.join(work, "sound.cd")
    # Several CDs in nested categories, with notes, so every list and text kind is there.
    run(cli, sound, "category", "add", "Discs")
    run(cli, sound, "category", "add", "Old", "--parent", "83")
    folders = sorted(d for d in os.listdir(args.tree) if os.path.isdir(os.path.join(args.tree, d)))
    for n, sub in enumerate(folders[::max(1, len(folders) // 8)][:8]):
        run(cli, sound, "scan", os.path.join(args.tree, sub), "--name", "Disc %d" % n, "--notes", "notes %d" % n,
            "--category", str(83 if n % 2 else 0))
    code, out, _ = run(cli, sound, "check")
    if code != 0:
        sys.exit("the sound catalogue does not check clean:\n" + out)
    blob = open(sound, "rb").read()
    before = counts(cli, sound)
    print("sound catalogue: %d bytes, %s" % (len(blob), before))

    tally = {"damaged": 0, "clean": 0, "refused": 0, "compacted": 0, "lost": 0, "false_success": 0,
             "looked_changed": 0, "crash": 0, "hang": 0}
    problems = []
    reading = [("list",), ("categories",), ("info",), ("search", "a"), ("tree", "83"), ("show", "83")]
    for i in range(args.files):
        what, bad = damage(rng, blob)
        case = os.path.join(work, "case.cd")
        for leftover in os.listdir(work):
            if leftover.startswith("case") or leftover.startswith("copy"):
                p = os.path.join(work, leftover)
                shutil.rmtree(p) if os.path.isdir(p) else os.unlink(p)
        with open(case, "wb") as f:
            f.write(bad)
        original = digest(case)

        def note(code, cmd):
            if code == "hang":
                tally["hang"] += 1
                problems.append("%s: %s hangs" % (what, cmd))
            elif isinstance(code, int) and (code < 0 or code >= 128):
                tally["crash"] += 1
                problems.append("%s: %s ends with %s" % (what, cmd, code))

        for cmd in reading:
            code, _, _ = run(cli, case, *cmd)
            note(code, cmd[0])
            if digest(case) != original:
                tally["looked_changed"] += 1
                problems.append("%s: %s changed the file" % (what, cmd[0]))
        code, _, _ = run(cli, case, "check")
        note(code, "check")
        if code != 0:
            tally["damaged"] += 1
            copy = os.path.join(work, "copy-backup.cd")
            bcode, _, _ = run(cli, case, "backup", copy)
            note(bcode, "backup")
            ccode, _, _ = run(cli, case, "compact")
            note(ccode, "compact")
            if bcode == 0 or ccode == 0:
                tally["false_success"] += 1
                problems.append("%s: damaged, yet backup %s, compact %s" % (what, bcode, ccode))
            if digest(case) != original or os.path.exists(copy) or os.path.exists(case[:-3] + ".bak"):
                tally["lost"] += 1
                problems.append("%s: a refused run changed or wrote files" % what)
            if bcode != 0 and ccode != 0:
                tally["refused"] += 1
        else:
            tally["clean"] += 1
            had = counts(cli, case)
            ccode, _, _ = run(cli, case, "compact")
            note(ccode, "compact")
            after = counts(cli, case)
            if ccode != 0 or had != after or run(cli, case, "check")[0] != 0:
                tally["lost"] += 1
                problems.append("%s: clean, compact %s, counts %s -> %s" % (what, ccode, had, after))
            else:
                tally["compacted"] += 1
    shutil.rmtree(work)
    print("%d damaged copies × %d commands each" % (args.files, len(reading) + 3))
    print(", ".join("%s %d" % kv for kv in tally.items()))
    for p in problems[:50]:
        print("  " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
