#!/usr/bin/python3
"""xlsread.py FILE: reads a workbook with two independent readers and prints
what each found as JSON: {"xlrd": [{"name", "rows", "types"}], "ssconvert":
[{"rows"}], "ssconvert_messages": "..."}. Rows are lists of cell texts,
without trailing empty cells; "types" holds xlrd's cell type per cell."""
import csv
import glob
import json
import os
import subprocess
import sys
import tempfile

import xlrd

path = sys.argv[1]
out = {"xlrd": [], "ssconvert": [], "ssconvert_messages": ""}

book = xlrd.open_workbook(path, on_demand=False)
for sheet in book.sheets():
    rows, types = [], []
    for r in range(sheet.nrows):
        values = [str(v) for v in sheet.row_values(r)]
        kinds = list(sheet.row_types(r))
        while values and values[-1] == "":
            values.pop()
            kinds.pop()
        rows.append(values)
        types.append(kinds)
    out["xlrd"].append({"name": sheet.name, "rows": rows, "types": types})

with tempfile.TemporaryDirectory() as tmp:
    target = os.path.join(tmp, "sheet_%n.csv")
    run = subprocess.run(["ssconvert", "-S", "-T", "Gnumeric_stf:stf_csv", path, target],
                         capture_output=True, text=True)
    # Every message of the reader counts, but one: gnumeric has no width
    # table for the workbook's Chinese font on this machine and says so.
    lines = (run.stdout + run.stderr).splitlines()
    out["ssconvert_messages"] = "\n".join(
        l for l in lines if l.strip() and "unknown widths for font" not in l)
    files = sorted(glob.glob(os.path.join(tmp, "sheet_*.csv")),
                   key=lambda f: int(f.rsplit("_", 1)[1].split(".")[0]))
    for f in files:
        with open(f, newline="", encoding="utf-8") as fh:
            rows = [r for r in csv.reader(fh)]
        for r in rows:
            while r and r[-1] == "":
                r.pop()
        out["ssconvert"].append({"rows": rows})

json.dump(out, sys.stdout, ensure_ascii=False)
