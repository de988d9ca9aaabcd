#!/usr/bin/python
# -*- coding: utf-8 -*-
# The host's half of one visit by the role: everything that happens on the host happens in this
# one run of Python, because with a fleet each task per host costs more than the work itself.
# The controller's half (action_plugins/mirelith_printer.py) sends the files this run asks for.

DOCUMENTATION = r"""
---
module: mirelith_printer
short_description: Update or identify the printer attached to this host with Mirelith
description:
  - Puts the program, the firmware image and qemnuv.ini into the working directory (files that
    are missing or differ are asked for in C(need) and nothing else is done), then asks the
    printer its version (C(action=identify), or C(action=update) with C(expected_version)) and
    runs one silent download unless the printer is current or an earlier run sent this image.
  - Called by the action plugin of the same name, which transfers the files; not meant for
    direct use.
options:
  action: {type: str, choices: [update, identify], default: update}
  dir: {type: path, required: true}
  files:
    type: list
    elements: dict
    description: name, sha256, size, mode and (once transferred) staged, the path to take it from.
  ini: {type: str, description: qemnuv.ini as it must be; none leaves the file alone}
  identify_args: {type: list, elements: str}
  environment: {type: dict, default: {}}
  expected_version: {type: str}
  force: {type: bool, default: false}
  run_timeout: {type: int, default: 3600}
  verify_timeout: {type: int}
"""

import hashlib
import json
import os
import shutil
import subprocess

from ansible.module_utils.basic import AnsibleModule

RESULT = "mirelith-result.json"
IDENTITY = "mirelith-identify.json"
LOG = "_QEM_NUV.txt"
# Which files of the working directory were checked, by size and modification time, so that a
# visit does not read a program of megabytes again to learn it is unchanged.
STAMPS = ".mirelith-files.json"
# What a visit sends back of the log at most: its tail is what explains the latest failure.
LOG_LIMIT = 256 * 1024


class Step(Exception):
    """A step of the visit that failed; its name leads the reason in the table."""

    def __init__(self, step, error):
        Exception.__init__(self, "%s: %s" % (step, error))


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def read_text(path, limit=None):
    try:
        with open(path, "rb") as f:
            if limit is not None:
                f.seek(0, os.SEEK_END)
                f.seek(max(0, f.tell() - limit))
            return f.read().decode("utf-8", "replace")
    except (IOError, OSError):
        return None


def read_json(path):
    text = read_text(path)
    if text is None:
        return None
    try:
        value = json.loads(text)
    except ValueError:
        return None
    return value if isinstance(value, dict) else None


class WorkingDirectory(object):
    # A run as root believes its settings, firmware, log and journals only from a directory that
    # belongs to root and that no other user can write; as root every file here is made root's.
    def __init__(self, path):
        self.path = path
        self.as_root = os.geteuid() == 0

    def join(self, name):
        return os.path.join(self.path, name)

    def own(self, path, mode):
        if self.as_root:
            st = os.lstat(path)
            if st.st_uid != 0 or st.st_gid != 0:
                os.lchown(path, 0, 0)
        if (os.lstat(path).st_mode & 0o7777) != mode:
            os.chmod(path, mode)

    def prepare(self):
        try:
            if not os.path.isdir(self.path):
                os.makedirs(self.path, 0o755)
            self.own(self.path, 0o755)
        except OSError as e:
            raise Step("Create the working directory", e)

    def place(self, files):
        """Brings each file in from its staged copy when it differs; returns the names still
        missing, and whether anything changed."""
        stamps = read_json(self.join(STAMPS)) or {}
        missing = []
        changed = False
        for f in files:
            name = f["name"]
            path = self.join(name)
            try:
                st = os.stat(path)
                stamp = stamps.get(name) or {}
                same = (st.st_size == f["size"] and stamp.get("sha256") == f["sha256"]
                        and stamp.get("size") == st.st_size
                        and stamp.get("mtime_ns") == st.st_mtime_ns)
                if not same and st.st_size == f["size"] and sha256_of(path) == f["sha256"]:
                    same = True
            except OSError:
                same = False
            try:
                if not same:
                    staged = f.get("staged")
                    if not staged:
                        missing.append(name)
                        continue
                    incoming = self.join("." + name + ".incoming")
                    shutil.move(staged, incoming)
                    if sha256_of(incoming) != f["sha256"]:
                        os.unlink(incoming)
                        raise OSError("the copy of %s differs from the controller's" % name)
                    self.own(incoming, f["mode"])
                    os.rename(incoming, path)
                    changed = True
                else:
                    self.own(path, f["mode"])
                st = os.stat(path)
                stamps[name] = {"sha256": f["sha256"], "size": st.st_size,
                                "mtime_ns": st.st_mtime_ns}
            except (OSError, IOError, shutil.Error) as e:
                raise Step("Copy " + name, e)
        if not missing:
            self.write(STAMPS, json.dumps(stamps, sort_keys=True) + "\n", 0o644, "Copy the files")
        return missing, changed

    def write(self, name, text, mode, step):
        path = self.join(name)
        try:
            if read_text(path) == text:
                self.own(path, mode)
                return False
            temporary = path + ".incoming"
            with open(temporary, "w") as f:
                f.write(text)
            self.own(temporary, mode)
            os.rename(temporary, path)
            return True
        except (OSError, IOError) as e:
            raise Step(step, e)

    def remove(self, name):
        try:
            os.unlink(self.join(name))
        except OSError:
            pass


