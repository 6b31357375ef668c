"""Reads the resource section of a built PE image (32- or 64-bit) and decodes the resource kinds the
program carries: dialog templates (classic and extended), string-table blocks and icon groups.

Only the file is read; nothing is loaded or run, so the check works on either build's exe.
"""

import struct
from dataclasses import dataclass, field

RT_ICON = 3
RT_DIALOG = 5
RT_STRING = 6
RT_GROUP_ICON = 14
RT_MANIFEST = 24


class PeError(Exception):
    pass


def read_resources(path):
    """Returns {(type, name, language): bytes}; type and name are ints, or str for named entries."""
    with open(path, "rb") as f:
        image = f.read()
    if image[:2] != b"MZ":
        raise PeError("not an MZ image")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}[magic]
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if not resource_rva:
        return {}

    table = optional + optional_size
    spans = []
    for i in range(sections):
        vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", image, table + 40 * i + 8)
        spans.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(rva):
        for vaddr, size, rawptr in spans:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise PeError(f"RVA {rva:#x} outside every section")

    base = offset(resource_rva)

    def name_of(value):
        if value & 0x80000000:
            at = base + (value & 0x7FFFFFFF)
            length = struct.unpack_from("<H", image, at)[0]
            return image[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return value

    def entries(at):
        named, numbered = struct.unpack_from("<12xHH", image, base + at)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + at + 16 + 8 * i)
            yield name_of(name), target

    found = {}
    for kind, to_names in entries(0):
        for name, to_languages in entries(to_names & 0x7FFFFFFF):
            for language, to_data in entries(to_languages & 0x7FFFFFFF):
                if to_data & 0x80000000:
                    raise PeError("resource tree deeper than three levels")
                rva, size = struct.unpack_from("<II", image, base + to_data)
                start = offset(rva)
                found[(kind, name, language)] = image[start:start + size]
    return found


class _Reader:
    def __init__(self, data):
        self.data = data
        self.at = 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, n):
        self.at = (self.at + n - 1) // n * n

    def sz_or_ord(self):
        """A 0xFFFF-prefixed ordinal (returned as int) or a NUL-terminated UTF-16 string."""
        first = self.take("H")
        if first == 0xFFFF:
            return self.take("H")
        chars = []
        while first:
            chars.append(first)
            first = self.take("H")
        return struct.pack(f"<{len(chars)}H", *chars).decode("utf-16-le")


@dataclass
class Control:
    id: int
    cls: object
    text: object
    x: int
    y: int
    cx: int
    cy: int
    style: int
    exstyle: int = 0
    help_id: int = 0
    extra: bytes = b""


@dataclass
class Dialog:
    extended: bool
    style: int
    exstyle: int
    x: int
    y: int
    cx: int
    cy: int
    menu: object
    cls: object
    caption: str
    point_size: int = None
    weight: int = None
    italic: int = None
    charset: int = None
    typeface: str = None
    help_id: int = None
    controls: list = field(default_factory=list)
    trailing: int = 0  # bytes after the end of the last control


def parse_dialog(data):
    r = _Reader(data)
    version, signature = struct.unpack_from("<HH", data, 0)
    extended = version == 1 and signature == 0xFFFF
    if extended:
        r.take("HH")
        help_id, exstyle, style = r.take("III")
    else:
        help_id = None
        style, exstyle = r.take("II")
    count, x, y, cx, cy = r.take("Hhhhh")
    dialog = Dialog(extended, style, exstyle, x, y, cx, cy, r.sz_or_ord(), r.sz_or_ord(), r.sz_or_ord(),
                    help_id=help_id)
    if style & 0x40:  # DS_SETFONT
        dialog.point_size = r.take("H")
        if extended:
            dialog.weight, dialog.italic, dialog.charset = r.take("HBB")
        dialog.typeface = r.sz_or_ord()
    for _ in range(count):
        r.align(4)
        if extended:
            item_help, item_ex, item_style = r.take("III")
            ix, iy, icx, icy = r.take("hhhh")
            item_id = r.take("i")
        else:
            item_help = 0
            item_style, item_ex = r.take("II")
            ix, iy, icx, icy = r.take("hhhh")
            item_id = r.take("h")
        cls = r.sz_or_ord()
        text = r.sz_or_ord()
        extra_size = r.take("H")
        extra = data[r.at:r.at + extra_size]
        r.at += extra_size
        dialog.controls.append(Control(item_id, cls, text, ix, iy, icx, icy, item_style, item_ex, item_help, extra))
    dialog.trailing = len(data) - r.at
    return dialog


def parse_string_block(data):
    """The 16 counted UTF-16 strings of one string-table block, empty ones included."""
    r = _Reader(data)
    strings = []
    for _ in range(16):
        length = r.take("H")
        strings.append(data[r.at:r.at + 2 * length].decode("utf-16-le"))
        r.at += 2 * length
    return strings, len(data) - r.at


@dataclass
class IconEntry:
    width: int
    height: int
    colours: int
    reserved: int
    planes: int
    bit_count: int
    bytes_in_res: int
    image_id: int


def parse_icon_group(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    group = [IconEntry(*struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)) for i in range(count)]
    return (reserved, kind), group, len(data) - 6 - 14 * count


@dataclass
class IconImage:
    header_size: int
    width: int
    height: int  # XOR and AND bitmaps together: twice the icon's height
    planes: int
    bit_count: int
    compression: int
    colours_used: int
    palette: list
    xor: bytes
    mask: bytes

    def transparent(self, x, y):
        """True where the AND mask lets the background through; (0, 0) is the top-left pixel."""
        stride = ((self.width + 31) // 32) * 4
        row = self.height // 2 - 1 - y
        return bool(self.mask[row * stride + x // 8] & (0x80 >> (x % 8)))

    def colour(self, x, y):
        row = self.height // 2 - 1 - y
        stride = (self.width * self.bit_count + 31) // 32 * 4
        return self.palette[self.xor[row * stride + x]]


def parse_icon_image(data):
    size, width, height, planes, bits, compression, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 0)
    entries = used or (1 << bits if bits <= 8 else 0)
    palette = [tuple(data[size + 4 * i + 2 - c] for c in range(3)) for i in range(entries)]
    pixels = size + 4 * entries
    xor_size = (width * bits + 31) // 32 * 4 * (height // 2)
    xor = data[pixels:pixels + xor_size]
    mask = data[pixels + xor_size:]
    return IconImage(size, width, height, planes, bits, compression, used, palette, xor, mask)
