#!/usr/bin/env python3
"""Reads back the summary of a batch run (Summary.xlsx with openpyxl, and Summary.csv) and checks
it against the JSON of `tarmac analyze` on the same profiles with the same runs.

usage: check_summary.py TARMAC WORKDIR
Exit 0 when everything agrees, 77 when openpyxl is missing, 1 with the differences otherwise."""
import csv, json, math, os, shutil, subprocess, sys

try:
    import openpyxl
except ImportError:
    print("python3-openpyxl is not installed")
    sys.exit(77)

TARMAC, WORK = sys.argv[1], sys.argv[2]
problems = []
INDEXES = [("straightedge", "Straightedge"), ("bump", "Boeing Bump"), ("iri", "IRI"),
           ("profilograph", "CA Profilograph"), ("bandpass", "Bandpass")]
RUNS = [("B-727", 20), ("B-747", 20), ("B-727", 100), ("B-747", 100)]
# The index stretches judged against their limits, by the index that owns them in the JSON.
LIMITS = [("straightedge", "Straightedge deviation"), ("bump", "Boeing Bump Index"),
          ("iri", "IRI over 25 ft"), ("profilograph", "Profilograph scallop")]


def run(*args, expect=0):
    r = subprocess.run([TARMAC, *args], capture_output=True, text=True)
    if r.returncode != expect:
        sys.exit("tarmac %s: exit %d, expected %d\n%s%s" % (" ".join(args), r.returncode, expect,
                                                           r.stdout, r.stderr))
    return r


def close(a, b):
    return a is not None and b is not None and math.isclose(a, b, rel_tol=2e-6, abs_tol=1e-9)


def check(what, got, want):
    if isinstance(want, str):
        if got != want:
            problems.append("%s: summary %r, JSON %r" % (what, got, want))
    elif not close(got, want):
        problems.append("%s: summary %r, JSON %r" % (what, got, want))


def expected_row(profile, metric, runs):
    """The summary row the JSON of the same runs gives, keyed by the summary's headings."""
    out = os.path.join(WORK, "analyze.json")
    args = ["analyze", profile, "--batch", "--series", "--json", out,
            "--simulate", ",".join("%s@%d" % r for r in runs)]
    run(*(args + (["--metric"] if metric else [])))
    j = json.load(open(out))
    length = j["profile"]["units"]["length"]
    row = {"Length (%s)" % length: j["profile"]["length"],
           "Spacing (%s)" % length: j["profile"]["spacing"]}
    for key, name in INDEXES:
        ix = j["indexes"][key]
        unit = "" if key == "bump" else " (%s)" % ix["units"]["value"]
        row[name + unit] = ix["value"]
        for stretch, heading in (("first2000", "First2000"), ("center2000", "Center2000"),
                                 ("last2000", "Last2000")):
            row["%s %s%s" % (name, heading, unit)] = ix[stretch]
    bump = j["indexes"]["bump"]
    series = bump["series"]
    top = max(range(len(series)), key=lambda i: (series[i], -i))
    factor = 0.3048 if metric else 1.0
    row["Largest Boeing Bump Index"] = series[top]
    row["Largest Boeing Bump Index at (%s)" % length] = top * bump["step_ft"] * factor
    for sim in j["simulations"]:
        name = "%s %d kt" % (sim["aircraft"], sim["speed_knots"])
        r = sim["responses"]
        row[name + " cg peak (g)"] = r["gcg"]["peak"]
        row[name + " cg RMS (g)"] = r["gcg"]["total_rms"]
        row[name + " pilot peak (g)"] = r["gcp"]["peak"]
        row[name + " pilot RMS (g)"] = r["gcp"]["total_rms"]
        row[name + " largest dynamic load coefficient"] = max(
            r[g]["max"] for g in ("nose", "main", "rear_main") if g in r)
        beyond = sum(len(x["exceedances"]) for x in r.values())
        row[name + " stretches beyond limits"] = beyond
        row[name + " pass"] = "pass" if all(x["pass"] for x in r.values()) else "fail"
        if (beyond == 0) != all(x["pass"] for x in r.values()):
            problems.append("%s: the JSON's pass flags disagree with its stretches" % name)
    for key, kind in LIMITS:
        ix = j["indexes"][key]
        row[kind + " stretches beyond limit"] = len(ix["exceedances"])
        row[kind + " pass"] = "pass" if ix["pass"] else "fail"
    return row


