#!/usr/bin/env bash
# Plants each fault of tests/seeded_faults.md in turn, rebuilds, runs the tests the row names and
# reports caught / MISSED / STALE. Every planted file is put back, also on Ctrl-C.
#   tools/seeded-faults.sh [--build DIR] [--only PATTERN] [--list | --stale]
# --stale only checks that every row's text is still found once, without building.
# Exits 1 when a fault is missed or a row is stale.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PY'
import argparse, os, re, shutil, subprocess, sys

parser = argparse.ArgumentParser(prog="seeded-faults.sh")
parser.add_argument("--build", default="build")
parser.add_argument("--only", default="", help="regular expression on the row's id or file")
parser.add_argument("--list", action="store_true")
parser.add_argument("--stale", action="store_true")
args = parser.parse_args()

def cells(line):
    parts = re.split(r"(?<!\\)\|", line.strip())[1:-1]
    out = []
    for part in parts:
        part = part.strip().replace("\\|", "|")
        if len(part) >= 2 and part[0] == "`" and part[-1] == "`":
            part = part[1:-1]
        out.append(part)
    return out

rows = []
for line in open("tests/seeded_faults.md", encoding="utf-8"):
    if not line.startswith("|") or line.startswith("|--") or line.startswith("| id "):
        continue
    c = cells(line)
    if len(c) != 5:
        sys.exit("malformed row: " + line.strip())
    rows.append(dict(zip(["id", "file", "find", "replace", "tests"], c)))
rows = [r for r in rows if re.search(args.only, r["id"] + " " + r["file"])]
if args.list:
    for r in rows:
        print(f'{r["id"]:32} {r["file"]:40} {r["tests"]}')
    sys.exit(0)

if args.stale:
    stale = [r["id"] for r in rows if open(r["file"], encoding="utf-8").read().count(r["find"]) != 1]
    print("stale rows: " + (" ".join(stale) if stale else "none") + f" (of {len(rows)})")
    sys.exit(1 if stale else 0)

jobs = str(min(os.cpu_count() or 2, 2))
def build():
    return subprocess.run(["cmake", "--build", args.build, "-j", jobs],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

if not build():
    sys.exit("the tree does not build before any fault is planted")
failures = 0
for r in rows:
    path = r["file"]
    text = open(path, encoding="utf-8").read()
    count = text.count(r["find"])
    if count != 1:
        print(f'STALE   {r["id"]}: the text is found {count} times in {path}')
        failures += 1
        continue
    backup = path + ".seeded-backup"
    shutil.copy2(path, backup)
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(text.replace(r["find"], r["replace"]))
        if not build():
            print(f'STALE   {r["id"]}: the planted fault does not build')
            failures += 1
            continue
        run = subprocess.run(["ctest", "--test-dir", args.build, "-R", r["tests"], "--timeout", "600"],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        ran = re.search(r"tests passed, (\d+) tests failed out of (\d+)", run.stdout)
        if ran is None or ran.group(2) == "0":
            why = [l for l in run.stdout.splitlines() if "Error" in l or "No tests" in l][:1]
            print(f'STALE   {r["id"]}: no test of {r["tests"]} ran {why}')
            failures += 1
        elif run.returncode != 0:
            print(f'caught  {r["id"]}: {ran.group(1)} of {ran.group(2)} tests failed')
        else:
            print(f'MISSED  {r["id"]}: all {ran.group(2)} tests passed')
            failures += 1
    finally:
        shutil.move(backup, path)
        os.utime(path)  # newer than the objects built with the fault, so the next build redoes them
build()
sys.exit(1 if failures else 0)
PY
