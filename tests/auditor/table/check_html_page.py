#!/usr/bin/env python3
"""Renders hotfixes-table's HTML page in headless Chromium and checks the
rendered page against the reports it was made from.

The reports are generated here: a small fleet of every status, one machine
lacking a required hotfix and one naming it in its old Q form, with text
that an HTML page must escape, and entries that would be a script and an
image with a script if they were not: the page escapes them, and where
they are planted unescaped into a copy of it, its Content-Security-Policy
keeps them from running and Chromium says so; with --large a fleet of 1,000
machines by 300 hotfixes in a few hundred patch levels, whose page must
load within the time given and keep its header in view too; with --varied
a fleet in which every machine is a patch level of its own, whose matrices
the page tells as lines of text: each line, read back against its common
set, must give its level's hotfixes and the findings CSV's exposure, and
every link of the machines' table lead to its machine; with --baseline
FILE a fleet of several Windows judged by that baseline, whose exposure
counts and findings matrix must be what the findings CSV of the same
reports says; with --since also three earlier collections of that fleet a
month apart, whose picture of the fleet over the audits must have a point
per audit and series, with the counts the program's own tables give, and
the audits' dates on its axis. The browser is driven over the DevTools
protocol on file descriptors 3 and 4 (--remote-debugging-pipe), with
nothing but the standard library.
"""

import argparse
import base64
import fcntl
import json
import os
import random
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

BANNER = b"Hotfix inventory for Windows NT\r\nhotfixes.exe Ver.0.6.12.21\r\n"
FAILURE = (b"Exception EOutOfMemory in module hotfixes.exe at 0001A2B3.\r\n"
           b"Out of memory.\r\n\r\n")
PRESENT_MARK = "\u2713"
VIEWPORT = (1280, 900)
# Report text that breaks the page unless it is escaped: an element, an
# entity and quotes that would end an attribute.
HOSTILE_HOTFIX = "KB9<u>1</u>&amp;\"'"
HOSTILE_OS = "Windows XP <Professional> & \"Tablet\" 'Edition'"
REQUIRED = ["KB823980", "KB835732"]
# Entries that run a script when they reach the page as markup.
PLANTED = ["<script>document.title='ran'</script>",
           "<img src=x onerror=document.title='ran'>"]


class Machine:
    """What the generated report of one machine holds."""

    def __init__(self, name, status, os_line="", hotfixes=(), body=None):
        self.name = name
        self.status = status
        self.os_line = os_line
        self.hotfixes = list(hotfixes)
        self.body = body  # the file's bytes, when not a report


def hotfix_key(name):
    """Names compare without case, Q823980 as KB823980."""
    upper = name.upper()
    if len(upper) >= 2 and upper[0] == "Q" and upper[1].isdigit():
        return "KB" + upper[1:]
    return upper


def hotfix_lines(machine):
    lines = b""
    for i, name in enumerate(machine.hotfixes):
        comment = "Security update %d for %s" % (i, machine.os_line[:10])
        lines += ("[%s] %s\r\n" % (name, comment)).encode("cp1252")
        if i == 0:
            # A comment that spans lines starts no entry.
            lines += b"second line of the comment, [not a name]\r\n"
    return lines


def report_bytes(machine):
    if machine.body is not None:
        return machine.body
    start = BANNER + b"\r\n" + machine.os_line.encode("cp1252") + b"\r\n\r\n"
    lines = hotfix_lines(machine)
    if machine.status == "complete":
        count = "\r\nFound %d Hot-Fix\r\n" % len(machine.hotfixes)
        return start + lines + count.encode()
    if machine.status == "failed":
        return start + lines + FAILURE
    # Cut in the comment of the last hotfix line: its name was read.
    assert machine.status == "incomplete"
    return start + lines[:-12]


def small_fleet():
    xp = "Windows XP Professional Service Pack 2 (Build 2600)"
    return [
        Machine("ACCT-PC-01", "complete", HOSTILE_OS,
                ["KB823980", "KB828741", "KB835732", HOSTILE_HOTFIX]),
        # Its old Q form names the first required fix.
        Machine("lab-pc-02", "complete", xp, ["Q823980", "KB828741"]),
        Machine("SALES-PC-03", "failed", xp, ["KB823980", "KB835732"]),
        Machine("DEV-PC-04", "incomplete", xp, ["KB828741", "KB890830"]),
        Machine("HR-PC-05", "unreadable", body=bytes(range(256)) * 4),
        Machine("OPS-PC-06", "unreadable", body=b""),
        # One patch level with lab-pc-02: the same fixes, one by its other
        # name and one in other letters.
        Machine("lab-pc-07", "complete", xp, ["KB828741", "KB823980"]),
        Machine("lab-pc-08", "complete", xp, ["kb823980", "kB828741"]),
        Machine("WEB-PC-09", "complete", xp, ["KB823980"] + PLANTED),
    ]


def fleet_names(hotfixes):
    """The hotfixes all kinds of Windows share, and each kind's own."""
    names = ["KB%06d" % (800000 + 37 * i) for i in range(hotfixes)]
    return names[:hotfixes // 10], [names[hotfixes // 10 + k::4]
                                    for k in range(4)]


