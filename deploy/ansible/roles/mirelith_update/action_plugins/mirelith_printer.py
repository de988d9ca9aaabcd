# -*- coding: utf-8 -*-
# The controller's half of a visit to one host; files/visit.sh is the host's half.
# A fleet is slow in tasks, not in bytes: each task costs every host a process on the controller,
# and each module a Python start on the host (about a quarter of a second of CPU here, against a
# hundredth for a shell command). So one task does what a dozen did (copy, stat, slurp, parse,
# decide, run, fetch), the host runs shell commands only, and the decisions are taken here:
#   1. place the program, the image and qemnuv.ini, then ask the printer (or read the last
#      result); files that are missing or differ are named, sent, and the command run again;
#   2. when something is to be sent, one silent download, whose result and log come back.
# A play with nothing to send therefore runs one shell command per host.
#
# phase "prepare" (run_once at the start of each batch) does the controller's work for all
# hosts at once: checksums, the program without its debugging sections, stale reports removed.

import base64
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import time

from ansible.errors import AnsibleConnectionFailure, AnsibleError
from ansible.module_utils.common.text.converters import to_bytes, to_text
from ansible.plugins.action import ActionBase

PROGRAM = "mirelith"
RESULT = "mirelith-result.json"
IDENTITY = "mirelith-identify.json"
LOG = "_QEM_NUV.txt"
# What a visit brings back of the log at most: its tail explains the latest failure.
LOG_LIMIT = 256 * 1024


class Refused(Exception):
    """Settings or a host that make the visit end early; the reason goes into the host's row."""


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def has_debug_sections(path):
    with open(path, "rb") as f:
        return f.read(4) == b"\x7fELF" and b".debug_info" in f.read()


def prepare_file(path, strip, cache_dir):
    """What to send for a file on the controller: the path, its SHA-256 and size. A program
    built with debugging sections is sent without them (23 MB become about 1 MB): the copy is
    made once, kept under the report directory by the original's checksum, and reused."""
    path = os.path.realpath(os.path.expanduser(path))
    digest = sha256_of(path)
    send = path
    if strip and shutil.which("strip") and has_debug_sections(path):
        target_dir = os.path.join(cache_dir, digest[:16])
        target = os.path.join(target_dir, os.path.basename(path))
        if not os.path.isfile(target):
            # Copies of other builds go once a day old: hosts of this play may still be sent
            # another one.
            for entry in os.listdir(cache_dir) if os.path.isdir(cache_dir) else []:
                old = os.path.join(cache_dir, entry)
                if time.time() - os.path.getmtime(old) > 86400:
                    shutil.rmtree(old, ignore_errors=True)
            os.makedirs(target_dir, exist_ok=True)
            fd, temporary = tempfile.mkstemp(dir=target_dir)
            os.close(fd)
            subprocess.check_call(["strip", "--strip-debug", "-o", temporary, path])
            os.chmod(temporary, 0o755)
            os.rename(temporary, target)
        send = target
        digest = sha256_of(target)
    return {"send": send, "sha256": digest}


def identify_args(port, address, tcp_port, baud, model):
    """The port of the host's settings as --identify takes it on the command line."""
    upper = port.upper()
    if upper.startswith("NET"):
        return ["-p", "NET", address, "-tcpport", str(tcp_port)]
    args = ["-p", port]
    if "COM" in upper:
        args += ["-b", str(baud)]
    elif upper == "USB" and model:
        args += ["-m", model]
    return args


def parse_output(text):
    """The "key=value" and "file:NAME:BASE64" lines that files/visit.sh prints."""
    said, files = {}, {}
    for line in text.splitlines():
        if line.startswith("file:"):
            name, _, data = line[5:].partition(":")
            files[name] = to_text(base64.b64decode(data), errors="surrogate_or_replace")
        elif "=" in line:
            key, _, value = line.partition("=")
            said[key] = value
    return said, files


