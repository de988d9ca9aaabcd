# -*- coding: utf-8 -*-
# The controller's half of a visit to one host (library/mirelith_printer.py is the host's half).
# A fleet is slow in tasks, not in bytes: every task costs each host a process on the controller
# and a Python start on the host, so one task here does what several did (copy, stat, slurp,
# parse, decide, run, fetch). The module is first run with the checksums of what the host must
# hold; only when it answers that something is missing are those files sent and the module run
# again, so a play with nothing new to send runs it once.
#
# phase "prepare" (run_once, at the start of each batch) does the controller's work for all
# hosts at once: checksums, the program without its debugging sections, stale reports removed.

import hashlib
import json
import os
import re
import shutil
import subprocess
import tempfile

from ansible.errors import AnsibleConnectionFailure, AnsibleError
from ansible.module_utils.common.text.converters import to_text
from ansible.plugins.action import ActionBase

PROGRAM = "mirelith"


class Refused(Exception):
    """Settings that make the visit pointless; the reason goes into the host's row."""


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def has_debug_sections(path):
    # The section names of an ELF file are in its string table; reading the whole program once
    # is cheaper than starting readelf.
    with open(path, "rb") as f:
        head = f.read(4)
        return head == b"\x7fELF" and b".debug_info" in f.read()


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
            if os.path.isdir(cache_dir):
                shutil.rmtree(cache_dir, ignore_errors=True)
            os.makedirs(target_dir)
            fd, temporary = tempfile.mkstemp(dir=target_dir)
            os.close(fd)
            subprocess.check_call(["strip", "--strip-debug", "-o", temporary, path])
            os.chmod(temporary, 0o755)
            os.rename(temporary, target)
        send = target
        digest = sha256_of(target)
    return {"send": send, "sha256": digest, "size": os.path.getsize(send)}


def identify_args(port, address, tcp_port, baud, model):
    """The port of the host's settings as --identify takes it on the command line."""
    upper = port.upper()
    args = ["-p", port]
    if upper.startswith("NET"):
        args = ["-p", "NET", address, "-tcpport", str(tcp_port)]
    elif "COM" in upper:
        args += ["-b", str(baud)]
    elif upper == "USB" and model:
        args += ["-m", model]
    return args