def large_fleet(machines, hotfixes, seed=15, levels=0):
    """Kinds of Windows, each with its own hotfixes besides the ones they
    share; a machine has most of its kind's, one of `levels` sets of them
    (0: each its own). Without `levels` also XP SP2 machines, with XP
    SP3's hotfixes. A few reports are not complete."""
    rng = random.Random(seed)
    shared, kinds = fleet_names(hotfixes)
    os_lines = [
        "Windows NT Workstation 4.0 Service Pack 6a (Build 1381)",
        "Windows 2000 Professional Service Pack 4 (Build 2195)",
        "Windows XP Professional Service Pack 3 (Build 2600)",
        "Windows Server 2003, Standard Edition Service Pack 2 (Build 3790)",
    ]
    if not levels:
        os_lines.append("Windows XP Professional Service Pack 2 (Build 2600)")
        kinds.append(kinds[2])
    sets = [[[n for n in shared + own if rng.random() < 0.9]
             for _ in range(levels // len(kinds))] for own in kinds]
    departments = ["ACCT", "SALES", "LAB", "DEV", "HR", "OPS", "FIN", "IT"]
    fleet = []
    for i in range(machines):
        kind = i % len(kinds)
        name = "%s-PC-%04d" % (departments[i % len(departments)], i)
        if i == machines // 2:
            # A name that would push the matrix out of the window.
            name += "-" + "N" * 240
        if levels:
            has = rng.choice(sets[kind])
        else:
            has = [n for n in shared + kinds[kind] if rng.random() < 0.9]
            if i % 50 == 7:
                has.append(HOSTILE_HOTFIX)
        # Some still carry the old Q form.
        has = ["Q" + n[2:] if rng.random() < 0.05 else n for n in has]
        roll = rng.random()
        if roll < 0.02:
            fleet.append(Machine(name, "failed", os_lines[kind], has))
        elif roll < 0.03:
            fleet.append(Machine(name, "incomplete", os_lines[kind], has))
        elif roll < 0.04:
            fleet.append(Machine(name, "unreadable", body=b"\x00\x01garbage"))
        else:
            fleet.append(Machine(name, "complete", os_lines[kind], has))
    required = shared[:5] + [kinds[k][0] for k in range(4)]
    return fleet, required


def write_fleet(fleet, required, folder):
    reports = os.path.join(folder, "reports")
    os.mkdir(reports)
    for machine in fleet:
        with open(os.path.join(reports, machine.name + ".txt"), "wb") as f:
            f.write(report_bytes(machine))
    require = os.path.join(folder, "required.txt")
    with open(require, "wb") as f:
        f.write(b"# every machine must have these\r\n\r\n")
        f.write("".join(n + "\r\n" for n in required).encode())
    return reports, require


def expected_rows(fleet, required):
    """Per machine in table order: status, present and lacking keys."""
    required_keys = {hotfix_key(n) for n in required}
    rows = []
    for machine in sorted(fleet, key=lambda m: m.name.upper()):
        present = {hotfix_key(n) for n in machine.hotfixes}
        lacking = required_keys - present
        if machine.status == "unreadable":
            # Nothing is known of it, not even what it lacks.
            present, lacking = set(), set()
        rows.append({"name": machine.name, "status": machine.status,
                     "present": present,
                     "lacking": lacking,
                     "entries": 0 if machine.status == "unreadable"
                     else len(machine.hotfixes)})
    return rows


def make_page(program, fleet, required, folder):
    reports, require = write_fleet(fleet, required, folder)
    page = os.path.join(folder, "page.html")
    with open(page, "wb") as out:
        result = subprocess.run(
            [program, "--format", "html", "--require", require, reports],
            stdout=out, stderr=subprocess.PIPE, timeout=120, check=False)
    problems = []
    if result.returncode != 3:
        problems.append("hotfixes-table exited with %d, not 3 (reports that "
                        "are not complete): %s"
                        % (result.returncode, result.stderr.decode()))
    return page, problems


class DevToolsError(Exception):
    pass


class Browser:
    """Headless Chromium and one page of it, over the DevTools pipe."""

    def __init__(self, chromium, profile):
        commands_read, self._commands = os.pipe()
        self._replies, replies_write = os.pipe()
        # The browser reads commands from fd 3 and writes replies to fd 4;
        # the ends are moved there in the child, from numbers no other
        # descriptor of the child takes.
        high_read = fcntl.fcntl(commands_read, fcntl.F_DUPFD, 10)
        high_write = fcntl.fcntl(replies_write, fcntl.F_DUPFD, 10)
        for fd in (commands_read, replies_write):
            os.close(fd)

        def onto_3_and_4():
            os.dup2(high_read, 3)
            os.dup2(high_write, 4)

        self._process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--disable-extensions",
             "--hide-scrollbars", "--remote-debugging-pipe",
             "--user-data-dir=" + profile, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, pass_fds=(3, 4),
            preexec_fn=onto_3_and_4)
        os.close(high_read)
        os.close(high_write)
        self._next_id = 0
        self._buffer = b""
        self._events = []
        self.session = None

    def close(self):
        try:
            self.call("Browser.close", timeout=10)
        except DevToolsError:
            pass
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        os.close(self._commands)
        os.close(self._replies)

    def _receive(self, deadline):
        while b"\0" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise DevToolsError("no answer from Chromium in time")
            ready, _, _ = select.select([self._replies], [], [], left)
            if ready:
                chunk = os.read(self._replies, 1 << 20)
                if not chunk:
                    raise DevToolsError("Chromium closed its pipe")
                self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, timeout=30, session=True):
        self._next_id += 1
        message = {"id": self._next_id, "method": method,
                   "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._receive(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise DevToolsError("%s: %s" % (method, reply["error"]))
                return reply["result"]
            if "method" in reply:
                self._events.append(reply)

    def take_events(self, method):
        """The events of `method` received so far, taken out."""
        taken = [e for e in self._events if e["method"] == method]
        self._events = [e for e in self._events if e["method"] != method]
        return taken

    def wait_for(self, event, timeout):
        deadline = time.monotonic() + timeout
        while True:
            for i, seen in enumerate(self._events):
                if seen["method"] == event:
                    return self._events.pop(i)
            self._events.append(self._receive(deadline))

    def open_page(self, width, height):
        target = self.call("Target.createTarget", {"url": "about:blank"},
                           session=False)
        attached = self.call("Target.attachToTarget",
                             {"targetId": target["targetId"],
                              "flatten": True}, session=False)
        self.session = attached["sessionId"]
        self.call("Page.enable")
        self.resize(width, height)

    def resize(self, width, height):
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1,
                   "mobile": False})

    def load(self, path, timeout):
        """Loads the file and lays it out; returns the seconds it took."""
        self._events.clear()
        started = time.monotonic()
        self.call("Page.navigate", {"url": "file://" + path},
                  timeout=timeout)
        self.wait_for("Page.loadEventFired", timeout)
        self.evaluate("document.documentElement.scrollHeight", timeout)
        return time.monotonic() - started

    def evaluate(self, expression, timeout=30):
        result = self.call("Runtime.evaluate",
                           {"expression": expression, "returnByValue": True},
                           timeout=timeout)
        if "exceptionDetails" in result:
            raise DevToolsError("script failed: %s"
                                % result["exceptionDetails"])
        return result["result"].get("value")

    def screenshot(self, path, timeout=60):
        shot = self.call("Page.captureScreenshot", {"format": "png"},
                         timeout=timeout)
        with open(path, "wb") as f:
            f.write(base64.b64decode(shot["data"]))


# The rendered page as the checks need it: the summary, and each section's
# matrix read cell by cell, each mark under the name of its column, each
# row with the machines of its patch level.
READ_PAGE = r"""(() => {
  const sections = [...document.querySelectorAll('table.hx')].map(t => {
    const heads = [...t.tHead.rows[0].cells].slice(1)
        .map(th => th.textContent);
    const rows = [...t.tBodies[0].rows].map(tr => {
      const present = [], lacking = [], other = [];
      [...tr.cells].slice(1).forEach((td, j) => {
        if (td.classList.contains('l')) lacking.push(heads[j]);
        else if (td.textContent === '%s') present.push(heads[j]);
        else if (td.textContent !== '') other.push(td.textContent);
      });
      const th = tr.cells[0];
      const details = th.querySelector('details');
      const status = th.querySelector('i');
      return {id: tr.id, cls: tr.className, title: th.title,
              names: details ? [...details.querySelectorAll('span')]
                                   .map(s => s.textContent)
                             : [th.firstChild.textContent],
              status: status ? status.textContent : 'complete',
              width: th.getBoundingClientRect().width,
              present, lacking, other, cells: tr.cells.length - 1};
    });
    // A matrix is in a block of its own, after its section's heading.
    return {title: t.parentElement.previousElementSibling.textContent,
            heads, rows};
  });
  const summary = [...document.querySelectorAll('#machines tbody tr')]
      .map(tr => ({cls: tr.className,
                   link: tr.querySelector('a').getAttribute('href'),
                   cells: [...tr.cells].map(td => td.textContent)}));
  const counts = [...document.querySelectorAll('#counts li')]
      .map(li => li.textContent);
  return {sections, summary, counts,
          injected: document.querySelectorAll('u').length};
})()""" % PRESENT_MARK

