#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every JSON output of the command line against docs/json-schema.json: a run whole and in a
part, a run, a check and a dry run that do not start, the check, and the dry run as one document
and as JSON Lines, and a merge that is refused. The schema forbids keys it does not name, so an output that changes its
keys fails here until the schema (and docs/json.md) says so. The manifests of a job's two parts
are checked line by line too, and their merge is refused when the data was edited in place
between the parts.
usage: json_outputs.py STENCILOR SOURCE_DIR"""
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

import jsonschema

stencilor, top = sys.argv[1], pathlib.Path(sys.argv[2])
schema = json.loads((top / "docs/json-schema.json").read_text())
validator = jsonschema.Draft202012Validator(schema)
validator.check_schema(schema)

with tempfile.TemporaryDirectory() as scratch:
    work = pathlib.Path(scratch)
    shutil.copytree(top / "examples/cards", work / "cards", ignore=shutil.ignore_patterns("out"))
    project = str(work / "cards/cards.ql")
    # (arguments, expected exit status, expected outcome and the keys each object must hold)
    cases = [
        (["--run", project, "--output", str(work / "whole")], 0, {"outcome": "completed", "part": None}),
        (["--run", project, "--output", str(work / "part"), "--shard", "2/3"], 0,
         {"part": {"index": 2, "count": 3}, "firstRecord": 101, "lastRecord": 201}),
        (["--run", str(work / "nope.ql")], 2, {"outcome": "not-started"}),
        (["--run", project, "--data", str(work / "nope.csv")], 2, {"outcome": "not-started"}),
        (["--check", project], 0, {"fields": 10}),
        (["--check", str(work / "nope.ql")], 2, {"outcome": "not-started"}),
        (["--dry-run", project], 3, {"outcome": "completed"}),
        (["--dry-run", project, "--data", str(work / "nope.csv")], 2, {"outcome": "not-started"}),
        (["--merge-report", "--output", str(work / "merged"), str(work / "nope.jsonl"), project], 2,
         {"outcome": "refused", "report": None}),
    ]
    failures = 0
    for args, status, expected in cases:
        for form in ("json", "jsonl"):
            done = subprocess.run([stencilor, *args, "--format", form], capture_output=True, text=True)
            lines = done.stdout.splitlines()
            problems = [] if done.returncode == status else [f"exit {done.returncode}, not {status}"]
            problems += [] if lines else ["no output"]
            # One object on one line, except the findings of a dry run as JSON Lines.
            if len(lines) > 1 and not (form == "jsonl" and args[0] == "--dry-run"):
                problems.append(f"{len(lines)} lines")
            objects = [json.loads(line) for line in lines]
            for obj in objects:
                problems += [error.message for error in validator.iter_errors(obj)]
            last = objects[-1] if objects else {}
            problems += [f"{key} is {last.get(key)!r}" for key, value in expected.items() if last.get(key) != value]
            if form == "jsonl" and args[0] == "--dry-run" and status == 3:
                counted = sum(1 for obj in objects if obj.get("type") == "finding")
                if counted == 0 or counted != last.get("findingCount"):
                    problems.append(f"{counted} finding lines, summary says {last.get('findingCount')}")
            if problems:
                failures += 1
                print(f"FAILED: {' '.join(args[:1])} {form} {args[1:]}: {problems}", file=sys.stderr)
    # The two parts of a job with the data edited in place between them, keeping its size.
    manifest_lines = jsonschema.Draft202012Validator({**schema, "oneOf": [{"$ref": "#/$defs/manifestLine"}]})
    data = work / "cards/contacts.csv"
    parts = [str(work / f"part-{part}.jsonl") for part in (1, 2)]
    for part in (1, 2):
        if part == 2:
            text = data.read_bytes()
            data.write_bytes(text.replace(b"Stockholm", b"Stockhalm", 1))
            os.utime(data, ns=(data.stat().st_atime_ns, data.stat().st_mtime_ns + 1_000_000_000))
        subprocess.run([stencilor, "--run", "--quiet", project, "--output", str(work / "parts"), "--shard",
                        f"{part}/2", "--manifest", parts[part - 1]], check=True)
        for line in pathlib.Path(parts[part - 1]).read_text().splitlines():
            for error in manifest_lines.iter_errors(json.loads(line)):
                failures += 1
                print(f"FAILED: manifest line {line[:60]}: {error.message}", file=sys.stderr)
    merged = subprocess.run([stencilor, "--merge-report", "--format", "json", "--output", str(work / "parts"), *parts],
                            capture_output=True, text=True)
    codes = [problem["code"] for problem in json.loads(merged.stdout)["problems"]] if merged.stdout else []
    if merged.returncode != 2 or "other-job" not in codes or "data_hash" not in merged.stdout:
        failures += 1
        print(f"FAILED: the merge over edited data: exit {merged.returncode}, {merged.stdout}", file=sys.stderr)
    print(f"{len(cases) * 2 + 1 - failures} passed, {failures} failed")
    sys.exit(1 if failures else 0)
