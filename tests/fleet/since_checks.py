"""What the fleet's tables since an earlier collection must say, taken from
the changes CSV already compared byte for byte: each machine's change and
its details, as JSON Lines must carry them and the page's "since" section
must list them."""

import csv
import io
import json

EXPOSED = ("missing", "no update")


def changes_of(changes_csv):
    """machine -> {"change", "added", "removed", "windows", "status",
    "requirements"} from the rows of --format changes."""
    machines = {}
    for row in csv.DictReader(io.StringIO(changes_csv.decode("utf-8"),
                                          newline="")):
        machine = machines.setdefault(row["machine"], {
            "change": row["change"], "added": [], "removed": [],
            "windows": None, "status": None, "requirements": []})
        item = row["item"]
        if item == "added":
            machine["added"].append(row["now"])
        elif item == "removed":
            machine["removed"].append(row["before"])
        elif item in ("windows", "status"):
            machine[item] = (row["before"], row["now"])
        elif item.startswith("requirement "):
            machine["requirements"].append(
                (item.split(" ", 1)[1], row["before"], row["now"]))
        elif item:
            machine.setdefault("unknown", []).append(item)
    return machines


def check_json_lines(label, jsonl, changes):
    """Each line parses; each machine's `since` object says what the
    changes CSV says of it, and each gone machine has its own line of
    status gone."""
    problems = []
    seen = {}
    for number, line in enumerate(jsonl.split(b"\n")[:-1], 1):
        try:
            record = json.loads(line.decode("utf-8"))
        except ValueError as error:
            problems.append("%s line %d: %s" % (label, number, error))
            continue
        since = record.get("since")
        if not isinstance(since, dict):
            problems.append("%s line %d: no since object" % (label, number))
            continue
        if (since["change"] == "gone") != (record["status"] == "gone") or \
                (record["status"] == "gone" and record["hotfixes"]):
            problems.append("%s line %d: a gone machine's line is status "
                            "gone without hotfixes: %s" % (label, number,
                                                           record))
        got = {"change": since["change"], "added": since["added"],
               "removed": since["removed"],
               "requirements": [(r["requirement"], r["before"], r["now"])
                                for r in since.get("requirements", [])]}
        seen[record["machine"]] = (got, since, record)
    if sorted(seen) != sorted(changes):
        problems.append("%s: machines %s, the changes CSV has %s"
                        % (label, sorted(seen), sorted(changes)))
    for machine, (got, since, record) in sorted(seen.items()):
        wanted = changes.get(machine)
        if wanted is None:
            continue
        expected = {key: wanted[key] for key in got}
        if got != expected:
            problems.append("%s: %s since %s, the changes CSV says %s"
                            % (label, machine, got, expected))
        if wanted["windows"] and since["windows_before"] != \
                wanted["windows"][0]:
            problems.append("%s: %s windows_before %r, the changes CSV says"
                            " %r" % (label, machine, since["windows_before"],
                                     wanted["windows"][0]))
        if wanted["status"] and since["status_before"] != \
                wanted["status"][0]:
            problems.append("%s: %s status_before %r, the changes CSV says "
                            "%r" % (label, machine, since["status_before"],
                                    wanted["status"][0]))
    return problems


READ_SINCE = r"""(() => {
  const section = document.querySelector("#since");
  if (!section) return null;
  const lists = {};
  for (const p of section.querySelectorAll("p")) {
    const label = p.querySelector("b");
    if (label) lists[label.textContent] =
        p.textContent.slice(label.textContent.length).trim();
  }
  const r = section.getBoundingClientRect();
  return {
    heading: section.querySelector("h2").textContent,
    counts: [...section.querySelectorAll("li")].map(li => li.textContent),
    lists: lists,
    shown: r.width > 0 && r.height > 0};
})()"""

KINDS = ["new", "gone", "not refreshed", "changed", "unchanged"]


def exposed_machines(findings_csv):
    return {row["machine"] for row in csv.DictReader(
        io.StringIO(findings_csv.decode("utf-8"), newline=""))
        if row["state"] in EXPOSED}


def expected_since_section(date, changes, exposed_before=None,
                           exposed_now=None):
    """The "since" section's heading, counts and lists of names, by the
    changes CSV (and for a judged page the machines exposed in each
    audit, by their findings CSVs)."""
    def names(kind):
        return ", ".join(name for name, change in changes.items()
                         if change["change"] == kind)
    lists = {}
    if names("gone"):
        lists["Gone:"] = names("gone")
    if names("not refreshed"):
        lists["Not refreshed:"] = names("not refreshed")
    removed = ["%s (%s)" % (name, ", ".join(change["removed"]))
               for name, change in changes.items() if change["removed"]]
    if removed:
        lists["Hotfixes removed:"] = "; ".join(removed)
    if exposed_now is not None:
        now = [name for name, change in changes.items()
               if change["change"] != "gone"]
        newly = [name for name in now
                 if name in exposed_now and name not in exposed_before]
        fixed = [name for name in now
                 if name in exposed_before and name not in exposed_now]
        if newly:
            lists["Newly exposed:"] = ", ".join(newly)
        if fixed:
            lists["Fixed:"] = ", ".join(fixed)
    counts = ["%d %s" % (sum(1 for change in changes.values()
                             if change["change"] == kind), kind)
              for kind in KINDS]
    return {"heading": "Since " + date, "counts": counts, "lists": lists,
            "shown": True}