# Totals only, for the large page.
COUNT_MARKS = r"""(() => {
  const all = selector => document.querySelectorAll('table.hx ' + selector);
  return {rows: all('tbody tr').length,
          present: all('tbody td:not(.l):not(:empty)').length,
          lacking: all('tbody td.l').length,
          notComplete: all('tbody tr[class]').length,
          summaryRows:
              document.querySelectorAll('#machines tbody tr').length,
          nameWidth: Math.max(...[...all('tbody tr')].map(
              tr => tr.cells[0].getBoundingClientRect().width))};
})()"""

# The matrix of the section with the most rows, for the scrolling checks.
BIGGEST = ("[...document.querySelectorAll('table.hx')].reduce((a, b) => "
           "b.tBodies[0].rows.length > a.tBodies[0].rows.length ? b : a)")

# Scrolls to (x, y) of the biggest matrix' body, given as fractions of
# its scrollable range, and tells where its header and name column lie.
STICKY = r"""((fx, fy) => {
  const m = BIGGEST;
  const rows = m.tBodies[0].rows;
  const r = e => e.getBoundingClientRect();
  // Across no further than the matrix' right edge: its names' column
  // stays within the matrix.
  const width = Math.max(0, r(m).right + scrollX - innerWidth);
  // Down no further than the matrix' last row just below its header:
  // other sections follow it.
  const top = r(m.tBodies[0]).top + scrollY;
  const end = Math.max(top, r(rows[rows.length - 1]).top + scrollY -
                                r(m.tHead).height);
  window.scrollTo(width * fx, top + (end - top) * fy);
  const middle = rows[Math.floor(rows.length * fy)] || rows[rows.length - 1];
  return {scrollX, scrollY, viewWidth: innerWidth,
          headTop: r(m.tHead.rows[0].cells[1]).top,
          headBottom: r(m.tHead.rows[0].cells[1]).bottom,
          cornerLeft: r(m.tHead.rows[0].cells[0]).left,
          nameLeft: r(middle.cells[0]).left,
          firstRowTop: r(rows[0].cells[1]).top,
          firstColumnLeft: r(rows[0].cells[1]).left};
})(%s, %s)""".replace("BIGGEST", BIGGEST)

# Follows the summary's link to the middle machine's matrix row: the row
# must come to lie below the sticky header, not under it.
FOLLOW_LINK = r"""(() => {
  const m = BIGGEST;
  const row = m.tBodies[0].rows[Math.floor(m.tBodies[0].rows.length / 2)];
  document.querySelector('#machines a[href="#' + row.id + '"]').click();
  return {name: row.cells[0].firstChild.textContent, scrollY,
          headBottom: m.tHead.rows[0].cells[1].getBoundingClientRect().bottom,
          rowTop: row.getBoundingClientRect().top, viewHeight: innerHeight};
})()""".replace("BIGGEST", BIGGEST)

COLOURS = r"""(() => {
  const bg = e => e ? getComputedStyle(e).backgroundColor : null;
  const m = BIGGEST;
  const complete = m.querySelector('tbody tr:not([class])');
  return {present: bg(m.querySelector('tbody td:not(.l):not(:empty)')),
          lacking: bg(m.querySelector('tbody td.l')),
          empty: bg(complete.querySelector('td:empty')),
          name: bg(complete.cells[0]),
          notCompleteName: bg(m.querySelector('tbody tr[class] th'))};
})()""".replace("BIGGEST", BIGGEST)


def into_view(browser, script):
    """Brings the biggest matrix into view, which a browser lays out only
    then, and runs the script there."""
    browser.evaluate("(%s).scrollIntoView()" % BIGGEST)
    time.sleep(0.3)
    return browser.evaluate(script)


def check_sticky(browser, fx, fy):
    """The header row and the name column after a scroll down and across."""
    got = into_view(browser, STICKY % (fx, fy))
    problems = []
    if got["firstRowTop"] >= got["headBottom"]:
        problems.append("the page did not scroll the rows under the header:"
                        " %s" % got)
    if abs(got["headTop"]) > 1:
        problems.append("the header row left the view: top at %.1f px"
                        % got["headTop"])
    if fx > 0 and got["scrollX"] == 0:
        problems.append("the page did not scroll across: %s" % got)
    if abs(got["nameLeft"]) > 1 or abs(got["cornerLeft"]) > 1:
        problems.append("the machine names left the view: %s" % got)
    return problems, got


def lines_of_counts(rows, required):
    statuses = {}
    for row in rows:
        statuses[row["status"]] = statuses.get(row["status"], 0) + 1
    lacking = sum(1 for row in rows if row["lacking"])
    counts = ["%d machines" % len(rows)]
    counts += ["%d %s" % (statuses.get(s, 0), s)
               for s in ("complete", "failed", "incomplete", "unreadable")]
    return counts, "%d machine%s required hotfixes" % (
        lacking, " lacks" if lacking == 1 else "s lack")


# The widest the matrix' name column may be: 16em of 13px and padding.
NAME_WIDTH = 16 * 13 + 20


def windows_of(program, reports):
    """Each machine's windows column, from the wide CSV of the reports."""
    import csv
    import io
    result = subprocess.run([program, "--format", "wide", reports],
                            capture_output=True, timeout=120, check=False)
    rows = csv.DictReader(io.StringIO(result.stdout.decode("utf-8"),
                                      newline=""))
    return {row["machine"]: row["windows"] for row in rows}


def expected_levels(fleet, required, windows):
    """Section name -> its patch levels, each (sorted machine names,
    status, present keys, lacking keys): complete reports of one Windows,
    service pack and set of hotfix keys form one; any other report is a
    level of its own."""
    sections = {}
    for row in expected_rows(fleet, required):
        match = re.match(r"^(.*?)(?: SP(\d+a?))?$", windows[row["name"]])
        section = match.group(1) or "Unknown Windows"
        key = ((match.group(2), frozenset(row["present"]))
               if row["status"] == "complete" else row["name"])
        sections.setdefault(section, {}).setdefault(key, []).append(row)
    return {section: sorted(
        (tuple(sorted(r["name"] for r in rows)), rows[0]["status"],
         frozenset(rows[0]["present"]), frozenset(rows[0]["lacking"]))
        for rows in levels.values()) for section, levels in sections.items()}


