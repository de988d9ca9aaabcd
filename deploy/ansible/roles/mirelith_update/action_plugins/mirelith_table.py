# -*- coding: utf-8 -*-
# The table at the end of a batch: one row for every host of the play, written to the report
# directory and shown in the play's output. Run once per batch; with a staged roll-out each
# batch writes it anew, so the last one written is the roll-out's, with the hosts of batches
# that never ran listed as "not tried".

import os

from ansible.plugins.action import ActionBase

# Outcomes that leave the printer as it should be.
DONE = ("sent", "current")


def text(value):
    return "-" if value is None else str(value)


def version_column(report, asked):
    """What the printer said of its firmware: "1.20 -> 2.00" for an update, "2.00" for a
    printer found current, "?" where it did not say; "-" where nobody asked."""
    before = report.get("printer_version_before")
    after = report.get("printer_version_after")
    if report.get("outcome") == "current":
        return text(after)
    if not asked and before is None and after is None:
        return "-"
    if report.get("outcome") in ("sent", "unverified", "interrupted") and (
            after is not None or report.get("verified") is not None):
        return "%s -> %s" % (before or "?", after or "?")
    return before or "?"


def bytes_column(report):
    if report.get("outcome") in ("error", "unreachable", "not tried", "current"):
        return "-"
    if report.get("bytes_sent") is None and report.get("file_size") is None:
        return "-"
    return "%s/%s" % (text(report.get("bytes_sent")), text(report.get("file_size")))


def detail_column(report):
    notes = []
    if report.get("stopped_after"):
        notes.append("stopped after %s s" % report["stopped_after"])
    if report.get("log_line"):
        notes.append(report["log_line"])
    if report.get("reason"):
        notes.append("(%s)" % report["reason"] if report.get("log_line") else report["reason"])
    if report.get("outcome") == "sent" and report.get("file"):
        notes.append("%s to %s" % (report["file"], report.get("device")))
    if report.get("outcome") == "current":
        notes.append("nothing sent to %s" % report.get("device"))
    return " ".join(notes)


def layout(rows):
    """Columns as wide as their widest cell; the last one is left as it is."""
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]) - 1)]
    return ["  ".join([cell.ljust(w) for cell, w in zip(row, widths)] + [row[-1]]).rstrip()
            for row in rows]


class ActionModule(ActionBase):
    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        args = self._task.args
        kind = args.get("kind", "update")
        register = args.get("register_name", "mirelith_visit")
        hostvars = task_vars["hostvars"]
        hosts = list(task_vars.get("ansible_play_hosts_all", []))
        visits = {}
        for host in hosts:
            host_vars = hostvars[host]
            if register in host_vars:
                visits[host] = host_vars[register]
        pending = [h for h in hosts if h not in visits]
        entries = {h: self._entry(kind, v) for h, v in visits.items()}
        bad = sorted(h for h, e in entries.items() if not e["ok"])
        for host in pending:
            entries[host] = {"ok": False, "report": {
                "outcome": "not tried",
                "reason": ("the roll-out stopped after a batch with a printer not updated"
                           if bad else "in a later batch")}}

        if kind == "audit":
            rows = [["HOST", "MAKER", "MODEL", "FIRMWARE", "SERIAL", "DETAIL"]]
            for host in hosts:
                r = entries[host]["report"]
                rows.append([host] + [self._field(r, k) for k in ("maker", "model", "firmware",
                                                                  "serial")]
                            + [r.get("reason") or ""])
            table = layout(rows)
            firmware = {}
            for host in hosts:
                value = entries[host]["report"].get("firmware")
                if value is not None:
                    firmware[value] = firmware.get(value, 0) + 1
            table.append("%d of %d printers said their firmware%s" % (
                sum(firmware.values()), len(hosts),
                (": " + ", ".join("%s on %d" % (v, n) for v, n in sorted(firmware.items())))
                if firmware else ""))
            name = "audit.txt"
        else:
            rows = [["HOST", "OUTCOME", "VERSION", "BYTES SENT/SIZE", "WHEN", "DETAIL"]]
            for host in hosts:
                e = entries[host]
                r = e["report"]
                when = "-"
                if "this_run" in r:
                    when = "this run" if r["this_run"] else "earlier"
                elif r["outcome"] == "current":
                    when = "this run"
                rows.append([host, r["outcome"], version_column(r, e.get("asked", False))
                             if r["outcome"] not in ("not tried", "unreachable", "error") else "-",
                             bytes_column(r), when, detail_column(r)])
            table = layout(rows)
            name = "summary.txt"

        report_dir = args["report_dir"]
        os.makedirs(report_dir, exist_ok=True)
        path = os.path.join(report_dir, name)
        with open(path + ".new", "w") as f:
            f.write("\n".join(table) + "\n")
        os.replace(path + ".new", path)

        # The whole table where the play ends (or stops); between batches of a roll-out that
        # goes on, one line instead of a table per batch.
        if pending and not bad:
            shown = ["%d of %d hosts done, all updated; the roll-out goes on (table so far: %s)"
                     % (len(hosts) - len(pending), len(hosts), path)]
        else:
            shown = table
        result.update({"changed": False, "msg": shown, "_ansible_verbose_always": True})
        return result

    @staticmethod
    def _field(report, key):
        if report.get("exit_status") in (0, 5) and key in report:
            return "unknown" if report[key] is None else str(report[key])
        return "-"

    @staticmethod
    def _entry(kind, visit):
        if visit.get("unreachable"):
            return {"ok": False, "report": {"outcome": "unreachable",
                                            "reason": visit.get("msg") or
                                            "the host could not be reached"}}
        if kind == "audit":
            identity = dict(visit.get("identity") or {})
            return {"ok": identity.get("exit_status") == 0, "report": identity}
        report = dict(visit.get("report") or {"outcome": "error", "reason": "no report"})
        asked = visit.get("identity") is not None or report.get("verified") is not None
        return {"ok": report.get("outcome") in DONE, "report": report, "asked": asked}
