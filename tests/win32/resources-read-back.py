#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Reads the resources back out of driftmote.exe and compares them with what the
# program must carry: the two dialog templates, the icon with its 32x32 and 16x16
# pictures of 16 colours, the About entry's string, the window menu's shortcuts
# and the version block, field by field and string by string in order.
# Usage: resources-read-back.py DRIFTMOTE.EXE
import struct
import sys

import pefile

RT = pefile.RESOURCE_TYPE

failures = []


def check(ok, what):
    print(("ok: " if ok else "FAILED: ") + what)
    if not ok:
        failures.append(what)


def resources(pe):
    """{(type, id): bytes} of every resource, the first language of each."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries:
            data = entry.directory.entries[0].data.struct
            found[(kind.id, entry.id)] = pe.get_data(data.OffsetToData, data.Size)
    return found


def text(data, at):
    """A zero-ended UTF-16 string or an ordinal (0xFFFF, id), and where it ends."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def align(at):
    return (at + 3) & ~3


def dialog(data):
    """The template's header and its items as (id, class, caption, x, y, cx, cy, style, exstyle)."""
    extended = struct.unpack_from("<HH", data, 0) == (1, 0xFFFF)
    if extended:
        _, _, _, exstyle, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data, 0)
        at = 26
    else:
        style, exstyle, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", data, 0)
        at = 18
    _, at = text(data, at)  # menu
    _, at = text(data, at)  # class
    caption, at = text(data, at)
    size = struct.unpack_from("<H", data, at)[0]
    at += 2
    if extended:
        weight, italic, charset = struct.unpack_from("<HBB", data, at)
        at += 4
    else:
        weight, italic, charset = None, None, None
    face, at = text(data, at)
    head = dict(extended=extended, style=style, exstyle=exstyle, size=(cx, cy), caption=caption, font=(face, size),
                weight=weight, italic=italic, charset=charset)
    items = []
    classes = {0x80: "Button", 0x81: "Edit", 0x82: "Static"}
    for _ in range(count):
        at = align(at)
        if extended:
            _, iexstyle, istyle, ix, iy, icx, icy, iid = struct.unpack_from("<IIIhhhhi", data, at)
            at += 24
        else:
            istyle, iexstyle, ix, iy, icx, icy, iid = struct.unpack_from("<IIhhhhh", data, at)
            iid = struct.unpack_from("<h", data, at + 16)[0]
            at += 18
        cls, at = text(data, at)
        title, at = text(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        # The class by ordinal or by name, in any case.
        cls = classes.get(cls, cls.capitalize() if isinstance(cls, str) else cls)
        items.append((iid, cls, title, ix, iy, icx, icy, istyle, iexstyle))
    return head, items


WS_CHILD_VISIBLE = 0x50000000
MAIN_ITEMS = [  # id, class, caption, x, y, cx, cy, style without child and visible, extended style
    (1000, "Static", "", 4, 2, 294, 284, 0x1008, 0x20200),
    (1001, "Edit", "", 322, 2, 19, 12, 0x810080, 0),
    (1002, "Static", "Num", 304, 4, 15, 10, 0x20000, 0),
    (1003, "Button", "Play\nNice", 310, 271, 31, 15, 0x13023, 0),
    (1004, "Edit", "", 301, 21, 40, 12, 0x810080, 0),
    (1005, "Static", "Attraction\n(Far)", 301, 34, 40, 17, 0x20000, 0),
    (1006, "Edit", "", 301, 59, 40, 12, 0x810080, 0),
    (1007, "Static", "Repulsion\n(Near)", 301, 72, 40, 16, 0x20000, 0),
    (1008, "Edit", "", 301, 101, 40, 12, 0x810080, 0),
    (1009, "Static", "Friction", 301, 114, 40, 16, 0x20000, 0),
    (1011, "Button", "Quenly\nVostrake\n200308", 300, 193, 40, 34, 0x12300, 0),
    (1012, "Button", "<--", 300, 143, 19, 14, 0x10000, 0),
    (1013, "Button", "-->", 319, 143, 19, 14, 0x10000, 0),
    (1014, "Static", "Fun Presets", 300, 159, 38, 8, 0x20000, 0),
]
ABOUT_ITEMS = [
    (-1, "Static", 128, 207, 25, 20, 20, 0x3, 0),
    (1, "Button", "Rad", 205, 70, 23, 14, 0x30001, 0),
    (-1, "Static", "I was thinking about cheerios, obviously. The motion of the particles in this program is "
     "entirely modelled with force effects, without any model of 'surfaces'*.", 7, 7, 195, 24, 0x20000, 0),
    (-1, "Static", "* Lie. The walls are modelled as surfaces.", 7, 52, 195, 9, 0x20000, 0),
    (-1, "Static", 128, 207, 7, 20, 20, 0x3, 0),
    (-1, "Static", 128, 207, 46, 20, 20, 0x3, 0),
    (-1, "Static", "Quenly Vostrake 20030818, Saltmarsh, qv@example.org", 7, 75, 195, 9, 0x20000, 0),
    (-1, "Static", "As of this writing, there's a \"Far\" attractive force and a \"Near\" repulsive force. "
     "(1/r^4 and 1/r^6, respectively).", 7, 31, 195, 18, 0x20000, 0),
]


def check_items(name, items, expected):
    check(len(items) == len(expected), f"{name}: {len(items)} controls")
    for got, want in zip(items, expected):
        want = want[:7] + (want[7] | WS_CHILD_VISIBLE,) + want[8:]
        check(got == want, f"{name}: control {got[:3]}" + ("" if got == want else f", not {want}"))


def main():
    pe = pefile.PE(sys.argv[1])
    found = resources(pe)

    head, items = dialog(found[(RT["RT_DIALOG"], 102)])
    # The font's own style bit, DS_SETFONT (0x40), comes with the font.
    check(head == dict(extended=True, style=0x90CF0040, exstyle=0x40000, size=(344, 288), caption="Driftmote",
                       font=("MS Sans Serif", 8), weight=0, italic=0, charset=1),
          f"IDD_SWARM_DIALOG 102: {head}")
    check_items("IDD_SWARM_DIALOG", items, MAIN_ITEMS)
    head, items = dialog(found[(RT["RT_DIALOG"], 100)])
    check(head == dict(extended=False, style=0x80C800C0, exstyle=0, size=(235, 91), caption="About Driftmote",
                       font=("MS Sans Serif", 8), weight=None, italic=None, charset=None),
          f"IDD_ABOUTBOX 100: {head}")
    check_items("IDD_ABOUTBOX", items, ABOUT_ITEMS)

    group = found[(RT["RT_GROUP_ICON"], 128)]
    _, kind, count = struct.unpack_from("<HHH", group, 0)
    pictures = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    check(kind == 1 and [(p[0], p[1], p[2], p[5]) for p in pictures] == [(32, 32, 16, 4), (16, 16, 16, 4)],
          f"IDR_MAINFRAME 128: pictures {[(p[0], p[1], p[2], p[5]) for p in pictures]}")
    for p in pictures:
        bits = found[(RT["RT_ICON"], p[7])]
        width, height, _, depth = struct.unpack_from("<iiHH", bits, 4)
        check((width, height, depth) == (p[0], 2 * p[1], 4), f"icon picture {p[7]}: {width}x{height // 2}, {depth} bits")

    strings = found[(RT["RT_STRING"], 101 // 16 + 1)]
    at = 0
    for _ in range(101 % 16):
        at += 2 + 2 * struct.unpack_from("<H", strings, at)[0]
    length = struct.unpack_from("<H", strings, at)[0]
    about = strings[at + 2:at + 2 + 2 * length].decode("utf-16-le")
    check(about == "&About Driftmote...", f"IDS_ABOUTBOX 101: '{about}'")

    accelerators = found[(RT["RT_ACCELERATOR"], 128)]
    keys = [struct.unpack_from("<HHHH", accelerators, 8 * i)[:3] for i in range(len(accelerators) // 8)]
    check([(f & 0x1C, k, c) for f, k, c in keys] ==
          [(0, 0x13, 0x100), (0x08, 0xBE, 0x110), (0x0C, ord("S"), 0x120), (0x0C, ord("R"), 0x150),
           (0x08, ord("S"), 0x130), (0x08, ord("O"), 0x140)],
          f"the window menu's shortcuts: {keys}")

    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS) ==
          (0x10000, 0x1, 0x10000, 0x1), "version 1.0.0.1 in the fixed part")
    check((fixed.FileFlagsMask, fixed.FileFlags, fixed.FileOS, fixed.FileType, fixed.FileSubtype) ==
          (0x3F, 0, 0x4, 0x1, 0), "the fixed part's flags, 32-bit Windows, an application")
    tables = [t for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for t in info.StringTable]
    check([t.LangID for t in tables] == [b"040904B0"], f"one string table, {[t.LangID for t in tables]}")
    entries = [(k.decode(), v.decode()) for k, v in tables[0].entries.items()] if tables else []
    legal = entries[4][1] if len(entries) > 4 else ""
    check(entries == [("CompanyName", ""), ("FileDescription", "Driftmotes MFC Application"),
                      ("FileVersion", "1, 0, 0, 1"), ("InternalName", "Driftmotes"), ("LegalCopyright", legal),
                      ("LegalTrademarks", ""), ("OriginalFilename", "Driftmotes.EXE"),
                      ("ProductName", "Driftmotes Application"), ("ProductVersion", "1, 0, 0, 1")] and legal,
          f"the version strings in order: {entries}")
    translations = [v.entry for info in pe.FileInfo[0] if info.Key == b"VarFileInfo" for v in info.Var]
    check(translations == [{b"Translation": "0x0409 0x04b0"}], f"the translation: {translations}")

    manifest = found[(24, 1)].decode()
    check("PerMonitorV2" in manifest and ">UTF-8<" in manifest, "the manifest: UTF-8 and per-monitor DPI")

    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