def check_matrices(page, expected, required):
    """Each section's columns and patch levels, mark by mark."""
    problems = []
    shown = {}
    for section in page["sections"]:
        name = section["title"].split(":")[0]
        levels = []
        for row in section["rows"]:
            levels.append((tuple(sorted(row["names"])), row["status"],
                           frozenset(hotfix_key(n) for n in row["present"]),
                           frozenset(hotfix_key(n) for n in row["lacking"])))
            if row["other"] or row["cells"] != len(section["heads"]):
                problems.append("row %s: %d cells, other marks %s"
                                % (row["names"], row["cells"], row["other"]))
            if row["width"] > NAME_WIDTH:
                problems.append("row %s: name %.0f px wide (at most %d)"
                                % (row["names"], row["width"], NAME_WIDTH))
        shown[name] = sorted(levels)
        keys = {hotfix_key(n) for n in required}
        for level in expected.get(name, []):
            keys |= level[2]
        heads = [hotfix_key(h) for h in section["heads"]]
        if sorted(heads) != sorted(keys):
            problems.append("%s: columns %s, expected %s"
                            % (name, sorted(heads), sorted(keys)))
    if shown != expected:
        problems.append("patch levels %s, expected %s" % (shown, expected))
    return problems


def check_small_page(page, fleet, required, windows):
    """The matrices and the summary, row by row, against the reports."""
    expected = expected_levels(fleet, required, windows)
    problems = check_matrices(page, expected, required)
    heads = [h for section in page["sections"] for h in section["heads"]]
    if HOSTILE_HOTFIX not in heads:
        problems.append("the name %r is not shown as it is: %s"
                        % (HOSTILE_HOTFIX, heads))
    if page["injected"]:
        problems.append("report text became markup")
    level_of = {name: row["id"] for section in page["sections"]
                for row in section["rows"] for name in row["names"]}
    status_class = {"complete": "", "failed": "f", "incomplete": "i",
                    "unreadable": "u"}
    rows = expected_rows(fleet, required)
    if len(page["summary"]) != len(rows):
        problems.append("%d summary rows for %d reports"
                        % (len(page["summary"]), len(rows)))
    for want, summary in zip(rows, page["summary"]):
        cells = summary["cells"]
        got = [cells[0], cells[1], cells[5], cells[6], summary["cls"],
               cells[7] == "", summary["link"]]
        wanted = [want["name"], want["status"], str(want["entries"]),
                  str(len(want["lacking"])), status_class[want["status"]],
                  want["status"] == "complete",
                  "#" + level_of.get(want["name"], "?")]
        if got != wanted:
            problems.append("summary row %s, expected (name, status, entries,"
                            " lacks, class, no problem, link) %s"
                            % (cells, wanted))
        if want["status"] == "complete" and cells[4] != str(len(
                [m for m in fleet if m.name == want["name"]][0].hotfixes)):
            problems.append("summary row %s: found is not the count line's"
                            % cells)
    if HOSTILE_OS not in [s["cells"][2] for s in page["summary"]]:
        problems.append("the OS line %r is not shown as it is" % HOSTILE_OS)
    counts, lacking = lines_of_counts(rows, required)
    for line in counts:
        if line not in page["counts"]:
            problems.append("no %r among the counts %s"
                            % (line, page["counts"]))
    if not any(c.startswith(lacking) for c in page["counts"]):
        problems.append("no %r among the counts %s" % (lacking,
                                                       page["counts"]))
    return problems


def check_colours(browser):
    colours = browser.evaluate(COLOURS)
    problems = []
    if len({colours["present"], colours["lacking"], colours["empty"]}) != 3:
        problems.append("present, lacking and empty cells do not differ in "
                        "colour: %s" % colours)
    if colours["name"] == colours["notCompleteName"]:
        problems.append("a report that is not complete does not stand out: "
                        "%s" % colours)
    return problems


def escaped(text):
    """As the page escapes a report's text."""
    for raw, entity in (("&", "&amp;"), ("<", "&lt;"), (">", "&gt;"),
                        ('"', "&quot;"), ("'", "&#39;")):
        text = text.replace(raw, entity)
    return text


PLANTED_STATE = r"""(() => {
  const policy = document.querySelector(
      'meta[http-equiv="Content-Security-Policy"]');
  return {title: document.title, scripts: document.scripts.length,
          images: document.images.length,
          policy: policy ? policy.content : null,
          // Before anything it governs: after the character set alone.
          first: document.head.children[1] === policy};
})()"""
POLICY = ("default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; "
          "form-action 'none'")


def check_planted(browser, page_file):
    """The planted entries are text on the page; planted into a copy of it
    as markup, as a fault in escaping would let them through, they do not
    run: the page's policy forbids any script, and Chromium says so."""
    page = browser.evaluate(PLANTED_STATE)
    title = page["title"]
    problems = []
    if page["scripts"] or page["images"] or page["policy"] != POLICY or \
            not page["first"]:
        problems.append("the page has scripts or images, or not the policy "
                        "%r first in its head: %s" % (POLICY, page))
    with open(page_file, "rb") as f:
        data = f.read()
    for entry in PLANTED:
        data = data.replace(escaped(entry).encode(), entry.encode())
    tampered = page_file + ".planted.html"
    with open(tampered, "wb") as f:
        f.write(data)
    browser.call("Log.enable")
    browser.load(tampered, 30)
    time.sleep(0.5)  # the image's error comes after the load
    got = browser.evaluate(PLANTED_STATE)
    refused = [e["params"]["entry"]["text"]
               for e in browser.take_events("Log.entryAdded")
               if e["params"]["entry"]["source"] == "security"]
    browser.call("Log.disable")
    if got["scripts"] < 1 or got["images"] < 1:
        problems.append("the planted copy holds no script or image: %s"
                        % got)
    if got["title"] != title:
        problems.append("a planted script ran: the title is %r"
                        % got["title"])
    for kind in ("inline script", "inline event handler"):
        if not any(kind in text for text in refused):
            problems.append("Chromium did not refuse the planted %s: %s"
                            % (kind, refused))
    return problems


def run_small(browser, program, folder, screenshot):
    fleet = small_fleet()
    page_file, problems = make_page(program, fleet, REQUIRED,
                                    os.path.join(folder, "small"))
    browser.resize(*VIEWPORT)
    browser.load(page_file, 30)
    windows = windows_of(program, os.path.join(folder, "small", "reports"))
    problems += check_small_page(browser.evaluate(READ_PAGE), fleet,
                                 REQUIRED, windows)
    problems += check_colours(browser)
    browser.screenshot(screenshot)
    problems += check_planted(browser, page_file)
    return problems