def run(wd, argv, environment, timeout=None):
    env = dict(os.environ)
    env.update(environment)
    if timeout is not None:
        # timeout(1) stops a run that takes too long with SIGTERM, which the program turns into
        # the outcome "interrupted" with its result and log; SIGKILL follows 30 s later.
        argv = ["timeout", "--kill-after=30", str(timeout)] + argv
    p = subprocess.Popen(argv, cwd=wd.path, env=env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err = p.communicate()
    return p.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")


def last_line(text):
    lines = [line for line in text.splitlines() if line.strip()]
    return lines[-1] if lines else ""


def identify(wd, p):
    """Asks the printer who it is; the identity (the program's --result fields) with the exit
    status, or a reason when the program left no answer."""
    wd.remove(IDENTITY)
    # Four questions of at most 2 s each, and a connection that may take its 30 s limit.
    rc, _, err = run(wd, ["./mirelith", "--identify"] + p["identify_args"] + ["--result", IDENTITY],
                     p["environment"], timeout=120)
    identity = read_json(wd.join(IDENTITY))
    if identity is None:
        identity = {"exit_status": rc, "reason": "the program left no identity (exit status %d%s)"
                    % (rc, ": " + last_line(err) if last_line(err) else "")}
    identity["exit_status"] = rc if rc in (124, 137) else identity.get("exit_status", rc)
    return identity


def download(wd, p, verify):
    wd.remove(RESULT)
    argv = ["./mirelith", "-s", "--result", RESULT]
    if verify:
        argv += ["--verify", "--expect-version", p["expected_version"]]
        if p["verify_timeout"]:
            argv += ["--verify-timeout", str(p["verify_timeout"])]
    rc, _, err = run(wd, argv, p["environment"], timeout=p["run_timeout"])
    report = read_json(wd.join(RESULT))
    if report is None:
        line = last_line(err)
        return {"outcome": "error", "exit_status": rc,
                "reason": "the program left no result (exit status %d%s)"
                          % (rc, ": " + line if line else "")}
    report["stopped_after"] = p["run_timeout"] if rc == 124 else None
    return report


def update(wd, p, out):
    expected = p["expected_version"]
    out["asked"] = expected is not None
    if expected is None:
        # Without a version to expect, the last result decides: this image, sent whole.
        previous = read_json(wd.join(RESULT))
        if (not p["force"] and previous is not None and previous.get("outcome") == "sent"
                and previous.get("sha256") == p["image_sha256"]):
            previous["this_run"] = False
            return previous
        report = download(wd, p, verify=False)
    else:
        identity = identify(wd, p)
        out["identity"] = identity
        firmware = identity.get("firmware")
        if firmware is not None and firmware.strip() == expected.strip() and not p["force"]:
            return {"outcome": "current", "exit_status": 0, "printer_version_before": firmware,
                    "printer_version_after": firmware, "port": identity.get("port"),
                    "device": identity.get("device")}
        if identity.get("exit_status") == 2:
            # The port cannot be reached: a download would only fail the same way, later.
            return {"outcome": "failed", "exit_status": 2, "reason": identity.get("reason"),
                    "port": identity.get("port"), "device": identity.get("device")}
        report = download(wd, p, verify=True)
        if report.get("printer_version_before") is None and firmware is not None:
            report["printer_version_before"] = firmware
    report["this_run"] = True
    return report


def main():
    module = AnsibleModule(
        argument_spec=dict(
            action=dict(type="str", choices=["update", "identify"], default="update"),
            dir=dict(type="path", required=True),
            files=dict(type="list", elements="dict", default=[]),
            ini=dict(type="str"),
            identify_args=dict(type="list", elements="str", default=[]),
            environment=dict(type="dict", default={}),
            expected_version=dict(type="str"),
            force=dict(type="bool", default=False),
            run_timeout=dict(type="int", default=3600),
            verify_timeout=dict(type="int"),
            image_sha256=dict(type="str"),
        ),
        supports_check_mode=False,
    )
    p = module.params
    wd = WorkingDirectory(p["dir"])
    out = {}
    changed = False
    try:
        wd.prepare()
        missing, changed = wd.place(p["files"])
        if missing:
            module.exit_json(changed=False, need=missing)
        if p["ini"] is not None:
            changed = wd.write("qemnuv.ini", p["ini"], 0o644, "Write qemnuv.ini") or changed
        if p["action"] == "identify":
            out["identity"] = identify(wd, p)
        else:
            out["report"] = update(wd, p, out)
            changed = changed or out["report"].get("this_run", False)
            out["result_file"] = read_text(wd.join(RESULT))
            # Failures only: a host whose downloads all succeeded has no log.
            out["log_file"] = read_text(wd.join(LOG), LOG_LIMIT)
    except Step as e:
        if p["action"] == "identify":
            out["identity"] = {"exit_status": None, "reason": str(e)}
        else:
            out["report"] = {"outcome": "error", "exit_status": None, "reason": str(e)}
    module.exit_json(changed=changed, **out)


if __name__ == "__main__":
    main()
