#!/usr/bin/env python3
"""Checks the README's examples of running the command line on many machines.

    readme_examples.py SOURCE_DIR [--cli torvane-cli.exe]   the YAML, options, exit codes,
                                                            and (with --cli, under Wine)
                                                            the fields of info --json
    readme_examples.py SOURCE_DIR --powershell              the PowerShell script parses

The examples name only options the program parses (cli/options.cpp) and exit codes of the
README's table. Exit code 77 tells CTest that a check was skipped.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77


def blocks(readme, language):
    return re.findall(r"```" + language + r"\n(.*?)```", readme, re.S)


def table_after(readme, header):
    """The first-column cells of the Markdown table that starts with `header`."""
    start = readme.index(header)
    cells = []
    for line in readme[start:].splitlines()[2:]:
        if not line.startswith("|"):
            break
        cells.append(line.split("|")[1].strip())
    return cells


def known_options(source):
    with open(os.path.join(source, "cli", "options.cpp"), encoding="utf-8") as f:
        text = f.read()
    return set(re.findall(r'u"(--[a-z-]+)', text)), set(
        re.findall(r'positional\[0\] == u"(\w+)"', text))


def check_names(what, text, options, commands, codes, failures):
    for option in re.findall(r"(?<![\w-])--[a-z][a-z-]*", text):
        if option not in options:
            failures.append(f"{what}: unknown option {option}")
    for command in re.findall(r"torvane-cli(?:\.exe)?\"? (\w+)|& \$cli (\w+)", text):
        name = command[0] or command[1]
        if name not in commands:
            failures.append(f"{what}: unknown command {name}")
    named = re.findall(r"rc\s*(?:==|!=|>=|<=|>|<)\s*(\d+)", text)
    for group in re.findall(r"rc\s+(?:not\s+)?in\s+\[([^\]]*)\]", text):
        named += re.findall(r"\d+", group)
    named += re.findall(r"errorlevel (\d+)", text)
    named += re.findall(r"LASTEXITCODE\s+-(?:eq|ne|gt|ge|lt|le)\s+(\d+)", text)
    for code in named:
        if code not in codes:
            failures.append(f"{what}: exit code {code} is not in the README's table")


def check_yaml(readme, failures):
    import yaml  # python3-yaml, installed by scripts/setup.sh

    found = blocks(readme, "yaml")
    if len(found) != 1:
        failures.append(f"expected one YAML example, found {len(found)}")
        return ""
    plays = yaml.safe_load(found[0])
    tasks = [t for play in plays for t in play.get("tasks", [])]
    commands = [t for t in tasks if "ansible.windows.win_command" in t]
    if not commands:
        failures.append("the YAML example has no ansible.windows.win_command task")
        return ""
    task = commands[0]
    for key in ("register", "changed_when", "failed_when"):
        if key not in task:
            failures.append(f"the Ansible task has no {key}")
    return "\n".join([task["ansible.windows.win_command"], str(task.get("changed_when", "")),
                      str(task.get("failed_when", ""))])


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def check_info_fields(readme, cli, failures):
    documented = set()
    for cell in table_after(readme, "| field | meaning |"):
        documented.update(re.findall(r"`(\w+)`", cell))
    with tempfile.TemporaryDirectory() as game:
        for name in ("War3.exe", "War3.mpq"):
            with open(os.path.join(game, name), "w") as f:
                f.write("stand-in")
        for args in ([windows_path(os.path.join(game, "War3.exe"))], []):
            run = subprocess.run(["wine", cli, "info", *args, "--json"], capture_output=True,
                                 timeout=120)
            lines = run.stdout.decode("utf-8").splitlines()
            if run.returncode != 0 or len(lines) != 2:
                failures.append(f"info {args} exited {run.returncode}: {lines}")
                continue
            fields = set(json.loads(lines[0]))
            if fields != documented:
                failures.append(f"info --json gives {sorted(fields)}, "
                                f"the README documents {sorted(documented)}")
            if json.loads(lines[1]).get("code") != 0:
                failures.append(f"info {args}: the exit line says {lines[1]}")


def check_powershell(readme):
    scripts = blocks(readme, "powershell")
    if len(scripts) != 1:
        print(f"expected one PowerShell example, found {len(scripts)}")
        return 1
    pwsh = shutil.which("pwsh")
    if not pwsh:
        print("SKIPPED: pwsh is not installed, and no package registry this machine reaches "
              "offers it (Debian has no powershell package): the PowerShell example was not "
              "parsed. Its options and exit codes are checked by readme_examples.")
        return SKIPPED
    with tempfile.NamedTemporaryFile("w", suffix=".ps1", delete=False) as f:
        f.write(scripts[0])
    check = ("$errors = $null; [void][System.Management.Automation.Language.Parser]::ParseFile("
             f"'{f.name}', [ref]$null, [ref]$errors); $errors | ForEach-Object {{ $_.ToString() }};"
             " exit $errors.Count")
    run = subprocess.run([pwsh, "-NoProfile", "-Command", check], capture_output=True, text=True)
    os.unlink(f.name)
    print(run.stdout + run.stderr)
    return 0 if run.returncode == 0 else 1


def main():
    source = sys.argv[1]
    with open(os.path.join(source, "README.md"), encoding="utf-8") as f:
        readme = f.read()
    if "--powershell" in sys.argv:
        return check_powershell(readme)
    failures = []
    options, commands = known_options(source)
    codes = set(table_after(readme, "| code | meaning |"))
    if codes != {"0", "1", "2", "3", "4"}:
        failures.append(f"the exit-code table names {sorted(codes)}")
    ansible = check_yaml(readme, failures)
    check_names("Ansible", ansible, options, commands, codes, failures)
    for script in blocks(readme, "powershell"):
        check_names("PowerShell", script, options, commands, codes, failures)
    for batch in blocks(readme, "bat"):
        check_names("batch file", batch, options, commands, codes, failures)
    if "--cli" in sys.argv:
        check_info_fields(readme, sys.argv[sys.argv.index("--cli") + 1], failures)
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