def baseline_fleet():
    """Windows and service packs a baseline tells apart, reports that are
    not complete, and a Windows it does not name."""
    def os_line(name, sp, build):
        return "%s Service Pack %s (Build %d)" % (name, sp, build)
    nt4 = os_line("Windows NT Workstation 4.0", "6a", 1381)
    xp1 = os_line("Windows XP Professional", 1, 2600)
    xp3 = os_line("Windows XP Professional", 3, 2600)
    return [
        Machine("NT4-WS", "complete", nt4, ["Q823980"]),
        Machine("W2K-PC", "complete",
                os_line("Windows 2000 Professional", 4, 2195), ["KB958644"]),
        Machine("XP-SP1", "complete", xp1, []),
        Machine("XP-SP3", "complete", xp3, ["KB4012598", "KB958644-v2"]),
        Machine("XP-CUT", "incomplete", xp3, ["KB958644", "KB958687"]),
        Machine("W2K3-SRV", "failed", os_line(
            "Windows .NET Server 2003 family, Standard Edition", 2, 3790),
            ["KB958687"]),
        Machine("WIN7", "complete", os_line(
            "Windows NT product family? Professional", 1, 7601), []),
        Machine("JUNK", "unreadable", body=b"\x00junk"),
    ]


# The findings as the page shows them: the table by Windows, the
# requirements' counts, and each matrix cell's class and title under its
# requirement.
READ_FINDINGS = r"""(() => {
  const ex = document.getElementById('requirements');
  const tables = [...document.querySelectorAll('table.fx')];
  const text = cells => [...cells].map(c => c.textContent);
  const colour = {};
  document.querySelectorAll('table.fx tbody td').forEach(td => {
    colour[td.className] = getComputedStyle(td).backgroundColor;
  });
  return {states: text(ex.tHead.rows[0].cells).slice(2),
          byWindows: [...document.getElementById('bywindows').tBodies[0]
                          .rows].map(tr => text(tr.cells)),
          exposure: [...ex.tBodies[0].rows].map(tr => text(tr.cells)),
          tables: tables.map(t => ({
            ids: text(t.tHead.rows[0].cells).slice(1),
            titles: [...t.tHead.rows[0].cells].slice(1).map(th => th.title),
            rows: [...t.tBodies[0].rows].map(tr => {
              const details = tr.cells[0].querySelector('details');
              return {names: details ? text(details.querySelectorAll('span'))
                                     : [tr.cells[0].firstChild.textContent],
                      cells: [...tr.cells].slice(1).map(td => [td.className,
                                                               td.title])};
            })})),
          colour};
})()"""

STATES = ["installed", "missing", "no update", "not affected", "not covered",
          "unknown"]
STATE_CLASSES = ["si", "sm", "sn", "sa", "sc", "su"]
EXPOSED = ("missing", "no update")
SEVERITIES = ["critical", "important", "moderate", "low"]


def severity_rank(title):
    """A catalog's title starts with its severity word: "Critical: ..."."""
    match = re.match(r"([A-Za-z]+)(?:[: ]|$)", title)
    word = match.group(1).lower() if match else ""
    return SEVERITIES.index(word) if word in SEVERITIES else len(SEVERITIES)


def expected_by_windows(rows):
    """Per Windows and service pack: machines, exposed machines, and the
    requirements some of them are missing, have no update for, or are not
    covered by."""
    groups = {}
    for row in rows:
        group = groups.setdefault(row["windows"] or "Unknown Windows",
                                  [set(), set(), {}])
        group[0].add(row["machine"])
        if row["state"] in EXPOSED:
            group[1].add(row["machine"])
        group[2].setdefault(row["state"], set()).add(row["requirement"])
    return sorted([name, str(len(g[0])), str(len(g[1]))] +
                  [str(len(g[2].get(s, ()))) for s in
                   ("missing", "no update", "not covered")]
                  for name, g in groups.items())


def check_findings_page(page, findings_csv):
    """The page's tables by Windows and by requirement and its findings
    matrices against the findings CSV of the same reports and baseline."""
    import csv
    import io
    rows = list(csv.DictReader(io.StringIO(findings_csv.decode("utf-8"),
                                           newline="")))
    ids, titles, machines = [], {}, {}
    for row in rows:
        if row["requirement"] not in titles:
            ids.append(row["requirement"])
            titles[row["requirement"]] = row["title"]
        machines.setdefault(row["machine"], []).append(row)
    problems = []
    if page["states"] != STATES:
        problems.append("exposure columns %s" % page["states"])
    if sorted(page["byWindows"]) != expected_by_windows(rows):
        problems.append("by Windows %s, the CSV says %s"
                        % (page["byWindows"], expected_by_windows(rows)))
    counts = {i: [sum(1 for r in rows if r["requirement"] == i
                      and r["state"] == s) for s in STATES] for i in ids}
    order = sorted(ids, key=lambda i: (-counts[i][1] - counts[i][2],
                                       severity_rank(titles[i]),
                                       ids.index(i)))
    exposure = [[i, titles[i]] + [str(n) for n in counts[i]] for i in order]
    if page["exposure"] != exposure:
        problems.append("exposure %s, the CSV says %s"
                        % (page["exposure"], exposure))
    wanted = {}
    for name, findings in machines.items():
        # An installed cell is a bare mark; only a missing one has a title.
        wanted[name] = {r["requirement"]: [
            "" if r["state"] == "installed"
            else STATE_CLASSES[STATES.index(r["state"])],
            r["hotfix"] if r["state"] == "missing" else ""]
            for r in findings}
    shown = []
    for table in page["tables"]:
        names = [name for row in table["rows"] for name in row["names"]]
        exposed = {r["requirement"] for name in names
                   for r in machines.get(name, []) if r["state"] in EXPOSED}
        if table["ids"] != [i for i in order if i in exposed]:
            problems.append("findings columns %s for %s, expected the "
                            "exposed ones %s" % (table["ids"], names,
                                                 sorted(exposed)))
        shown += names
        # Fixes that every missing cell of a column names are its title's.
        shared = {}
        for i in table["ids"]:
            fixes = {wanted[name][i][1] for name in names if name in wanted
                     and wanted[name][i][0] == "sm"}
            if len(fixes) == 1:
                shared[i] = fixes.pop()
        for i, title in zip(table["ids"], table["titles"]):
            want = "%s: %s" % (i, titles[i])
            if i in shared:
                want += "; missing: " + shared[i]
            if title != want:
                problems.append("column title %r, expected %r"
                                % (title, want))
        for row in table["rows"]:
            for name in row["names"]:
                cells = [[wanted[name][i][0],
                          "" if i in shared else wanted[name][i][1]]
                         if name in wanted else None for i in table["ids"]]
                if row["cells"] != cells:
                    problems.append("findings of %s %s, the CSV says %s"
                                    % (name, row["cells"], cells))
    # A Windows none of whose machines is exposed has no matrix.
    unshown = {name for name in machines if name not in shown}
    if any(r["state"] in EXPOSED for name in unshown
           for r in machines[name]):
        problems.append("exposed machines without findings rows: %s"
                        % sorted(unshown))
    if len(set(page["colour"].values())) != len(page["colour"]):
        problems.append("states share a colour: %s" % page["colour"])
    return problems