def read_summary(folder):
    sheet = openpyxl.load_workbook(os.path.join(folder, "Summary.xlsx")).active
    xlsx = [[c.value for c in row] for row in sheet.iter_rows()]
    with open(os.path.join(folder, "Summary.csv"), newline="") as f:
        text = list(csv.reader(f))
    # The two files hold the same cells: numbers alike to the CSV's ten digits, texts exactly.
    if len(xlsx) != len(text):
        problems.append("Summary.xlsx has %d rows, Summary.csv %d" % (len(xlsx), len(text)))
    for r, (a, b) in enumerate(zip(xlsx, text)):
        a = a + [None] * (len(b) - len(a))
        for c, (x, y) in enumerate(zip(a, b)):
            if isinstance(x, (int, float)):
                if not math.isclose(x, float(y), rel_tol=1e-9, abs_tol=1e-12):
                    problems.append("row %d column %d: xlsx %r, csv %r" % (r + 1, c + 1, x, y))
            elif (x or "") != y:
                problems.append("row %d column %d: xlsx %r, csv %r" % (r + 1, c + 1, x, y))
    return xlsx


def compare(folder, profiles, metric, runs, failed):
    rows = read_summary(folder)
    head = rows[0]
    body = [r for r in rows[1:] if r[0] != "Failed"]
    if [r[0] for r in body] != [os.path.basename(p) for p in profiles]:
        problems.append("profiles %r, expected %r" % ([r[0] for r in body], profiles))
    for profile, row in zip(profiles, body):
        want = expected_row(profile, metric, runs)
        if sorted(want) != sorted(h for h in head[1:] if h):
            problems.append("headings %r, expected %r" % (sorted(head[1:]), sorted(want)))
            return
        for heading, value in want.items():
            check("%s: %s" % (os.path.basename(profile), heading), row[head.index(heading)], value)
    last = rows[-1]
    if failed:
        if last[0] != "Failed" or last[1] != failed:
            problems.append("last row %r, expected Failed, %r" % (last[:2], failed))
    elif last[0] == "Failed":
        problems.append("a Failed row without a failure: %r" % last)


def main():
    shutil.rmtree(WORK, ignore_errors=True)  # nothing of an earlier run is taken for this one's
    os.makedirs(WORK)
    a, b, bad = (os.path.join(WORK, n) for n in ("alpha.pro", "beta.pro", "broken.pro"))
    run("synth", a, "--length", "2600", "--seed", "3", "--speed")
    run("synth", b, "--length", "2200", "--seed", "4")
    with open(bad, "wb") as f:
        f.write(b"\x00\x01")  # not a whole sample
    folder = os.path.join(WORK, "WordFile")

    # US units, a runway (20 and 100 knots), one profile refused: exit 3 and a last Failed row.
    r = run("batch", a, bad, b, expect=3)
    for name in ("Summary.xlsx", "Summary.csv"):
        if "summary: " + os.path.join(folder, name) not in r.stdout:
            problems.append("batch does not name %s:\n%s" % (name, r.stdout))
    compare(folder, [a, b], False, RUNS, "broken.pro (could not be read)")
    sequential = open(os.path.join(folder, "Summary.csv")).read()
    # Side by side on two threads the summary is the same.
    run("batch", a, bad, b, "--jobs", "2", expect=3)
    if open(os.path.join(folder, "Summary.csv")).read() != sequential:
        problems.append("the summary of --jobs 2 differs from the sequential one")

    # Metric, a taxiway: 20 knots only, headings and values in metres, millimetres and m/km.
    run("batch", a, "--metric", "--taxiway")
    compare(folder, [a], True, RUNS[:2], None)

    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


main()
