#!/usr/bin/env python3
"""The release's zips as their users unpack them: the plugin's is one folder,
ModuleDetails/, which is the whole installation; mdhost's carries its
licence notices, the text for plugin authors and the rule examples CHECKS.md
shows; every entry readable where unpacked on Linux; SHA256SUMS lists both
zips and every file by the path it has once unpacked, and checks out there;
the files of its own that unpacked mdhost names in SARIF are there.

    packages_test.py DIST_DIR VERSION SOURCE_DIR [-- RUNNER...]"""
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import urllib.parse
import zipfile

dist, version, source = sys.argv[1], sys.argv[2], sys.argv[3]
runner = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
failures = []


def expect(zip_name, folder, names):
    with zipfile.ZipFile(f"{dist}/{zip_name}") as archive:
        entries = archive.namelist()
        bad = archive.testzip()
        # Readable where unpacked on Linux too: files 0644, folders 0755.
        for info in archive.infolist():
            mode = info.external_attr >> 16
            want = 0o40755 if info.filename.endswith("/") else 0o100644
            if info.create_system != 3 or mode != want:
                failures.append(f"{zip_name}: {info.filename} has mode {oct(mode)}, expected {oct(want)}")
    if bad:
        failures.append(f"{zip_name}: {bad} is damaged")
    strays = [e for e in entries if not e.startswith(folder + "/")]
    if strays:
        failures.append(f"{zip_name}: entries outside {folder}/: {strays}")
    wanted = sorted([folder + "/"] + [f"{folder}/{n}" for n in names])
    if sorted(entries) != wanted:
        failures.append(f"{zip_name}: holds {sorted(entries)}, expected {wanted}")


plugin_zip = f"ModuleDetails-{version}-win32.zip"
mdhost_zip = f"mdhost-{version}-win32.zip"
expect(plugin_zip, "ModuleDetails",
       ["ModuleDetails.lmd", "Help.html", "INSTALL.txt", "LICENSE", "CHANGELOG.md", "moduledetails_std.lua",
        "ModuleDetails.meta.lua"])
examples = []
for folder, _, files in os.walk(os.path.join(source, "docs", "examples")):
    relative = os.path.relpath(folder, os.path.join(source, "docs"))
    if "accepted" in relative.split(os.sep):
        continue
    if relative != "examples":
        examples.append(relative.replace(os.sep, "/") + "/")
    examples += [relative.replace(os.sep, "/") + "/" + f for f in files if f.endswith((".c", ".h", ".rc"))]
expect(mdhost_zip, "mdhost",
       ["mdhost.exe", "lua5.1.dll", "README.txt", "CHECKS.md", "JSON.md", "LICENSE", "LUA-COPYRIGHT.txt",
        "EXPAT-COPYING.txt", "NLOHMANN-JSON-COPYRIGHT.txt", "examples/"] + examples)
listed = [line.split()[1] for line in open(f"{dist}/SHA256SUMS")]
for name in (plugin_zip, mdhost_zip, "ModuleDetails/ModuleDetails.lmd", "mdhost/mdhost.exe"):
    if name not in listed:
        failures.append(f"SHA256SUMS does not list {name}")

# Unpacked, as a user does, every file SHA256SUMS names is there and right.
with tempfile.TemporaryDirectory() as unpacked:
    for zip_name in (plugin_zip, mdhost_zip):
        with zipfile.ZipFile(f"{dist}/{zip_name}") as archive:
            archive.extractall(unpacked)
    for line in open(f"{dist}/SHA256SUMS"):
        digest, name = line.split()
        if name.endswith(".zip"):
            continue
        path = os.path.join(unpacked, name)
        if not os.path.isfile(path):
            failures.append(f"SHA256SUMS names {name}, which the zips do not unpack")
        elif hashlib.sha256(open(path, "rb").read()).hexdigest() != digest:
            failures.append(f"SHA256SUMS: {name} unpacked is not what it lists")

    # SARIF's links to each rule's page open a file the zip unpacked beside
    # mdhost.exe; it names no tool page, which mdhost has none of.
    if runner:
        run = subprocess.run(runner + [os.path.join(unpacked, "mdhost", "mdhost.exe"), "check", "--format", "sarif",
                                       os.path.join(unpacked, "ModuleDetails", "ModuleDetails.lmd")],
                             capture_output=True, cwd=unpacked)
        driver = json.loads(run.stdout)["runs"][0]["tool"]["driver"]
        if "informationUri" in driver:
            failures.append("SARIF names a tool page, %s, which mdhost does not have" % driver["informationUri"])
        links = [rule["helpUri"] for rule in driver.get("rules", [])]
        for link in links:
            path = urllib.parse.urlparse(link).path
            name = urllib.parse.unquote(path).rsplit("/", 1)[-1]
            if not os.path.isfile(os.path.join(unpacked, "mdhost", name)):
                failures.append(f"SARIF links to {link}, which the mdhost zip does not hold")

for failure in failures:
    print("FAILED  " + failure)
if not failures:
    print("both packages as expected")
sys.exit(1 if failures else 0)