def run_baseline(browser, program, folder, baseline, screenshot):
    reports, _ = write_fleet(baseline_fleet(), [], folder)
    page = os.path.join(folder, "page.html")
    outputs = []
    for options in (["--format", "html"], []):
        result = subprocess.run(
            [program, "--baseline", baseline] + options + [reports],
            capture_output=True, timeout=120, check=False)
        outputs.append(result.stdout)
        if result.returncode != 3:
            return ["hotfixes-table --baseline exited with %d, not 3: %s"
                    % (result.returncode, result.stderr.decode())]
    with open(page, "wb") as f:
        f.write(outputs[0])
    browser.resize(*VIEWPORT)
    browser.load(page, 30)
    problems = check_findings_page(browser.evaluate(READ_FINDINGS),
                                   outputs[1])
    browser.screenshot(screenshot)
    return problems


READ_AUDITS = r"""(() => {
  const svg = document.querySelector("svg#audits");
  if (!svg) return null;
  const box = svg.getBoundingClientRect();
  const series = {};
  for (const g of svg.querySelectorAll("g.series")) {
    const circles = [...g.querySelectorAll("circle")];
    series[g.classList[1]] = {
      x: circles.map(c => c.getBoundingClientRect().x),
      titles: circles.map(c => c.querySelector("title").textContent)};
  }
  return {
    first: document.querySelector("svg, img, canvas") === svg,
    scripts: document.scripts.length,
    width: box.width, height: box.height,
    dates: [...svg.querySelectorAll("text.date")].map(t => t.textContent),
    inside: [...svg.querySelectorAll("text")].every(t => {
      const r = t.getBoundingClientRect();
      return r.left >= box.left && r.right <= box.right;}),
    heading: document.querySelector("#since h2").textContent,
    counts: [...document.querySelectorAll("#since li")].map(
        li => li.textContent),
    series: series};
})()"""

# The collections: machine -> the month of its report's file (None: no
# report); a month later than the audit's is the report of the audit.
AUDITS = ["2026-09-01T10:00:05Z", "2026-10-01T10:00:05Z",
          "2026-11-01T10:00:05Z", "2026-12-01T10:00:05Z"]
AUDIT_MACHINES = [
    {"M1": 0, "M2": 0, "M3": 0, "M4": 0, "M5": 0},
    {"M1": 1, "M2": 1, "M3": 1, "M4": 1, "M6": 1},
    {"M1": 2, "M2": 2, "M3": 0, "M6": 2, "M7": 2},
    {"M1": 3, "M2": 3, "M6": 3, "M7": 3, "M8": 2},
]
STALE_DAYS = 20


def seconds_of(time_text):
    import calendar
    return calendar.timegm(time.strptime(time_text, "%Y-%m-%dT%H:%M:%SZ"))


def write_audits(folder):
    """The four collections, oldest first; M1 lacks MS08-067's fix."""
    os_line = "Windows XP Professional Service Pack 3 (Build 2600)"
    folders = []
    for number, machines in enumerate(AUDIT_MACHINES):
        audit = os.path.join(folder, "audit%d" % number)
        os.mkdir(audit)
        for name, month in machines.items():
            fixes = ["KB1"] if name == "M1" else ["KB1", "KB958644"]
            path = os.path.join(audit, name + ".txt")
            with open(path, "wb") as f:
                f.write(report_bytes(Machine(name, "complete", os_line,
                                             fixes)))
            written = seconds_of(AUDITS[month])
            os.utime(path, (written, written))
        folders.append(audit)
    return folders


def expected_audits(program, baseline, folders):
    """Each series' counts, as the audits' own tables say them: machines
    by the table's rows, gone by the names an audit lost, stale by the
    reported column, exposed by the findings CSV."""
    import csv
    import io
    expected = {"reporting": [], "gone": [], "stale": [], "exposed": []}
    before = None
    for audit in folders:
        table = subprocess.run([program, "--baseline", baseline, audit],
                               capture_output=True, timeout=60).stdout
        rows = list(csv.DictReader(io.StringIO(table.decode(), newline="")))
        names = {row["machine"] for row in rows}
        newest = max(seconds_of(row["reported"]) for row in rows)
        stale = {row["machine"] for row in rows
                 if seconds_of(row["reported"]) < newest - STALE_DAYS * 86400}
        exposed = {row["machine"] for row in rows
                   if row["state"] in ("missing", "no update")}
        expected["reporting"].append(len(names))
        expected["gone"].append(len(before - names) if before else 0)
        expected["stale"].append(len(stale))
        expected["exposed"].append(len(exposed))
        before = names
    return expected


def run_since(browser, program, folder, baseline, screenshot):
    folders = write_audits(folder)
    page = os.path.join(folder, "since.html")
    arguments = [program, "--format", "html", "--baseline", baseline,
                 "--stale-after", str(STALE_DAYS)]
    for earlier in folders[:-1]:
        arguments += ["--since", earlier]
    with open(page, "wb") as out:
        result = subprocess.run(arguments + [folders[-1]], stdout=out,
                                stderr=subprocess.PIPE, timeout=120)
    problems = []
    if result.returncode != 3:
        problems.append("--since: exit code %d, not 3 (a gone machine): %s"
                        % (result.returncode, result.stderr.decode()))
    browser.resize(*VIEWPORT)
    browser.load(page, 30)
    got = browser.evaluate(READ_AUDITS)
    if got is None:
        return problems + ["--since: no picture of the audits"]
    dates = [audit[:10] for audit in AUDITS]
    expected = expected_audits(program, baseline, folders)
    if not got["first"] or got["scripts"] or got["width"] < 300 or \
            got["height"] < 100 or not got["inside"]:
        problems.append("--since: the picture is not the page's first, is "
                        "drawn by a script, is not drawn or cuts a label: %s"
                        % got)
    if got["dates"] != dates:
        problems.append("--since: dates %s, expected %s"
                        % (got["dates"], dates))
    if got["heading"] != "Since " + dates[-2]:
        problems.append("--since: heading %r" % got["heading"])
    for name, counts in expected.items():
        series = got["series"].get(name)
        titles = ["%s: %d %s" % (date, count, name)
                  for date, count in zip(dates, counts)]
        if series is None or series["titles"] != titles or \
                series["x"] != sorted(set(series["x"])):
            problems.append("--since: series %s: %s, expected %s at rising x"
                            % (name, series, titles))
    browser.screenshot(screenshot)
    return problems


