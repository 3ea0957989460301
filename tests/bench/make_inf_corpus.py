#!/usr/bin/env python3
"""Writes a directory that looks like a Windows INF directory, for timing the INF search.

usage: make_inf_corpus.py OUT_DIR [--files N] [--megabytes M] [--seed S]

About 1500 INF files of mixed sizes (most a few kilobytes, some of megabytes),
with CR LF lines, a share of them stored as UTF-16, PNF companions for some,
and the maker's id VID_0E7B&PID_0001 in a few 8-bit files (one of them in
lower case, one near the end of a large file) and in one UTF-16 file, which a
search of 8-bit text must not find. Decoys that a whole-id search must pass
over stand in a few other files: the id continued by more characters, and the
id in a comment. Deterministic for a given seed.
"""
import argparse
import os
import random
import sys

MAKER_ID = "VID_0E7B&PID_0001"
VENDORS = ["8086", "10DE", "1002", "14E4", "10EC", "046D", "045E", "0BDA", "1B21", "8087"]
CLASSES = [("Net", "{4d36e972-e325-11ce-bfc1-08002be10318}"),
           ("Display", "{4d36e968-e325-11ce-bfc1-08002be10318}"),
           ("USB", "{36fc9e60-c465-11cf-8056-444553540000}"),
           ("Printer", "{4d36e979-e325-11ce-bfc1-08002be10318}"),
           ("HIDClass", "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}"),
           ("MEDIA", "{4d36e96c-e325-11ce-bfc1-08002be10318}")]
UTF16_SHARE = 0.15
PNF_SHARE = 0.35
MATCH_FILES = 4
DECOYS = ["%%Printer.DeviceDesc%% = Install_Other, USB\\%s&MI_000" % MAKER_ID,
          "%%Printer.DeviceDesc%% = Install_Other, USB\\%s&MI_00.1" % MAKER_ID,
          "; %%Printer.DeviceDesc%% = Install_Printer, USB\\%s&MI_00" % MAKER_ID,
          "HKR,,Old,,\"x\" ;USB\\%s&MI_00" % MAKER_ID]


def header(rng, index):
    cls, guid = rng.choice(CLASSES)
    return [
        "; Copyright (c) Hardware maker %d. All rights reserved." % index,
        "",
        "[Version]",
        'Signature="$Windows NT$"',
        "Class=%s" % cls,
        "ClassGuid=%s" % guid,
        "Provider=%ProviderName%",
        "DriverVer=%02d/%02d/20%02d,%d.%d.%d.%d" % (
            rng.randint(1, 12), rng.randint(1, 28), rng.randint(6, 23),
            rng.randint(1, 30), rng.randint(0, 99), rng.randint(0, 9999), rng.randint(0, 999)),
        "CatalogFile=drv%04d.cat" % index,
        "",
        "[Manufacturer]",
        "%ProviderName% = Models,NTx86,NTamd64",
        "",
        "[Models.NTamd64]",
    ]


def body_lines(rng, index, target_bytes):
    """Model, install and string lines until about target_bytes."""
    lines, size, n = [], 0, 0
    vendor = rng.choice(VENDORS)
    kinds = ("model", "model", "addreg", "copy", "string")
    while size < target_bytes:
        kind = kinds[n % len(kinds)]
        pid = "%04X" % rng.randint(0, 0xFFFF)
        if kind == "model":
            line = "%%Device%d.DeviceDesc%% = Install_%d, USB\\VID_%s&PID_%s&REV_%04d" % (
                n, n % 40, vendor, pid, rng.randint(0, 9999))
        elif kind == "addreg":
            line = 'HKR,"Parameters\\Setting%d",%s,0x%08x,%d' % (
                n, rng.choice(("Value", "Flags", "Mode")), rng.randint(0, 1 << 16), rng.randint(0, 999))
        elif kind == "copy":
            line = "drv%04d_%d.%s,,,0x%08x" % (index, n, rng.choice(("sys", "dll", "bin")), rng.randint(0, 64))
        else:
            line = 'Device%d.DeviceDesc = "Hardware maker %d device %s model %d"' % (
                n, index, pid, rng.randint(1, 5000))
        lines.append(line)
        size += len(line) + 2
        n += 1
    return lines


def file_sizes(rng, count, total_bytes):
    raw = []
    for _ in range(count):
        roll = rng.random()
        if roll < 0.70:
            raw.append(rng.uniform(2e3, 2e4))
        elif roll < 0.96:
            raw.append(rng.uniform(2e4, 1.5e5))
        else:
            raw.append(rng.uniform(3e5, 3e6))
    scale = total_bytes / sum(raw)
    return [max(1024, int(s * scale)) for s in raw]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out_dir")
    parser.add_argument("--files", type=int, default=1500)
    parser.add_argument("--megabytes", type=float, default=75.0)
    parser.add_argument("--seed", type=int, default=20240101)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    os.makedirs(args.out_dir, exist_ok=True)
    sizes = file_sizes(rng, args.files, args.megabytes * 1e6)
    utf16 = set(rng.sample(range(args.files), int(args.files * UTF16_SHARE)))
    eight_bit = [i for i in range(args.files) if i not in utf16]
    largest = max(eight_bit, key=lambda i: sizes[i])
    matches = set(rng.sample(eight_bit, MATCH_FILES - 1)) | {largest}
    utf16_match = min(utf16)
    # Their own generator, so that the rest of the corpus stays as it was.
    decoy_rng = random.Random(args.seed + 1)
    others = [i for i in range(args.files) if i not in matches and i != utf16_match]
    decoys = dict(zip(decoy_rng.sample(others, len(DECOYS) + 1), DECOYS + [DECOYS[0]]))

    for i in range(args.files):
        name = "oem%d.inf" % i if i % 3 == 0 else "drv%04d.inf" % i
        lines = header(rng, i) + body_lines(rng, i, sizes[i])
        if i in matches or i == utf16_match:
            where = len(lines) - 3 if i == largest else rng.randrange(len(lines) // 2, len(lines))
            text = MAKER_ID.lower() if i == min(matches) else MAKER_ID
            lines.insert(where, "%%Printer.DeviceDesc%% = Install_Printer, USB\\%s&MI_00" % text)
        if i in decoys:
            lines.insert(decoy_rng.randrange(len(lines) // 2, len(lines)), decoys[i])
        content = ("\r\n".join(lines) + "\r\n")
        data = (b"\xff\xfe" + content.encode("utf-16-le")) if i in utf16 else content.encode("ascii")
        with open(os.path.join(args.out_dir, name), "wb") as f:
            f.write(data)
        if rng.random() < PNF_SHARE:
            with open(os.path.join(args.out_dir, name[:-3] + "pnf"), "wb") as f:
                f.write(rng.randbytes(rng.randint(4096, 40960)))

    # A directory whose name looks like an INF file; it must not be listed.
    os.makedirs(os.path.join(args.out_dir, "folder.inf"), exist_ok=True)
    print("%d INF files, %d of them UTF-16; the maker's id in %d 8-bit files" %
          (args.files, len(utf16), len(matches)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
