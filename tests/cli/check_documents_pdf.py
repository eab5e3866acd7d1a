#!/usr/bin/env python3
"""Renders each kind of report document with LibreOffice and checks the printed result: the
conversion succeeds, the paper is Letter (US units) or A4 (metric), every page shows its number
at the foot, and every picture of the document is in the PDF.

usage: check_documents_pdf.py TARMAC WORKDIR [PAGES_DIR]
With PAGES_DIR the pages are also written there as PNG images at 60 dpi, to be looked at.
Exit 0 when everything is as expected, 77 when LibreOffice or poppler-utils is missing."""
import os, re, shutil, subprocess, sys, zipfile

TOOLS = ("soffice", "pdftoppm", "pdfimages", "pdftotext", "pdfinfo")
missing = [t for t in TOOLS if shutil.which(t) is None]
if missing:
    print("not installed: " + ", ".join(missing))
    sys.exit(77)

TARMAC, WORK = sys.argv[1], os.path.abspath(sys.argv[2])
PAGES = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
problems = []


def run(*args, expect=0, **kw):
    r = subprocess.run(list(args), capture_output=True, text=True, **kw)
    if r.returncode != expect:
        sys.exit("%s: exit %d\n%s%s" % (" ".join(args), r.returncode, r.stdout, r.stderr))
    return r


def to_pdf(docx):
    out = os.path.join(WORK, "pdf")
    os.makedirs(out, exist_ok=True)
    # A private profile, so that runs side by side do not share LibreOffice's lock.
    profile = "file://" + os.path.join(WORK, "lo-profile")
    run("soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf",
        "--outdir", out, docx, timeout=300)
    pdf = os.path.join(out, os.path.splitext(os.path.basename(docx))[0] + ".pdf")
    if not os.path.isfile(pdf) or os.path.getsize(pdf) == 0:
        sys.exit("LibreOffice made no PDF of " + docx)
    return pdf


def check(docx, paper, min_pages):
    name = os.path.basename(docx)
    pictures = sum(1 for n in zipfile.ZipFile(docx).namelist() if n.startswith("word/media/"))
    pdf = to_pdf(docx)
    info = run("pdfinfo", pdf).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    size = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", info, re.M)
    w, h = float(size.group(1)), float(size.group(2))
    want = (612, 792) if paper == "letter" else (595.3, 841.9)
    if abs(w - want[0]) > 2 or abs(h - want[1]) > 2:
        problems.append("%s: page %.1f x %.1f pt, expected %s" % (name, w, h, paper))
    if pages < min_pages:
        problems.append("%s: %d pages, expected at least %d" % (name, pages, min_pages))
    # Each page ends with its own number, centred in the footer.
    for p in range(1, pages + 1):
        text = run("pdftotext", "-layout", "-f", str(p), "-l", str(p), pdf, "-").stdout
        lines = [l.strip() for l in text.splitlines() if l.strip()]
        if not lines or lines[-1] != str(p):
            problems.append("%s: page %d does not end with its number (%r)" %
                            (name, p, lines[-1] if lines else ""))
    images = run("pdfimages", "-list", pdf).stdout.splitlines()[2:]
    if len(images) < pictures:
        problems.append("%s: %d pictures in the document, %d in the PDF" %
                        (name, pictures, len(images)))
    if pictures == 0:
        problems.append("%s: no pictures" % name)
    if PAGES:
        os.makedirs(PAGES, exist_ok=True)
        run("pdftoppm", "-png", "-r", "60", pdf, os.path.join(PAGES, os.path.splitext(name)[0]))
    print("%s: %d pages, %s, %d pictures" % (name, pages, paper, pictures))


def main():
    shutil.rmtree(WORK, ignore_errors=True)  # nothing of an earlier run is taken for this one's
    os.makedirs(WORK)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    us, metric = os.path.join(WORK, "us"), os.path.join(WORK, "metric")
    for d in (us, metric):
        os.makedirs(d, exist_ok=True)
    profile = os.path.join(us, "RW09.pro")
    run(TARMAC, "synth", profile, "--length", "3000", "--seed", "9", "--speed", env=env)
    # The batch report and the chart document beside it, in US units on Letter paper.
    run(TARMAC, "batch", profile, env=env)
    check(os.path.join(us, "WordFile", "RW09.docx"), "letter", 4)
    check(os.path.join(us, "ChartFile", "RW09Chart.docx"), "letter", 3)
    # The measurement report of the simulation batch.
    with open(os.path.join(us, "ProDatFiles.txt"), "w") as f:
        f.write("RW09.pro\n")
    run(TARMAC, "process-sim", os.path.join(us, "ProDatFiles.txt"), env=env)
    check(os.path.join(us, "RW09.docx"), "letter", 2)
    # A metric chart document is printed on A4.
    shutil.copy(profile, metric)
    shutil.copy(profile[:-4] + ".spd", metric)
    run(TARMAC, "chart", os.path.join(metric, "RW09.pro"), "--rows", "1-3", "--metric",
        "--batch", env=env)
    check(os.path.join(metric, "ChartFile", "RW09Chart.docx"), "a4", 1)
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


main()