def run_large(browser, program, folder, screenshot, machines, hotfixes,
              timeout):
    fleet, required = large_fleet(machines, hotfixes, levels=machines // 4)
    page_file, problems = make_page(program, fleet, required,
                                    os.path.join(folder, "large"))
    size = os.path.getsize(page_file)
    browser.resize(*VIEWPORT)
    seconds = browser.load(page_file, timeout)
    print("%d machines x %d hotfixes: page of %d bytes (%.1f MB), loaded "
          "and laid out in %.1f s" % (machines, hotfixes, size, size / 1e6,
                                      seconds))
    levels = [level for section in expected_levels(
        fleet, required, windows_of(program, os.path.join(
            folder, "large", "reports"))).values() for level in section]
    wanted = {"rows": len(levels),
              "present": sum(len(level[2]) for level in levels),
              "lacking": sum(len(level[3]) for level in levels),
              "notComplete": sum(1 for level in levels
                                 if level[1] != "complete"),
              "summaryRows": machines}
    got = browser.evaluate(COUNT_MARKS, timeout)
    if got.pop("nameWidth") > NAME_WIDTH:
        problems.append("large page: a name column wider than %d px"
                        % NAME_WIDTH)
    if got != wanted:
        problems.append("large page: %s, expected %s" % (got, wanted))
    # The far right edge, near the end of the biggest matrix, and then its
    # middle.
    problems += check_sticky(browser, 1, 0.9)[0]
    sticky, where = check_sticky(browser, 0.5, 0.5)
    problems += sticky
    print("scrolled to (%d, %d): header row at %.1f px, names at %.1f px"
          % (where["scrollX"], where["scrollY"], where["headTop"],
             where["nameLeft"]))
    browser.screenshot(screenshot, timeout)
    link = browser.evaluate(FOLLOW_LINK)
    if not link["headBottom"] - 1 <= link["rowTop"] < link["viewHeight"]:
        problems.append("the link to %s's row leaves it out of view or under"
                        " the header: %s" % (link["name"], link))
    return problems


# The parts of the page told as text, in the page's order: each heading,
# note, common set and line with its part (the h2's id) and section (the
# h3's Windows); and the machines' links with the text of their targets.
READ_TEXT = r"""(() => {
  const elements = [];
  let part = null, section = null;
  for (const e of document.querySelectorAll(
           'h2, h3, p.nd, .sets p, ul.tl li')) {
    if (e.tagName === 'H2') { part = e.id; continue; }
    if (e.tagName === 'H3') {
      section = e.textContent.split(':')[0];
      continue;
    }
    const line = e.tagName === 'LI';
    const common = line ? e.querySelector('a') : null;
    const status = line ? e.querySelector('i') : null;
    elements.push({part, section, kind: line ? 'line' : e.tagName === 'P' &&
                       e.parentElement.className === 'sets' ? 'set' : 'note',
                   id: e.id, text: e.textContent,
                   common: common ? common.getAttribute('href').slice(1)
                                  : null,
                   status: status ? status.textContent : 'complete'});
  }
  const targets = {};
  const links = [...document.querySelectorAll('#machines tbody tr')].map(
      tr => [...tr.querySelectorAll('a')].map(a => {
        const id = a.getAttribute('href').slice(1);
        const target = document.getElementById(id);
        targets[id] = target ? target.textContent : null;
        return id;
      }).concat([tr.cells[0].textContent]));
  return {elements, links, targets,
          matrices: document.querySelectorAll('table.mx').length,
          injected: document.querySelectorAll('u').length};
})()"""

MINUS = "\u2212"
SERVICE_PACK = re.compile(r"^(SP\d+a?|no service pack) ")
# A requirement in a line: its sign, its ID, "!" for no update, and the
# hotfixes that would do in brackets.
FINDING = re.compile("([%s+]?)([^\\s(!]+)(!?)(?: \\(([^)]*)\\))?" % MINUS)


def parse_line(element):
    """A line's machines, its common set's id, and its words after them:
    the items less those of the set (-), with those besides (+), and what
    it lacks of the required hotfixes."""
    label, _, rest = element["text"].rstrip("\n").partition(": ")
    label = SERVICE_PACK.sub("", label)
    if element["status"] != "complete":
        label = label[:-len(" " + element["status"])]
    rest, _, lacks = rest.partition("; lacks ")
    if element["common"]:
        letter = element["common"][-1]
        rest = rest.strip()
        assert rest.startswith(letter), element
        rest = rest[1:]
    return {"names": label.split(", "), "common": element["common"],
            "rest": rest.strip(), "lacks": lacks.split(", ") if lacks else [],
            "status": element["status"], "id": element["id"]}


def text_sections(page, part):
    """Per section of the part: its common sets (id -> words), its lines,
    its notes."""
    sections = {}
    for element in page["elements"]:
        if element["part"] != part:
            continue
        section = sections.setdefault(element["section"],
                                      {"sets": {}, "lines": [], "notes": []})
        if element["kind"] == "set":
            section["sets"][element["id"]] = element["text"].strip(
                ).partition(": ")[2]
        elif element["kind"] == "line":
            section["lines"].append(parse_line(element))
        else:
            section["notes"].append(element["text"].strip())
    return sections


def told_hotfixes(line, sets):
    """A level's hotfix keys: its common set's, less and with its own."""
    words = line["rest"].split()
    keys = {hotfix_key(w) for w in sets.get(line["common"], "").split()}
    keys -= {hotfix_key(w[1:]) for w in words if w.startswith(MINUS)}
    keys |= {hotfix_key(w[1:]) for w in words if w.startswith("+")}
    return keys


def check_hotfix_lines(page, expected):
    """Each section is told as lines; read back, each line gives its
    level's machines, status, hotfixes and lacked required ones."""
    problems = []
    sections = text_sections(page, "hotfixes")
    shown = {}
    for name, section in sections.items():
        if not any(n.startswith("Not drawn as a matrix") for n in
                   section["notes"]):
            problems.append("%s: no note that its matrix is not drawn"
                            % name)
        shown[name] = sorted(
            (tuple(sorted(line["names"])), line["status"],
             frozenset(told_hotfixes(line, section["sets"])),
             frozenset(hotfix_key(n) for n in line["lacks"]))
            for line in section["lines"])
    for name in set(shown) | set(expected):
        if shown.get(name) != expected.get(name):
            wrong = set(shown.get(name, [])) ^ set(expected.get(name, []))
            problems.append("%s: %d lines for %d levels; wrong: %s"
                            % (name, len(shown.get(name, [])),
                               len(expected.get(name, [])),
                               sorted(level[0] for level in wrong)[:6]))
    return problems


def told_findings(line, sets, shared):
    """A line's exposure: requirement -> (state, the hotfixes that would
    do, for a missing one)."""
    def items(text):
        return [m.groups() for m in FINDING.finditer(text)
                if m.group(2) not in ("exposed", "to", "none", "nothing",
                                      "known")]
    told = {}
    for _, requirement, no_update, fixes in items(
            sets.get(line["common"], "")):
        told[requirement] = (no_update, fixes)
    for sign, requirement, no_update, fixes in items(line["rest"]):
        if sign == MINUS:
            told.pop(requirement, None)
        else:
            told[requirement] = (no_update, fixes)
    return {requirement: ("no update", "") if no_update else
            ("missing", fixes or shared.get(requirement))
            for requirement, (no_update, fixes) in told.items()}


def check_finding_lines(page, findings_csv):
    """Each machine's line of findings, read back against its common set
    and the fixes its section names, is the findings CSV's exposure."""
    import csv
    import io
    wanted = {}
    for row in csv.DictReader(io.StringIO(findings_csv.decode("utf-8"),
                                          newline="")):
        exposure = wanted.setdefault(row["machine"], {})
        if row["state"] in EXPOSED:
            exposure[row["requirement"]] = (
                row["state"], row["hotfix"] if row["state"] == "missing"
                else "")
    problems = []
    seen = set()
    for name, section in text_sections(page, "findings").items():
        shared = {}
        for note in section["notes"]:
            if note.startswith("The hotfixes that would do"):
                for pair in note.partition(": ")[2].split("; "):
                    requirement, _, fixes = pair.partition(" ")
                    shared[requirement] = fixes
        for line in section["lines"]:
            told = told_findings(line, section["sets"], shared)
            for machine in line["names"]:
                seen.add(machine)
                if told != wanted.get(machine):
                    wrong = set(told.items()) ^ set(
                        wanted.get(machine, {}).items())
                    problems.append("%s: line %s of %s: %s differ from the "
                                    "CSV" % (name, line["id"], machine,
                                             sorted(wrong)[:4]))
    unseen = [m for m in wanted if m not in seen and wanted[m]]
    if unseen:
        problems.append("exposed machines without a line: %s" % unseen[:5])
    return problems[:10]


def check_links(page):
    """Every link of the machines' table leads to an element that names
    its machine."""
    problems = []
    for row in page["links"]:
        machine = row[-1]
        for target in row[:-1]:
            if machine not in (page["targets"].get(target) or ""):
                problems.append("%s links to #%s, which does not name it"
                                % (machine, target))
    return problems[:5]


def varied_baseline(path, hotfixes, seed=34):
    """Requirements for each kind of the varied fleet, their fixes drawn
    from its hotfixes; XP SP2 and SP3 with fixes of their own, so that a
    section's missing cells name different fixes."""
    shared, kinds = fleet_names(hotfixes)
    rng = random.Random(seed)
    windows = [("Windows NT 4.0", kinds[0]), ("Windows 2000", kinds[1]),
               ("Windows XP SP2", kinds[2]), ("Windows XP SP3", kinds[2]),
               ("Windows Server 2003", kinds[3])]
    lines = []
    for number in range(150):
        lines += ["", "[T%03d] %s: generated requirement %d"
                  % (number, rng.choice(SEVERITIES).title(), number)]
        for name, pool in windows:
            roll = rng.random()
            outcome = ("no update" if roll < 0.2 else "not affected"
                       if roll < 0.3 else " ".join(
                           rng.sample(shared + pool, rng.randint(1, 2))))
            lines.append("%s %s" % (name, outcome))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def run_varied(browser, program, folder, screenshot, machines, hotfixes,
               timeout):
    """A fleet in which every machine is a patch level of its own: the
    page tells its matrices as lines, with --require and judged."""
    fleet, required = large_fleet(machines, hotfixes)
    page_file, problems = make_page(program, fleet, required, folder)
    reports = os.path.join(folder, "reports")
    browser.resize(*VIEWPORT)
    seconds = browser.load(page_file, timeout)
    print("%d machines, each its own level: page of %d bytes, loaded and "
          "laid out in %.1f s" % (machines, os.path.getsize(page_file),
                                  seconds))
    page = browser.evaluate(READ_TEXT, timeout)
    if page["matrices"] or page["injected"]:
        problems.append("%d matrices drawn, %d elements injected"
                        % (page["matrices"], page["injected"]))
    if not any(HOSTILE_HOTFIX in s for e in page["elements"]
               for s in (e["text"],)):
        problems.append("the name %r is not shown as it is" % HOSTILE_HOTFIX)
    problems += check_hotfix_lines(page, expected_levels(
        fleet, required, windows_of(program, reports)))
    problems += check_links(page)
    baseline = varied_baseline(os.path.join(folder, "baseline.txt"),
                               hotfixes)
    outputs = []
    for options in (["--format", "html"], []):
        result = subprocess.run([program, "--baseline", baseline] + options +
                                [reports], capture_output=True, timeout=120,
                                check=False)
        outputs.append(result.stdout)
    judged = os.path.join(folder, "judged.html")
    with open(judged, "wb") as f:
        f.write(outputs[0])
    browser.load(judged, timeout)
    page = browser.evaluate(READ_TEXT, timeout)
    if not text_sections(page, "findings"):
        problems.append("the judged page tells no findings as lines")
    problems += check_finding_lines(page, outputs[1])
    problems += check_links(page)
    browser.screenshot(screenshot, timeout)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--screenshot-dir", required=True)
    parser.add_argument("--large", metavar="MACHINESxHOTFIXES",
                        help="also the page of a large fleet, e.g. 1000x300")
    parser.add_argument("--varied", metavar="MACHINESxHOTFIXES",
                        help="also the page of a fleet of as many levels as "
                        "machines, e.g. 1000x400")
    parser.add_argument("--load-timeout", type=float, default=60,
                        help="seconds the large page may take to load")
    parser.add_argument("--baseline",
                        help="also a fleet judged by this baseline")
    parser.add_argument("--since", action="store_true",
                        help="with --baseline: the page over four audits")
    arguments = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="table-page-")
    problems = []
    try:
        for sub in ("small", "large", "profile"):
            os.mkdir(os.path.join(folder, sub))
        browser = Browser(arguments.chromium,
                          os.path.join(folder, "profile"))
        try:
            browser.open_page(*VIEWPORT)
            if arguments.since:
                problems += run_since(
                    browser, arguments.program,
                    os.path.join(folder, "small"), arguments.baseline,
                    os.path.join(arguments.screenshot_dir,
                                 "table-page-since.png"))
            elif arguments.baseline:
                problems += run_baseline(
                    browser, arguments.program,
                    os.path.join(folder, "small"), arguments.baseline,
                    os.path.join(arguments.screenshot_dir,
                                 "table-page-baseline.png"))
            elif arguments.varied:
                machines, hotfixes = map(int, arguments.varied.split("x"))
                problems += run_varied(
                    browser, arguments.program,
                    os.path.join(folder, "large"),
                    os.path.join(arguments.screenshot_dir,
                                 "table-page-varied.png"),
                    machines, hotfixes, arguments.load_timeout)
            elif arguments.large:
                machines, hotfixes = map(int, arguments.large.split("x"))
                problems += run_large(
                    browser, arguments.program, folder,
                    os.path.join(arguments.screenshot_dir,
                                 "table-page-large.png"),
                    machines, hotfixes, arguments.load_timeout)
            else:
                problems += run_small(
                    browser, arguments.program, folder,
                    os.path.join(arguments.screenshot_dir, "table-page.png"))
        finally:
            browser.close()
    except (DevToolsError, subprocess.TimeoutExpired, OSError) as error:
        problems.append("%s: %s" % (type(error).__name__, error))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for problem in problems:
        print(problem)
    if not problems:
        print("ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
