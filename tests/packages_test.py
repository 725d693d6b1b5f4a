#!/usr/bin/env python3
"""The release's zips as their users unpack them: the plugin's is one folder,
ModuleDetails/, which is the whole installation; mdhost's carries its
licence notices and the text for plugin authors; every entry readable where
unpacked on Linux; SHA256SUMS lists both.

    packages_test.py DIST_DIR VERSION"""
import sys
import zipfile

dist, version = sys.argv[1], sys.argv[2]
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
expect(mdhost_zip, "mdhost",
       ["mdhost.exe", "lua5.1.dll", "README.txt", "CHECKS.md", "JSON.md", "LICENSE", "LUA-COPYRIGHT.txt",
        "EXPAT-COPYING.txt", "NLOHMANN-JSON-COPYRIGHT.txt"])
listed = [line.split()[1] for line in open(f"{dist}/SHA256SUMS")]
for name in (plugin_zip, mdhost_zip, "ModuleDetails/ModuleDetails.lmd", "host/mdhost.exe"):
    if name not in listed:
        failures.append(f"SHA256SUMS does not list {name}")

for failure in failures:
    print("FAILED  " + failure)
if not failures:
    print("both packages as expected")
sys.exit(1 if failures else 0)
