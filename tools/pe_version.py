#!/usr/bin/python3
"""Prints what a Windows executable says about itself: its machine and the
version of its VERSIONINFO resource, as key=value lines.

    machine=x64 | x86 | 0xNNNN
    fixed_version=1.0.2.0        (VS_FIXEDFILEINFO FileVersion)
    file_version=1, 0, 2, 0      (the StringFileInfo "FileVersion" text)
"""
import struct
import sys

PE_SIGNATURE = b"PE\0\0"
PE_OFFSET_FIELD = 0x3C
MACHINES = {0x8664: "x64", 0x014C: "x86"}
FIXED_SIGNATURE = struct.pack("<I", 0xFEEF04BD)
STRING_KEY = "FileVersion\0".encode("utf-16-le")


def machine(data):
    (pe_offset,) = struct.unpack_from("<I", data, PE_OFFSET_FIELD)
    if data[pe_offset:pe_offset + 4] != PE_SIGNATURE:
        raise ValueError("not a PE file")
    (code,) = struct.unpack_from("<H", data, pe_offset + 4)
    return MACHINES.get(code, "0x%04X" % code)


def fixed_version(data):
    at = data.find(FIXED_SIGNATURE)
    if at < 0:
        return ""
    # dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS
    _, _, high, low = struct.unpack_from("<IIII", data, at)
    return "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)


def string_version(data):
    at = data.find(STRING_KEY)
    if at < 0:
        return ""
    at += len(STRING_KEY)
    # The value starts at the next 32-bit boundary after the key.
    while at % 4:
        at += 1
    end = at
    while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def main(path):
    with open(path, "rb") as f:
        data = f.read()
    print("machine=" + machine(data))
    print("fixed_version=" + fixed_version(data))
    print("file_version=" + string_version(data))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: pe_version.py PROGRAM.exe")
    main(sys.argv[1])
