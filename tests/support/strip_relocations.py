#!/usr/bin/env python3
"""Makes a PE module as /FIXED links it: relocations stripped (the file
header says so, the base relocation directory is empty) and no dynamic
base, so that the loader can put it at its preferred base or nowhere. GNU
ld writes a DLL's relocations whatever it is told.
    strip_relocations.py MODULE"""
import struct
import sys

path = sys.argv[1]
data = bytearray(open(path, "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    sys.exit("%s: no PE image" % path)
optional = pe + 24
if struct.unpack_from("<H", data, optional)[0] != 0x10B:
    sys.exit("%s: not a 32-bit image" % path)
characteristics = struct.unpack_from("<H", data, pe + 22)[0]
struct.pack_into("<H", data, pe + 22, characteristics | 0x0001)  # IMAGE_FILE_RELOCS_STRIPPED
dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
struct.pack_into("<H", data, optional + 70, dll_characteristics & ~0x0040)  # no DYNAMIC_BASE
struct.pack_into("<II", data, optional + 96 + 8 * 5, 0, 0)  # the base relocation directory
open(path, "wb").write(bytes(data))
