#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""report.html built from hostile field values, opened in a real browser (Debian's chromium,
headless, driven over the DevTools protocol on a pipe): the page holds one row per record and no
script element, every cell's text is the field's value, and every link resolves to a file that
exists.

usage: report_in_browser.py STENCILOR [CHROMIUM]
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

# Values a report must show as text and link correctly, whatever they hold.
VALUES = [
    "<script>alert(2)</script>",
    'x" onmouseover="alert(1)',
    "javascript:alert(3)",
    "Rosa & Co.",
    "#1 ?a=b 50%",
    "a 'quoted' name",
    "Zoë Müller",
    "Жанна Петрова",
    "%41 %zz %",
    "<img src=x onerror=alert(4)>",
]


class DevTools:
    """The browser's DevTools protocol over --remote-debugging-pipe: JSON messages separated by
    NUL bytes, commands written to the browser's fd 3, answers read from its fd 4."""

    def __init__(self, chromium, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()

        # The browser expects the pipe on fds 3 and 4; a shell puts the two ends there.
        self.process = subprocess.Popen(
            ["sh", "-c", 'exec 3<&"$1" 4>&"$2"; shift 2; exec "$@"', "sh", str(to_browser_read),
             str(from_browser_write), chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--remote-debugging-pipe", "about:blank"],
            pass_fds=(to_browser_read, from_browser_write),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL if os.environ.get("QUIET_BROWSER", "1") == "1" else None)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0

    def call(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.from_browser, 65536)
                if not chunk:
                    raise RuntimeError("the browser closed the pipe")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer["result"]

    def close(self):
        self.process.kill()
        self.process.wait()


def main():
    stencilor = sys.argv[1]
    chromium = sys.argv[2] if len(sys.argv) > 2 else shutil.which("chromium")
    if not chromium:
        print("report_in_browser: chromium is not installed (scripts/install-deps.sh --test installs it)")
        return 1
    work = tempfile.mkdtemp(prefix="stencilor-browser-")
    failures = []
    browser = None
    try:
        with open(os.path.join(work, "data.csv"), "w", encoding="utf-8") as data:
            for value in VALUES:
                data.write(value + "\n")
        with open(os.path.join(work, "t.html"), "w") as template:
            template.write("<p>%V%</p>\n")
        with open(os.path.join(work, "p.ql"), "w") as project:
            project.write("[setup]\ndelim=;\ntextfile=data.csv\ntemplatefile=t.html\noutputdir=out dir\n"
                          "nameFromFld=1\nFileNameFld=Field 1\nAddExt=1\nedExt=*.htm\nreport=1\n"
                          "report_fld=FileName;Field 1;\nrulesCount=2\n[rules]\nColFld1=Field 1\nColTemp1=%V%\n")
        subprocess.run([stencilor, "--run", "--quiet", os.path.join(work, "p.ql")], check=True)
        report = os.path.join(work, "out dir", "report.html")

        browser = DevTools(chromium, os.path.join(work, "profile"))
        targets = browser.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        session = browser.call("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True})["sessionId"]
        browser.call("Page.navigate", {"url": "file://" + urllib.parse.quote(report)}, session)
        found = None
        for _ in range(100):
            found = browser.call("Runtime.evaluate", {"returnByValue": True, "expression": """
                document.readyState !== 'complete' || !document.URL.endsWith('report.html') ? null : {
                  scripts: document.getElementsByTagName('script').length,
                  images: document.getElementsByTagName('img').length,
                  rows: Array.from(document.querySelectorAll('tr')).slice(1).map(row => ({
                    cells: Array.from(row.cells).map(cell => cell.textContent.trim()),
                    links: Array.from(row.querySelectorAll('a')).map(a => ({href: a.href, text: a.textContent}))
                  }))
                }"""}, session)["result"].get("value")
            if found:
                break
            time.sleep(0.1)
        if not found:
            failures.append("the browser did not load the report")
        else:
            if found["scripts"] or found["images"]:
                failures.append("the page holds %d script and %d img elements" % (found["scripts"], found["images"]))
            if len(found["rows"]) != len(VALUES):
                failures.append("%d rows for %d records" % (len(found["rows"]), len(VALUES)))
            for value, row in zip(VALUES, found["rows"]):
                if len(row["cells"]) < 2 or row["cells"][1] != value:
                    failures.append("cell %r shows %r" % (value, row["cells"][1:2]))
                if len(row["links"]) != 1:
                    failures.append("row of %r has %d links" % (value, len(row["links"])))
                    continue
                link = row["links"][0]
                # The file: "/" makes a subfolder; the name loses its colons and gets the default
                # extension when it has none.
                folder, _, name = value.rpartition("/")
                name = name.replace(":", "")
                name += "" if "." in name else ".htm"
                relative = folder + "/" + name if folder else name
                if link["text"] != name:
                    failures.append("link text %r for %r" % (link["text"], value))
                address = urllib.parse.urlparse(link["href"])
                path = urllib.parse.unquote(address.path)
                if address.scheme != "file" or not os.path.isfile(path) or not path.endswith("/out dir/" + relative):
                    failures.append("link of %r resolves to %r" % (value, link["href"]))
    finally:
        if browser:
            browser.close()
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAILED:", failure)
    print("report in the browser: %d records, %d failures" % (len(VALUES), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