def failure(action, reason, outcome="error"):
    """The answer of a visit that did not get as far as the printer."""
    if action == "identify":
        return {"identity": {"exit_status": None, "reason": reason}}
    return {"report": {"outcome": outcome, "exit_status": None, "reason": reason}}


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
        host = task_vars["inventory_hostname"]
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
        self._keep_reports(args["report_dir"], host, action, answer)
        if action == "identify":
            result["identity"] = answer.get("identity") or {}
        else:
            result["report"] = answer["report"]
            if answer.get("identity") is not None:
                result["identity"] = answer["identity"]
        result["changed"] = bool(answer.get("changed"))
        return result

    # --- once per batch -------------------------------------------------------------------

    def _prepare(self, args, task_vars):
        report_dir = args["report_dir"]
        os.makedirs(report_dir, exist_ok=True)
        # Reports of an earlier play must not pass for this one's: those of every host not yet
        # visited in this play go (in an audit, only the identities).
        hostvars = task_vars["hostvars"]
        register = args.get("register_name", "mirelith_visit")
        for host in task_vars.get("ansible_play_hosts_all", []):
            if register in hostvars[host]:
                continue
            if args.get("action", "update") == "identify":
                try:
                    os.unlink(os.path.join(report_dir, host, "mirelith-identify.json"))
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

    def _settings(self, args, action):
        port = str(args.get("port") or "NET")
        port_name = re.search(r"(COM|LPT)[0-9]+$", port.upper())
        device = args.get("device") or ""
        firmware = args.get("firmware") or ""
        if action == "update" and not firmware:
            raise Refused("Check the image and device settings: set mirelith_firmware to the "
                          "image file on the controller")
        if device and not port_name:
            raise Refused("Check the image and device settings: mirelith_device only goes with "
                          "a COMn or LPTn mirelith_port")
        environment = {"MIRELITH_" + port_name.group(0): device} if device else {}
        expected = args.get("expected_version")
        if isinstance(expected, (int, float)) and not isinstance(expected, bool):
            # An INI inventory reads 2.00 as the number 2.0; the printer says "2.00".
            raise Refused("Check the image and device settings: mirelith_expected_version is "
                          "the number %r; write it in quotes (\"2.00\") so that it stays the "
                          "printer's text" % expected)
        expected = None if expected is None or str(expected).strip() == "" else str(expected)
        return {
            "port": port, "environment": environment, "expected_version": expected,
            "identify_args": identify_args(port, str(args.get("address") or ""),
                                           args.get("tcp_port", 9100), args.get("baud", 115200),
                                           str(args.get("model") or "")),
        }

    def _file(self, path, prepared, strip, report_dir):
        if path in prepared:
            return prepared[path]
        try:
            return prepare_file(path, strip, os.path.join(report_dir, ".program"))
        except (OSError, IOError) as e:
            raise Refused("Check the image and device settings: %s: %s" % (path, e.strerror or e))

    def _render_ini(self, task_vars):
        source = self._find_needle("templates", "qemnuv.ini.j2")
        with open(source, "rb") as f:
            template = to_text(f.read())
        templar = self._templar.copy_with_new_env(available_variables=task_vars,
                                                  trim_blocks=True)
        return templar.do_template(template, preserve_trailing_newlines=True,
                                   escape_backslashes=False)

    def _visit(self, args, task_vars, action):
        settings = self._settings(args, action)
        prepared = args.get("prepared") or {}
        strip = args.get("strip", True)
        program = self._file(args["program"], prepared, strip, args["report_dir"])
        wanted = [dict(program, name=PROGRAM, mode=0o755)]
        module_args = {
            "action": action, "dir": args["dir"],
            "identify_args": settings["identify_args"], "environment": settings["environment"],
        }
        if action == "update":
            image = self._file(args["firmware"], prepared, False, args["report_dir"])
            name = os.path.basename(args["firmware"])
            wanted.append(dict(image, name=name, mode=0o644))
            module_args.update({
                "ini": self._render_ini(task_vars),
                "expected_version": settings["expected_version"],
                "force": bool(args.get("force", False)),
                "run_timeout": int(args.get("run_timeout", 3600)),
                "verify_timeout": args.get("verify_timeout"),
                "image_sha256": image["sha256"],
            })
        module_args["files"] = [{k: f[k] for k in ("name", "sha256", "size", "mode")}
                                for f in wanted]
        answer = self._execute_module(module_name="mirelith_printer", module_args=module_args,
                                      task_vars=task_vars)
        if answer.get("need"):
            # Sent only when missing or different; the module moves each into place.
            tmpdir = self._connection._shell.tmpdir or self._make_tmp_path()
            for f, sent in zip(wanted, module_args["files"]):
                if f["name"] in answer["need"]:
                    staged = self._connection._shell.join_path(tmpdir, f["name"])
                    self._transfer_file(f["send"], staged)
                    sent["staged"] = staged
            self._fixup_perms2((tmpdir,) + tuple(
                s["staged"] for s in module_args["files"] if "staged" in s))
            answer = self._execute_module(module_name="mirelith_printer",
                                          module_args=module_args, task_vars=task_vars)
            answer["changed"] = True
        if answer.get("failed"):
            reason = answer.get("msg") or "the visit failed"
            if answer.get("module_stderr"):
                reason += ": " + to_text(answer["module_stderr"]).strip().splitlines()[-1]
            answer = failure(action, reason)
        return answer

    def _keep_reports(self, report_dir, host, action, answer):
        # On the controller: <report dir>/<host>/ holds the host's result, its log (present
        # once a run there failed) and what the printer said of itself.
        host_dir = os.path.join(report_dir, host)
        os.makedirs(host_dir, exist_ok=True)
        kept = {"mirelith-identify.json": answer.get("identity")}
        if action == "update":
            kept["mirelith-result.json"] = answer.get("result_file")
            kept["_QEM_NUV.txt"] = answer.get("log_file")
        for name, content in kept.items():
            path = os.path.join(host_dir, name)
            if content is None:
                continue
            if not isinstance(content, str):
                content = json.dumps(content, indent=2) + "\n"
            with open(path, "w") as f:
                f.write(content)
