#!/usr/bin/env python3
"""YorudexSchedule.exe /EXPORT, run for real under Wine on settings files of
each kind, its XML read back with an XML parser: the triggers, weekdays and
repetition that the settings make, the action and the task settings, and
the refusals (a faulty time cell, no weekday, no settings file) that write
nothing and say why in log-error.txt.
usage: check_export.py BUILD_DIR SCHEDULE_EXE PROGRAM_EXE"""
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

build, schedule_exe, program_exe = sys.argv[1:4]
here = os.path.dirname(os.path.abspath(__file__))
wine_run = os.path.join(here, "..", "..", "tools", "wine-run.sh")
work = os.path.join(build, "tests", "schedule", "export-work")
NS = {"t": "http://schemas.microsoft.com/windows/2004/02/mit/task"}
WEEKDAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday"]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def export(folder_name, ini_lines):
    """Installs the two programs and the settings (None: no file) in a fresh
    folder and runs /EXPORT; gives the exit status, the XML root or None,
    the folder and the text of log-error.txt."""
    folder = os.path.join(work, folder_name)
    os.makedirs(folder)
    shutil.copy(schedule_exe, os.path.join(folder, "YorudexSchedule.exe"))
    shutil.copy(program_exe, os.path.join(folder, "Yorudex.exe"))
    if ini_lines is not None:
        with open(os.path.join(folder, "Yorudex.INI"), "wb") as ini:
            ini.write(("[Backup]\r\n" + "".join(l + "\r\n" for l in ini_lines)).encode("cp932"))
    out = os.path.join(folder, "task.xml")
    status = subprocess.run(
        [wine_run, build, os.path.join(folder, "YorudexSchedule.exe"), "/EXPORT", windows(out)],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).returncode
    root = None
    if os.path.exists(out):
        data = open(out, "rb").read()
        check(data[:2] == b"\xff\xfe", f"{folder_name}: no UTF-16 LE byte-order mark")
        root = ET.fromstring(data.decode("utf-16"))
    log = os.path.join(folder, "log-error.txt")
    log_text = open(log, "rb").read().decode("cp932") if os.path.exists(log) else ""
    return status, root, folder, log_text


def days(trigger):
    return [d.tag.split("}")[1] for d in trigger.find("t:ScheduleByWeek/t:DaysOfWeek", NS)]


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)

# Time list on weekdays, in a folder whose name needs escaping and ends in
# a double-byte character whose second byte is a backslash (ソ: 83 5C).
status, root, folder, log = export(
    "a & b ソ", ["TIME00=1830", "TIME01=1200", "WEEK_SAT=0", "WEEK_SUN=0"])
check(status == 0 and root is not None, f"time list: status {status}, log {log!r}")
if root is not None:
    triggers = root.findall("t:Triggers/t:CalendarTrigger", NS)
    check([t.findtext("t:StartBoundary", namespaces=NS)[-8:] for t in triggers] ==
          ["12:00:00", "18:30:00"], "time list: one trigger per time, in order")
    check(all(days(t) == WEEKDAYS for t in triggers), "time list: Monday to Friday")
    check(all(t.findtext("t:ScheduleByWeek/t:WeeksInterval", namespaces=NS) == "1"
              for t in triggers), "time list: every week")
    check(all(t.find("t:Repetition", NS) is None for t in triggers), "time list: no repetition")
    exe = root.find("t:Actions/t:Exec", NS)
    check(exe.findtext("t:Command", namespaces=NS) == '"' + windows(folder) + '\\Yorudex.exe"',
          "the command is the quoted Yorudex.exe beside the companion")
    check(exe.findtext("t:Arguments", namespaces=NS) == "/AUTO", "argument /AUTO")
    check(exe.findtext("t:WorkingDirectory", namespaces=NS) == windows(folder),
          "working folder is the program folder")
    settings = {e.tag.split("}")[1]: e.text for e in root.find("t:Settings", NS)}
    check(settings.get("StartWhenAvailable") == "true", "missed runs start when available")
    check(settings.get("MultipleInstancesPolicy") == "IgnoreNew", "no second instance")
    check(settings.get("DisallowStartIfOnBatteries") == "false" and
          settings.get("StopIfGoingOnBatteries") == "false", "runs on batteries")
    check(settings.get("ExecutionTimeLimit") in ("PT72H", "PT0S"), "no short time limit")
    principal = root.find("t:Principals/t:Principal", NS)
    check(principal.findtext("t:LogonType", namespaces=NS) == "InteractiveToken" and
          principal.find("t:UserId", NS) is None, "the current user, only when logged on")
    check(windows(folder) + "\\Yorudex.INI" in
          root.findtext("t:RegistrationInfo/t:Description", namespaces=NS),
          "the description names the settings file")

# Periodic launches on three days.
status, root, _, log = export("period", [
    "GO_RND=0", "TIME_SH=9", "TIME_SM=15", "TIME_SS=3", "WEEK_TUE=0", "WEEK_THU=0",
    "WEEK_SAT=0", "WEEK_SUN=0"])
check(status == 0 and root is not None, f"period: status {status}, log {log!r}")
if root is not None:
    triggers = root.findall("t:Triggers/t:CalendarTrigger", NS)
    check(len(triggers) == 1, "period: one trigger")
    t = triggers[0]
    check(t.findtext("t:StartBoundary", namespaces=NS)[-8:] == "09:15:00", "period: starts 9:15")
    check(days(t) == ["Monday", "Wednesday", "Friday"], f"period: days {days(t)}")
    check(t.findtext("t:Repetition/t:Interval", namespaces=NS) == "PT3H" and
          t.findtext("t:Repetition/t:Duration", namespaces=NS) == "PT14H44M",
          "period: every 3 hours until 23:59")

# Refusals: nothing written, the reason in log-error.txt, status 1.
for name, lines, reason in [
        ("faulty", ["TIME00=1200", "TIME01=2360"], "[2360]分の設定に誤りがあります。"),
        ("faulty-period", ["GO_RND=0", "TIME00=24:0"], "[24:0]時間の設定に誤りがあります。"),
        ("no-day", ["WEEK_" + d + "=0" for d in ("MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN")],
         "起動日が 1 日も選ばれていません"),
        ("no-file", None, "Yorudex.INI がありません")]:
    status, root, _, log = export(name, lines)
    check(status == 1 and root is None and reason in log and "YorudexSchedule /EXPORT: " in log,
          f"{name}: status {status}, file {root is not None}, log {log!r}")

if failures:
    print("\n".join("FAIL: " + f for f in failures))
    sys.exit(1)
shutil.rmtree(work)
print("ok")
