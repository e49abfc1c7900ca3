#!/usr/bin/env python3
"""Compiles the resource scripts with windres and decodes what it produced: the
CARDPIN and CONFIGURE extended dialog templates must carry exactly the ids, classes,
texts, styles and positions below (windres adds styles of its own unless told not
to), and CARDIDLIST must be the 144 x 37 8-bit bitmap. The names and texts come from
the resource header that the scripts and the C++ code share, so this checks that each
script puts the right name in the right place.

Usage: dialog_templates_test.py [WINDRES]   (default i686-w64-mingw32-windres)
"""

import ast
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RESOURCES = os.path.join(ROOT, "resources")
WINDRES = "i686-w64-mingw32-windres"

RT_BITMAP, RT_DIALOG = 2, 5
CLASS_ATOMS = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC"}

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_SYSMENU, WS_TABSTOP = 0x00C00000, 0x00800000, 0x00080000, 0x00010000
DS_MODALFRAME, DS_SETFONT, DS_3DLOOK = 0x80, 0x40, 0x04
ES_PASSWORD, ES_AUTOHSCROLL, ES_NUMBER = 0x20, 0x80, 0x2000
SS_LEFT, SS_RIGHT = 0x0, 0x2
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_GROUPBOX, BS_OWNERDRAW, BS_ICON = 0x0, 0x1, 0x7, 0xB, 0x40
DEFAULT_CHARSET = 1

CHILD = WS_CHILD | WS_VISIBLE
EDIT = CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL
LABEL = CHILD | SS_RIGHT
RULE = CHILD | BS_GROUPBOX

def read_resource_ids(path):
    """The #define NAME VALUE lines of the shared resource header: numbers and texts."""
    ids = {}
    with open(path) as stream:
        for line in stream:
            match = re.match(r'#define\s+(\w+)\s+(-?\d+|"(?:[^"\\]|\\.)*")', line)
            if match:
                ids[match.group(1)] = ast.literal_eval(match.group(2))
    return ids


ID = read_resource_ids(os.path.join(RESOURCES, "resource_ids.h"))

# (id, class, text, style, (x, y, cx, cy)) in template order.
EXPECTED = {
    ID["CARDPIN_TEMPLATE"]: dict(
        style=WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK,
        caption=ID["CARDPIN_CAPTION"], rect=(153, 86, 235, 108),
        items=[
            (ID["IDC_CARD_ENTRY"], "EDIT", "", EDIT | ES_PASSWORD, (15, 54, 205, 12)),
            (ID["IDC_OK"], "BUTTON", ID["CARDPIN_NEXT_TEXT"], CHILD | WS_TABSTOP | BS_PUSHBUTTON,
             (104, 84, 54, 14)),
            (ID["IDC_CANCEL"], "BUTTON", ID["CARDPIN_CANCEL_TEXT"], CHILD | WS_TABSTOP, (166, 84, 54, 14)),
            (ID["IDC_CARD_MESSAGE"], "STATIC", ID["CARDPIN_PROMPT"], CHILD | SS_LEFT, (15, 15, 156, 33)),
            (ID["IDC_CARD_PICTURE"], "BUTTON", "", CHILD | BS_OWNERDRAW, (177, 20, 40, 30)),
            (ID["IDC_CARD_MINI_ICON"], "BUTTON", ID["CARDPIN_MINI_ICON_TEXT"], CHILD | BS_ICON, (1, 1, 12, 11)),
            (ID["IDC_CARD_EXIT_ICON"], "BUTTON", ID["CARDPIN_EXIT_ICON_TEXT"], CHILD | BS_ICON, (15, 1, 12, 11)),
        ]),
    ID["CONFIGURE_TEMPLATE"]: dict(
        style=WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
        | DS_3DLOOK,
        caption=ID["CONFIGURE_CAPTION"], rect=(49, 25, 325, 222),
        items=[
            (ID["IDC_CONFIG_URL"], "EDIT", "", EDIT, (143, 20, 172, 12)),
            (ID["IDC_CONFIG_MERCHANT_ID"], "EDIT", "", EDIT, (143, 36, 172, 12)),
            (ID["IDC_CONFIG_TERMINAL_ID"], "EDIT", "", EDIT, (143, 52, 172, 12)),
            (ID["IDC_CONFIG_BATCH_NUMBER"], "EDIT", "", EDIT | ES_NUMBER, (143, 68, 172, 12)),
            (ID["IDC_CONFIG_MERCHANT_CODE"], "EDIT", "", EDIT | ES_NUMBER, (143, 84, 172, 12)),
            (ID["IDC_CONFIG_PREFIX_MATCH"], "EDIT", "", EDIT | ES_NUMBER, (143, 100, 172, 12)),
            (ID["IDC_CONFIG_ACCOUNT_NUMBER"], "EDIT", "", EDIT, (100, 132, 169, 12)),
            (ID["IDC_CONFIG_TEST"], "BUTTON", ID["CONFIGURE_TEST_TEXT"], CHILD | WS_TABSTOP, (274, 131, 40, 14)),
            (ID["IDC_OK"], "BUTTON", ID["CONFIGURE_SAVE_TEXT"], CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON,
             (218, 199, 45, 16)),
            (ID["IDC_CANCEL"], "BUTTON", ID["CONFIGURE_CANCEL_TEXT"], CHILD | WS_TABSTOP, (271, 199, 45, 16)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_MERCHANT_ID_LABEL"], LABEL, (38, 38, 100, 8)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_TERMINAL_ID_LABEL"], LABEL, (56, 54, 82, 8)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_BATCH_NUMBER_LABEL"], LABEL, (38, 70, 100, 8)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_URL_LABEL"], LABEL, (38, 22, 100, 8)),
            (ID["IDC_STATIC"], "BUTTON", "", RULE, (10, 118, 305, 5)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_ACCOUNT_NUMBER_LABEL"], LABEL, (32, 134, 64, 8)),
            (ID["IDC_CONFIG_LOWER_RULE"], "BUTTON", "", RULE, (10, 150, 305, 5)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_MERCHANT_CODE_LABEL"], LABEL, (38, 86, 100, 8)),
            (ID["IDC_STATIC"], "STATIC", ID["CONFIGURE_PREFIX_MATCH_LABEL"], LABEL, (39, 102, 100, 8)),
        ]),
}