def parse_json(text):
    try:
        value = json.loads(text) if text is not None else None
    except ValueError:
        return None
    return value if isinstance(value, dict) else None


def plain(text):
    """The text as a plain str: Ansible's "unsafe" strings do not cross Mitogen's channels."""
    return str(to_bytes(text, errors="surrogate_or_strict"), "utf-8", "surrogateescape")


def failure(action, reason, outcome="error"):
    """The answer of a visit that did not get as far as the printer."""
    if action == "identify":
        return {"identity": {"exit_status": None, "reason": reason}}
    return {"report": {"outcome": outcome, "exit_status": None, "reason": reason}}


def with_stderr(what, status, line):
    return "%s (exit status %s%s)" % (what, status, ": " + line if line else "")


class ActionModule(ActionBase):
    # The temporary directory on the host is made only when a file has to be sent; Ansible would
    # otherwise make one on every host before the first question, a command of its own.
    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        del tmp
        args = self._task.args
        if args.get("phase", "visit") == "prepare":
            result.update(self._prepare(args, task_vars))
            return result
        action = args.get("action", "update")
        try:
            answer = self._visit(args, task_vars, action)
        except AnsibleConnectionFailure as e:
            # Said in the host's row rather than by Ansible's "unreachable", which would take the
            # host out of the batch: a batch of such hosts alone would then end before its
            # table, and would not stop a staged roll-out. The host fails the last task instead.
            answer = failure(action, to_text(e).strip() or "the host could not be reached",
                             "unreachable")
        except Refused as e:
            answer = failure(action, str(e))
        except (AnsibleError, OSError, IOError, ValueError, subprocess.CalledProcessError) as e:
            answer = failure(action, "Prepare the visit: %s" % to_text(e))
        finally:
            try:
                self._remove_tmp_path(self._connection._shell.tmpdir)
            except AnsibleConnectionFailure:
                pass
        self._keep_reports(args["report_dir"], task_vars["inventory_hostname"], action, answer)
        for key in ("report", "identity"):
            if answer.get(key) is not None:
                result[key] = answer[key]
        result["changed"] = bool(answer.get("changed"))
        return result

    # --- once per batch -------------------------------------------------------------------

    def _prepare(self, args, task_vars):
        report_dir = args["report_dir"]
        os.makedirs(report_dir, exist_ok=True)
        # Reports of an earlier play must not pass for this one's: those of every host not yet
        # visited in this play go (in an audit, only the identities).
        hostvars = task_vars["hostvars"]
        for host in task_vars.get("ansible_play_hosts_all", []):
            if "mirelith_visit" in hostvars[host]:
                continue
            if args.get("action", "update") == "identify":
                try:
                    os.unlink(os.path.join(report_dir, host, IDENTITY))
                except OSError:
                    pass
            else:
                shutil.rmtree(os.path.join(report_dir, host), ignore_errors=True)
        files = {}
        for path in (args.get("program"), args.get("firmware")):
            if not path:
                continue
            try:
                files[path] = prepare_file(path, path == args.get("program")
                                           and args.get("strip", True),
                                           os.path.join(report_dir, ".program"))
            except (OSError, IOError, subprocess.CalledProcessError):
                # Each host says for itself what is wrong with its files.
                pass
        return {"changed": False, "files": files}

    # --- once per host --------------------------------------------------------------------

    def _settings(self, args, action, task_vars):
        port = str(args.get("port") or "NET")
        port_name = re.search(r"(COM|LPT)[0-9]+$", port.upper())
        device = args.get("device") or ""
        if action == "update" and not args.get("firmware"):
            raise Refused("Check the image and device settings: set mirelith_firmware to the "
                          "image file on the controller")
        if device and not port_name:
            raise Refused("Check the image and device settings: mirelith_device only goes with "
                          "a COMn or LPTn mirelith_port")
        expected = args.get("expected_version")
        # The variable as the inventory gave it: the task's argument is already text.
        given = task_vars.get("mirelith_expected_version", expected)
        if isinstance(given, (int, float)) and not isinstance(given, bool):
            # An INI inventory reads 2.00 as the number 2.0; the printer says "2.00".
            raise Refused("Check the image and device settings: mirelith_expected_version is "
                          "the number %r; write it in quotes (\"2.00\") so that it stays the "
                          "printer's text" % given)
        # COMn / LPTn (also in the \\.\COMn form) pointed at another device node.
        program = ["./" + PROGRAM]
        if device:
            program = ["env", "MIRELITH_%s=%s" % (port_name.group(0), device)] + program
        return {
            "program": program,
            "expected": None if expected is None or str(expected).strip() == "" else str(expected),
            "identify": program + ["--identify"] + identify_args(
                port, str(args.get("address") or ""), args.get("tcp_port", 9100),
                args.get("baud", 115200), str(args.get("model") or "")),
        }

    def _file(self, path, prepared, strip, report_dir):
        if path in prepared:
            return prepared[path]
        try:
            return prepare_file(path, strip, os.path.join(report_dir, ".program"))
        except (OSError, IOError) as e:
            raise Refused("Check the image and device settings: %s: %s"
                          % (path, getattr(e, "strerror", None) or e))

    def _render_ini(self, task_vars):
        with open(self._find_needle("templates", "qemnuv.ini.j2"), "rb") as f:
            template = to_text(f.read())
        templar = self._templar.copy_with_new_env(available_variables=task_vars,
                                                  trim_blocks=True)
        return templar.do_template(template, preserve_trailing_newlines=True,
                                   escape_backslashes=False)

    def _host(self, lines):
        """Runs files/visit.sh with these calls on the host: what it said and the files it
        printed."""
        with open(self._find_needle("files", "visit.sh"), "rb") as f:
            script = to_text(f.read())
        # The last line says the command ran to its end (Ansible appends "&& sleep 0" to it).
        command = script + "\n" + "\n".join(" ".join(shlex.quote(str(w)) for w in line)
                                            for line in lines + [["say", "done", "1"]])
        res = self._low_level_execute_command(command, sudoable=True)
        said, files = parse_output(to_text(res.get("stdout", ""), errors="surrogate_or_replace"))
        if "error" in said:
            raise Refused(said["error"])
        if res.get("rc") != 0 or ("done" not in said and "need" not in said):
            stderr = to_text(res.get("stderr", "")).strip().splitlines()
            raise Refused(with_stderr("the command on the host failed", res.get("rc"),
                                      stderr[-1] if stderr else ""))
        return said, files

    def _visit(self, args, task_vars, action):
        settings = self._settings(args, action, task_vars)
        prepared = args.get("prepared") or {}
        report_dir = args["report_dir"]
        wanted = [dict(self._file(args["program"], prepared, args.get("strip", True),
                                  report_dir), name=PROGRAM, mode="755")]
        ini = None
        if action == "update":
            wanted.append(dict(self._file(args["firmware"], prepared, False, report_dir),
                               name=os.path.basename(args["firmware"]), mode="644"))
            ini = self._render_ini(task_vars)
        # The question that follows the files: who the printer is, or the host's last result.
        if action == "identify" or settings["expected"] is not None:
            ask = [["identify"] + settings["identify"]]
        else:
            ask = [["emit", RESULT], ["emit", LOG, LOG_LIMIT]]

        def first_command(staged):
            lines = [["enter", args["dir"]]]
            lines += [["place", f["name"], f["sha256"], f["mode"], staged.get(f["name"], "")]
                      for f in wanted]
            if ini is not None:
                lines.append(["settings", ini])
            return lines + [["ready"]] + ask

        changed = False
        said, files = self._host(first_command({}))
        if said.get("need"):
            # Sent only when missing or different; the host moves each into place.
            needed = said["need"].split()
            tmpdir = self._connection._shell.tmpdir or self._make_tmp_path()
            staged = {}
            for f in wanted:
                if f["name"] in needed:
                    staged[f["name"]] = self._connection._shell.join_path(tmpdir, f["name"])
                    self._transfer_file(plain(f["send"]), plain(staged[f["name"]]))
            self._fixup_perms2([tmpdir] + list(staged.values()), execute=False)
            said, files = self._host(first_command(staged))
            changed = True

        if action == "identify":
            return {"identity": self._identity(said, files), "changed": changed}
        answer = {"changed": changed}
        if settings["expected"] is not None:
            identity = self._identity(said, files)
            answer["identity"] = identity
            firmware = identity.get("firmware")
            if (firmware is not None and firmware.strip() == settings["expected"].strip()
                    and not args.get("force")):
                answer["report"] = {"outcome": "current", "exit_status": 0,
                                    "printer_version_before": firmware,
                                    "printer_version_after": firmware,
                                    "port": identity.get("port"),
                                    "device": identity.get("device")}
                return answer
            if identity.get("exit_status") == 2:
                # The port cannot be reached: a download would only fail the same way, later.
                answer["report"] = {"outcome": "failed", "exit_status": 2, "this_run": True,
                                    "reason": identity.get("reason"),
                                    "port": identity.get("port"),
                                    "device": identity.get("device")}
                return answer
        else:
            previous = parse_json(files.get(RESULT))
            if (not args.get("force") and previous is not None
                    and previous.get("outcome") == "sent"
                    and previous.get("sha256") == wanted[1]["sha256"]):
                answer.update(report=dict(previous, this_run=False),
                              result_file=files.get(RESULT), log_file=files.get(LOG))
                return answer

        command = settings["program"] + ["-s"]
        if settings["expected"] is not None:
            command += ["--verify", "--expect-version", settings["expected"]]
            if args.get("verify_timeout"):
                command += ["--verify-timeout", str(args["verify_timeout"])]
        run_timeout = int(args.get("run_timeout", 3600))
        said, files = self._host([["enter", args["dir"]],
                                  ["download", run_timeout] + command,
                                  ["emit", RESULT], ["emit", LOG, LOG_LIMIT]])
        status = int(said.get("run_status", -1))
        report = parse_json(files.get(RESULT))
        if report is None:
            report = {"outcome": "error", "exit_status": status,
                      "reason": with_stderr("the program left no result", status,
                                            said.get("run_stderr"))}
        else:
            report["stopped_after"] = run_timeout if status == 124 else None
            before = answer.get("identity", {}).get("firmware")
            if report.get("printer_version_before") is None and before is not None:
                report["printer_version_before"] = before
        report["this_run"] = True
        answer.update(report=report, result_file=files.get(RESULT), log_file=files.get(LOG),
                      changed=True)
        return answer

    @staticmethod
    def _identity(said, files):
        """What --identify wrote (the printer's fields, or null where it did not say), or why
        it wrote nothing."""
        status = int(said.get("identify_status", -1))
        identity = parse_json(files.get(IDENTITY))
        if identity is None:
            return {"exit_status": status,
                    "reason": with_stderr("the program left no identity", status,
                                          said.get("identify_stderr"))}
        return identity

    def _keep_reports(self, report_dir, host, action, answer):
        # On the controller: <report dir>/<host>/ holds the host's result, its log (present
        # once a run there failed) and what the printer said of itself.
        host_dir = os.path.join(report_dir, host)
        os.makedirs(host_dir, exist_ok=True)
        kept = {IDENTITY: answer.get("identity")}
        if action == "update":
            kept[RESULT] = answer.get("result_file")
            kept[LOG] = answer.get("log_file")
        for name, content in kept.items():
            if content is None:
                continue
            if not isinstance(content, str):
                content = json.dumps(content, indent=2) + "\n"
            with open(os.path.join(host_dir, name), "wb") as f:
                f.write(to_bytes(content, errors="surrogate_or_strict"))
