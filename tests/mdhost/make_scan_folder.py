#!/usr/bin/env python3
"""Fills a folder for `mdhost scan`: plugins (one a folder deeper), a text
file, a crashing plugin with the helper it imports, a plugin that leaves a
thread running (blocked in the system: always counted, never a crash whose
moment varies with the machine's load), a second plugin of one name, a
folder whose name the ANSI code page cannot hold, and a 64-bit module's header. With "faulty": plugins
the host cannot use (a malformed document, a missing getter, SDK version 3,
a registration that raises, decorated exports), one that only warns (a
Required of "yes"), a text file and an empty file named like plugins.
  make_scan_folder.py FOLDER BIN_DIR [faulty]"""
import os
import shutil
import struct
import sys

folder, bin_dir = sys.argv[1], sys.argv[2]
shutil.rmtree(folder, ignore_errors=True)
if sys.argv[3:] == ["faulty"]:
    os.makedirs(folder)
    for name in ["fixture_large.dll", "fixture_partial.dll", "fixture_sdk3.dll", "fixture_c_plugin.dll",
                 "fixture_counter.dll", "fixture_stdcall.dll", "fixture_raising.dll", "fixture_required_yes.dll"]:
        shutil.copy(os.path.join(bin_dir, name), os.path.join(folder, name))
    with open(os.path.join(folder, "notes.lmd"), "w") as f:
        f.write("a text, not a module\n")
    open(os.path.join(folder, "empty.lmd"), "wb").close()
    sys.exit(0)
os.makedirs(os.path.join(folder, "deeper"))
for name, to in [("ModuleDetails.lmd", ""), ("example_plugin.dll", "deeper"), ("fixture_crashing.dll", ""),
                 ("fixture_counter.dll", ""), ("fixture_crt_blocking.dll", ""), ("fixture_c_plugin.dll", "")]:
    shutil.copy(os.path.join(bin_dir, name), os.path.join(folder, to, name))
shutil.copy(os.path.join(bin_dir, "example_plugin.dll"), os.path.join(folder, "deeper", "example_copy.dll"))
os.makedirs(os.path.join(folder, "\u65e5\u672c"))
shutil.copy(os.path.join(bin_dir, "example_plugin.dll"), os.path.join(folder, "\u65e5\u672c", "hidden.dll"))
with open(os.path.join(folder, "readme.txt"), "w") as f:
    f.write("not a module\n")
with open(os.path.join(folder, "x64.dll"), "wb") as f:  # MZ, PE, AMD64, PE32+
    f.write(b"MZ" + bytes(58) + struct.pack("<I", 64) + b"PE\0\0" + struct.pack("<H", 0x8664) + bytes(18)
            + struct.pack("<H", 0x20B) + bytes(400))