class Reader:
    def __init__(self, data, offset=0):
        self.data, self.offset = data, offset

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.offset)
        self.offset += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, boundary=4):
        self.offset = (self.offset + boundary - 1) & ~(boundary - 1)

    def wide_string(self):
        end = self.offset
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.offset:end].decode("utf-16-le")
        self.offset = end + 2
        return text

    def string_or_ordinal(self):
        if self.take("H") == 0xFFFF:
            return self.take("H")
        self.offset -= 2
        return self.wide_string()


def read_res(data):
    """Yields (type, name, bytes) for every resource of a .res file."""
    offset = 0
    while offset < len(data):
        reader = Reader(data, offset)
        data_size, header_size = reader.take("II")
        kind = reader.string_or_ordinal()
        name = reader.string_or_ordinal()
        body = offset + header_size
        if data_size:
            yield kind, name, data[body:body + data_size]
        offset = (body + data_size + 3) & ~3


def decode_dialog(data):
    reader = Reader(data)
    version, signature, _, ex_style, style, count = reader.take("HHIIIH")
    assert (version, signature) == (1, 0xFFFF), "not an extended dialog template"
    dialog = dict(ex_style=ex_style, style=style, rect=reader.take("hhhh"),
                  menu=reader.string_or_ordinal(), window_class=reader.string_or_ordinal(),
                  caption=reader.wide_string(), items=[])
    if style & DS_SETFONT:
        dialog["font"] = reader.take("HHBB") + (reader.wide_string(),)
    for _ in range(count):
        reader.align()
        _, item_ex_style, item_style = reader.take("III")
        rect = reader.take("hhhh")
        control_id = reader.take("i")
        window_class = reader.string_or_ordinal()
        text = reader.string_or_ordinal()
        extra = reader.take("H")
        reader.offset += extra
        dialog["items"].append(dict(id=control_id, ex_style=item_ex_style, style=item_style,
                                    rect=rect, window_class=CLASS_ATOMS.get(window_class,
                                                                            window_class),
                                    text=text))
    return dialog


class DialogTemplateTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        bitmap = os.path.join(cls.temp.name, "cardidlist.bmp")
        subprocess.run([sys.executable, os.path.join(RESOURCES, "draw_cardidlist.py"),
                        os.path.join(RESOURCES, "cardidlist.txt"), bitmap], check=True)
        cls.resources = {}
        for script in ("cardpin.rc", "configure.rc", "cardidlist.rc"):
            output = os.path.join(cls.temp.name, script + ".res")
            subprocess.run([WINDRES, "-I", cls.temp.name, "-I", RESOURCES,
                            "-i", os.path.join(RESOURCES, script), "-O", "res", "-o", output],
                           check=True)
            with open(output, "rb") as stream:
                for kind, name, data in read_res(stream.read()):
                    cls.resources[(kind, name)] = data

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def check_dialog(self, name):
        expected = EXPECTED[name]
        self.assertIn((RT_DIALOG, name), self.resources)
        dialog = decode_dialog(self.resources[(RT_DIALOG, name)])
        self.assertEqual(hex(expected["style"]), hex(dialog["style"]))
        self.assertEqual(0, dialog["ex_style"])
        self.assertEqual(expected["rect"], dialog["rect"])
        self.assertEqual(expected["caption"], dialog["caption"])
        self.assertEqual((0, ""), (dialog["menu"] or 0, dialog["window_class"] or ""))
        self.assertEqual((8, 0, 0, DEFAULT_CHARSET, "Tahoma"), dialog["font"])
        self.assertEqual(len(expected["items"]), len(dialog["items"]))
        for row, (want, got) in enumerate(zip(expected["items"], dialog["items"])):
            control_id, window_class, text, style, rect = want
            with self.subTest(row=row, id=control_id, text=text):
                self.assertEqual(control_id, got["id"])
                self.assertEqual(window_class, got["window_class"])
                self.assertEqual(text, got["text"])
                self.assertEqual(hex(style), hex(got["style"]))
                self.assertEqual(0, got["ex_style"])
                self.assertEqual(rect, got["rect"])

    def test_card_dialog_template(self):
        self.check_dialog(ID["CARDPIN_TEMPLATE"])

    def test_configure_dialog_template(self):
        self.check_dialog(ID["CONFIGURE_TEMPLATE"])

    def test_card_bitmap_resource(self):
        self.assertIn((RT_BITMAP, ID["CARD_PICTURES_RESOURCE"]), self.resources)
        header = struct.unpack_from("<IiiHH", self.resources[(RT_BITMAP, ID["CARD_PICTURES_RESOURCE"])])
        self.assertEqual((40, 144, 37, 1, 8), header)


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        WINDRES = sys.argv.pop(1)
    unittest.main()
