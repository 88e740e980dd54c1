#!/usr/bin/env python3
"""Writes varied ROM images for scripts/json-compare: random header bytes, sizes, build markers, maker
lists and file names, over the clean sample image. Usage: json-images.py SAMPLE OUTDIR COUNT SEED.
Prints one line per case: the side directory, then the files of one parvex-check call."""
import os
import random
import sys

sample_path, out, count, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
rng = random.Random(seed)
sample = open(sample_path, "rb").read()
os.makedirs(out, exist_ok=True)

SDK_MAGIC = bytes([0x21, 0x06, 0xC0, 0xDE, 0xDE, 0xC0, 0x06, 0x21])
VENDORS = [b"VELTRANE", b"ACME", b"TORVEN", b"", b"X" * 20]
MODULES = [b"KELBO", b"SOUNDLIB", b"QTM", b"RVN", b"TORVEN", b"", b"M" * 40]
HEADER_SPOTS = [0x000, 0x005, 0x00B, 0x00C, 0x00F, 0x010, 0x011, 0x012, 0x013, 0x014, 0x015, 0x01C, 0x01D,
                0x01E, 0x01F, 0x020, 0x021, 0x060, 0x067, 0x068, 0x06C, 0x06D, 0x06E, 0x078, 0x080, 0x090,
                0x0C0, 0x100, 0x15C, 0x15E, 0x15F, 0x160, 0x17F]
SPECIAL = [0x00, 0x20, 0x30, 0x40, 0x41, 0x5A, 0x5F, 0x61, 0x80, 0xE0, 0xFF, 0x0A, 0x06, 0x0A, 0x0B, 0x0C]


def header_variant(img):
    for _ in range(rng.choice([0, 1, 1, 2, 3, 6])):
        at = rng.choice(HEADER_SPOTS)
        img[at] = rng.choice(SPECIAL) if rng.random() < 0.7 else rng.randrange(256)
    if rng.random() < 0.1:
        img[0x0C:0x10] = b"ZQVJ"
    if rng.random() < 0.15:  # a ROM control pattern of another kind
        img[0x060:0x068] = bytes([0x57, 0x66, 0x41, 0x00, 0xF8, 0x08, 0x18, 0x08])
        img[0x06E:0x070] = bytes([0x7E, 0x0D])
    if rng.random() < 0.1:  # syscall text of zeros
        off = int.from_bytes(img[0x20:0x24], "little")
        if off + 32 <= len(img):
            img[off:off + 32] = bytes(32)
    if rng.random() < 0.1:
        img[0x3000 + rng.randrange(4096)] ^= 0x5A
    if rng.random() < 0.1:
        img[0x4000 + rng.randrange(16384)] ^= 0x01


def markers(img):
    for _ in range(rng.choice([0, 0, 1, 2, 4])):
        if rng.random() < 0.5:
            m = bytes([rng.randrange(256), rng.randrange(4), rng.randrange(10), rng.randrange(1, 6)]) + SDK_MAGIC
        else:
            m = b"[SDK+" + rng.choice(VENDORS) + b":" + rng.choice(MODULES) + b"]"
        at = rng.randrange(0, max(1, len(img) - len(m)))
        img[at:at + len(m)] = m


def sized(img):
    choice = rng.random()
    if choice < 0.35:
        size = 131072 << rng.randrange(0, 3)
    elif choice < 0.55:
        size = rng.choice([0, 1, 0x20, 0x180, 0x1000, 0x3000, 0x4000, 0x7FFF, 0x8000, 0x10000])
    elif choice < 0.8:
        size = rng.randrange(0x100, 0x60000)
    else:
        size = len(img)
    if size <= len(img):
        return img[:size]
    pad = rng.choice([0x00, 0xFF])
    return img + bytearray([pad]) * (size - len(img))


def small_capacity(img):
    # Capacity byte matching a small size half of the time, so the size checks stay silent too.
    if rng.random() < 0.5 and len(img) >= 131072 and (len(img) & (len(img) - 1)) == 0:
        img[0x14] = (len(img) // 131072).bit_length() - 1


def maker_list(case_dir):
    if rng.random() < 0.4:
        return
    lines = []
    for _ in range(rng.randrange(0, 6)):
        code = rng.choice([b"01", b"PV", b"ZZ", b"0", b"A\n"[:1]])
        jp = rng.choice(["メーカー", "ＰＡＲＶＥＸ", " ", "x", ""]).encode(rng.choice(["utf-8", "shift_jis"]))
        en = rng.choice([b"Parvex Works", b"  Lone", b"x", b""])
        lines.append(code + b"," + jp + b"," + en)
    nl = rng.choice([b"\n", b"\r\n"])
    open(os.path.join(case_dir, "Dorclic.txt"), "wb").write(nl.join(lines) + (nl if rng.random() < 0.7 else b""))


def name_for(img):
    code = bytes(img[0x0C:0x10]).decode("latin-1") if len(img) >= 0x10 else "ABCD"
    code = "".join(c if c.isalnum() else "X" for c in code)
    return rng.choice([f"Q{code}0{rng.randrange(10)}.SRL", f"q{code.lower()}00.srl", "image.bin",
                       f"Q{code}E1.SRL", f"Q{code}{rng.randrange(10)}A.SRL"])


for case in range(count):
    case_dir = os.path.join(out, f"case{case:04d}")
    os.makedirs(case_dir, exist_ok=True)
    maker_list(case_dir)
    if rng.random() < 0.1:
        open(os.path.join(case_dir, "ferin.ini"), "w").close()
    files = []
    for n in range(rng.choice([1, 1, 1, 2, 3])):
        base = bytearray(sample if rng.random() < 0.05 else sample[:0x20000])
        header_variant(base)
        img = sized(base)
        if len(img) > 0x180:
            markers(img)
            small_capacity(img)
        sub = os.path.join(case_dir, str(n))
        os.makedirs(sub, exist_ok=True)
        path = os.path.join(sub, name_for(img))
        open(path, "wb").write(img)
        files.append(path)
    if rng.random() < 0.1:
        files.insert(rng.randrange(len(files) + 1), os.path.join(case_dir, "missing.SRL"))
    print(case_dir, *files)
