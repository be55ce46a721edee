#!/usr/bin/env python3
"""Writes the hand-made seeds of fuzz/corpus/: one program per area of the interface,
in the byte format that fuzz/FuzzInput.h reads and fuzz/FuzzRecords.h fills. The rest
of the corpus was grown by the fuzzer from these and merged (docs/RELIABILITY.md).

    fuzz/make_seeds.py fuzz/corpus
"""
import os
import struct
import sys

# Operation codes: group * 10 + case, groups as in Session::Step.
SET_CELLS, CELL_LEVEL, CHILD_CELLS, CELL_INFO, SET_USER_ORGS, USER_ORGS, LEVEL_COUNT, \
    KEYED, CONTEXTS, HOST_VALUE = range(0, 10)
SET_FOLDERS, FOLDERS, FOLDER_BY_ID, DELETE_FOLDER, RENAME_FOLDER, SET_RES, DELETE_RES, \
    RES_LIST, RES_LOOKUP, CLEAR_STORE = range(10, 20)
SET_VIEWS, VIEWS, SET_VIEW_ORGS, VIEW_ORGS, SET_VIEW_RES, VIEW_RES, SET_CROWD_FOLDERS, \
    SET_CROWD_RES, CROWD_FOLDER, CROWD_LISTS = range(20, 30)
SET_CAMERAS, DELETE_CAMERAS, CAMERA_LIST, CAMERA_BY_ID, PRIVILEGE_BY_ID, PRIVILEGE_BY_CODE, \
    CAMERAS_BY_IDS, CAMERA_BY_CODE, CAMERAS_BY_CODES, CAMERA_BY_MATRIX = range(30, 40)
SET_IOS, IO_LIST, IO_LOOKUPS, SET_DEVICES, DEVICE_LOOKUPS, SET_TALKS, TALK_LIST, \
    TALK_LOOKUPS, SETTINGS, CLEAR_ALL = range(40, 50)
RECOUNT, SET_STATS, STAT, REINIT, UNINIT, INIT, STATUS_AND_RECOUNT = range(50, 57)

INT_MIN = -2**31
INT_MAX = 2**31 - 1


def ident(value):
    """FuzzInput::Id: 0..15 as one byte, the extremes by selector, anything else raw."""
    if 0 <= value < 16:
        return bytes([value])
    if value == INT_MIN:
        return b"\xf0"
    if value == INT_MAX:
        return b"\xf1"
    if value == -1:
        return b"\xf2"
    return b"\xf3" + struct.pack("<i", value)


def field(text, width=None):
    """FuzzInput::Field: a length and the bytes; width given: unterminated, filled."""
    data = text.encode("latin-1") if isinstance(text, str) else text
    if width is not None:
        return b"\xff" + (data * (width // max(len(data), 1) + 1))[:width]
    return bytes([len(data)]) + data


def text(value, repeat=None):
    """FuzzInput::Text: a length and the bytes; repeat: 5000 copies of one byte."""
    if repeat is not None:
        return b"\xff" + repeat.encode("latin-1")
    data = value.encode("latin-1") if isinstance(value, str) else value
    return bytes([len(data)]) + data


def records(*built):
    """FuzzInput::Records: a count, then per record mode 0 (field by field)."""
    return bytes([len(built)]) + b"".join(b"\x00" + r for r in built)


def raw_records(*chunks):
    """Records given as raw bytes up to their next (mode 0x80)."""
    return bytes([len(chunks)]) + b"".join(b"\x80" + c for c in chunks)


def cell(id_, parent, code, cell_type=1, sort=0, owner=0, name=None):
    return (ident(id_) + ident(parent) + field(code) + field(name or "cell " + code)
            + ident(sort) + bytes([cell_type]) + ident(owner) + ident(0))


def camera(id_, cell_id, code, cell_type=2, seq=0, status=0, matrix=None, privilege="1,3",
           name=None, transpath="rtsp://10.0.0.1/x"):
    return (ident(id_) + ident(1) + ident(cell_id) + bytes([cell_type]) + ident(1)
            + field(code) + field(name or "camera " + code) + ident(0)
            + field(matrix if matrix is not None else str(id_)) + ident(seq) + bytes([status])
            + ident(0) + field("loc") + field(privilege) + field("tag") + ident(0) + ident(0)
            + ident(0) + field("guid") + field("239.0.0.1") + field(transpath) + ident(0)
            + ident(0))


def status(id_, value):
    return ident(id_) + ident(value)


def user_org(org_id, cameras, online, list_key=0):
    return ident(org_id) + ident(cameras) + ident(online) + b"\x04abcd" + ident(list_key) + b"\0" * 8


def device(id_, code, user="admin", password="pa55word"):
    return (ident(id_) + field("device") + field(code) + field("10.0.0.2") + ident(8000)
            + field(user) + field(password) + ident(1) + ident(0))


def io(id_, cell_id, code, io_type=0):
    return ident(id_) + ident(1) + ident(cell_id) + bytes([io_type]) + field(code) + field("io")


def talk(id_, cell_id, code):
    return ident(id_) + ident(2) + ident(1) + ident(cell_id) + field(code) + field("talk")


def folder(id_, parent, name, sort=0):
    return ident(id_) + ident(parent) + ident(sort) + field(name)


def store_res(folder_id, code, res_type=1, res_id=0, sort=0):
    return ident(1) + ident(folder_id) + ident(res_type) + ident(res_id) + ident(sort) + field(code)


def view(data):
    return bytes([len(data)]) + data


def view_org(id_, owner, sort):
    return ident(id_) + ident(owner) + b"\x02xy" + ident(sort)


def view_res(id_, owner, res_id):
    return ident(id_) + ident(owner) + ident(res_id) + b"\x01z"


def crowd_folder(id_, name):
    return ident(id_) + field(name)


def crowd_res(res_id, res_type, name):
    return ident(res_id) + ident(res_type) + field(name)


def keyed(key, payload):
    return ident(key) + bytes([len(payload)]) + payload


def op(code, *args):
    return bytes([code]) + b"".join(args)


TREE = records(cell(1, 0, "root"), cell(2, 1, "north"), cell(3, 0, "n-sub", 2, owner=2),
               cell(4, 3, "n-sub-sub", 2), cell(5, 1, "south", sort=1))

SEEDS = {
    "cell-tree": [
        op(SET_CELLS, TREE), op(CELL_LEVEL, ident(4), b"\x02"), op(CHILD_CELLS, ident(2), b"\x01"),
        op(CHILD_CELLS, ident(3), b"\x02"), op(CELL_INFO, ident(5), b"\x01"),
        op(SET_USER_ORGS, records(user_org(1, 3, 1), user_org(2, 0, 0, 1))),
        op(USER_ORGS, ident(0)), op(LEVEL_COUNT, ident(4)),
    ],
    "cell-cycle": [
        op(SET_CELLS, records(cell(1, 2, "a"), cell(2, 1, "b"), cell(3, 3, "self", 2))),
        op(CELL_LEVEL, ident(1), b"\x01"), op(CELL_LEVEL, ident(3), b"\x02"),
        op(SET_STATS, records(user_org(1, 5, 0), user_org(2, 5, 0))),
        op(SET_CAMERAS, records(camera(9, 1, "c9", cell_type=1, status=1)), ident(0)),
        op(STATUS_AND_RECOUNT, records(status(9, 0)), ident(1)), op(RECOUNT, ident(2), b"\x01"),
    ],
    "cameras": [
        op(SET_CAMERAS, records(camera(1, 4, "C1", seq=2), camera(2, 4, "C2", seq=1, status=1),
                                camera(3, 4, "C3", matrix="12", privilege="0")), ident(0)),
        op(CAMERA_LIST, b"\x02", ident(4)), op(CAMERA_BY_ID, ident(2)),
        op(CAMERA_BY_CODE, text("C1")), op(CAMERAS_BY_IDS, text("1,x,,3,1")),
        op(CAMERAS_BY_CODES, text("C1,Q,,C3")), op(CAMERA_BY_MATRIX, ident(12)),
        op(PRIVILEGE_BY_ID, b"\x04", ident(1)), op(PRIVILEGE_BY_CODE, b"\x06", text("C3")),
        op(DELETE_CAMERAS, records(camera(1, 4, "C1"), camera(3, 4, "C3"))),
        op(CAMERA_BY_ID, ident(1)), op(CAMERA_LIST, b"\x02", ident(4)),
    ],
    "status-roll-up": [
        op(SET_CELLS, TREE),
        op(SET_CAMERAS, records(camera(1, 4, "C1"), camera(2, 4, "C2"), camera(3, 3, "C3")),
           ident(0)),
        op(SET_STATS, records(user_org(4, 2, 0), user_org(3, 3, 0), user_org(2, 3, 0))),
        op(STATUS_AND_RECOUNT, records(status(1, 1), status(3, 1), status(2, 2)), ident(4)),
        op(STAT, ident(2)), op(RECOUNT, ident(3), b"\x02"), op(STAT, ident(3)),
    ],
    "channels": [
        op(SET_IOS, records(io(1, 7, "IO-1"), io(2, 7, "IO-2", 1), io(3, 7, "IO-3"))),
        op(IO_LIST, ident(7)), op(IO_LOOKUPS, ident(3), text("IO-1")),
        op(SET_DEVICES, records(device(1, "DEV-1"), device(2, "DEV-2"))),
        op(DEVICE_LOOKUPS, ident(2), text("DEV-1")),
        op(SET_TALKS, records(talk(1, 7, "T-1"), talk(2, 7, "T-2"), talk(1, 7, "dup"))),
        op(TALK_LIST, ident(7)), op(TALK_LOOKUPS, ident(2), text("T-1")),
        op(CLEAR_ALL), op(DEVICE_LOOKUPS, ident(1), text("DEV-2")), op(TALK_LIST, ident(7)),
    ],
    "store-data": [
        op(SET_FOLDERS, records(folder(1, 0, "top"), folder(2, 1, "mid", 1), folder(3, 2, "low"),
                                folder(4, 1, "mid2", 0))),
        op(FOLDERS, ident(1)), op(FOLDER_BY_ID, ident(3)), op(RENAME_FOLDER, text("top"), ident(4)),
        op(SET_RES, records(store_res(2, "R1", sort=2), store_res(2, "R2", res_id=5),
                            store_res(3, "R1"))),
        op(RES_LIST, ident(2)), op(RES_LOOKUP, text("R1"), ident(1)),
        op(DELETE_RES, text("R2"), ident(2)), op(DELETE_FOLDER, ident(2)), op(RES_LIST, ident(3)),
        op(SET_FOLDERS, records(folder(8, 9, "x"), folder(9, 8, "y"))), op(DELETE_FOLDER, ident(8)),
        op(CLEAR_STORE),
    ],
    "views-and-crowds": [
        op(SET_VIEWS, records(view(b"v1"), view(b"v2"))), op(VIEWS),
        op(SET_VIEW_ORGS, records(view_org(1, 5, 2), view_org(2, 5, 1), view_org(3, 6, 0))),
        op(VIEW_ORGS, ident(5)),
        op(SET_VIEW_RES, records(view_res(1, 5, 9), view_res(2, 5, 10)), ident(3)),
        op(VIEW_RES, ident(9), ident(5), ident(3)),
        op(SET_CROWD_FOLDERS, records(crowd_folder(1, "crowd a"), crowd_folder(2, "crowd b"))),
        op(SET_CROWD_RES, records(crowd_res(7, 1, "r7"), crowd_res(8, 1, "r8")), ident(1)),
        op(SET_CROWD_RES, records(crowd_res(7, 1, "r7")), ident(3)),
        op(CROWD_FOLDER, ident(2)), op(CROWD_LISTS, ident(1), ident(1), ident(7)),
    ],
    "lifecycle": [
        op(SET_CAMERAS, records(camera(1, 4, "C1")), ident(0)),
        op(SET_TALKS, records(talk(1, 7, "T-1"))), op(SET_CELLS, TREE),
        op(CLEAR_ALL), op(CAMERA_BY_ID, ident(1)), op(TALK_LIST, ident(7)),
        op(UNINIT), op(CAMERA_BY_ID, ident(1)), op(SET_TALKS, records(talk(2, 7, "T-2"))),
        op(SET_CAMERAS, records(camera(2, 4, "C2")), ident(0)), op(CELL_INFO, ident(1), b"\x01"),
        op(INIT), op(SET_CAMERAS, records(camera(3, 4, "C3")), ident(0)), op(INIT),
        op(CAMERA_LIST, b"\x02", ident(4)), op(REINIT), op(CAMERA_BY_ID, ident(3)),
    ],
    "hostile-text": [
        op(SET_CAMERAS, records(camera(1, 4, "it's"), camera(2, 4, "%s%n%x"),
                                camera(3, 4, "x' OR '1'='1", name=b"\xff\xfe\xc3(\xe2\x82"),
                                camera(4, 4, "A", name="N" * 8)), ident(0)),
        op(CAMERA_BY_CODE, text("it's")), op(CAMERA_BY_CODE, text("x' OR '1'='1")),
        op(CAMERA_BY_CODE, text("", repeat="A")), op(CAMERAS_BY_CODES, text("", repeat="'")),
        op(CAMERAS_BY_IDS, text("", repeat="9")), op(PRIVILEGE_BY_CODE, b"\x01", text("'; --")),
        op(SET_DEVICES, records(device(1, "'); DROP TABLE DEVICEINFO; --"))),
        op(DEVICE_LOOKUPS, ident(1), text("'); DROP TABLE DEVICEINFO; --")),
        op(SET_CELLS, bytes([1]) + b"\x00" + ident(1) + ident(0) + field("U", 64) + field("N", 132)
           + ident(0) + b"\x01" + ident(0) + ident(0)),
        op(RES_LOOKUP, text("", repeat="%"), ident(1)), op(RENAME_FOLDER, text("", repeat="n"), ident(1)),
    ],
    "extremes": [
        op(LEVEL_COUNT, ident(INT_MIN)), op(LEVEL_COUNT, ident(INT_MAX)),
        op(SET_CELLS, records(cell(INT_MIN, 0, "min"), cell(INT_MAX, INT_MIN, "max", 2, owner=-1))),
        op(CELL_LEVEL, ident(INT_MAX), b"\x02"), op(CHILD_CELLS, ident(INT_MIN), b"\x02"),
        op(SET_CAMERAS, records(camera(INT_MIN, INT_MAX, "min", matrix="-2147483648"),
                                camera(INT_MAX, INT_MAX, "max")), ident(INT_MIN)),
        op(CAMERA_BY_MATRIX, ident(INT_MIN)), op(CAMERAS_BY_IDS, text("-2147483648,2147483647,99999999999")),
        op(SET_STATS, records(user_org(INT_MAX, INT_MAX, INT_MAX), user_org(INT_MIN, INT_MIN, INT_MIN))),
        op(STATUS_AND_RECOUNT, records(status(INT_MIN, INT_MIN), status(INT_MAX, -1)), ident(INT_MAX)),
        op(RECOUNT, ident(INT_MIN), b"\x01"), op(HOST_VALUE, ident(INT_MIN)),
        op(SET_FOLDERS, records(folder(INT_MIN, INT_MAX, "f"), folder(INT_MAX, INT_MIN, "g"))),
        op(DELETE_FOLDER, ident(INT_MIN)),
    ],
    "settings-and-cipher": [
        op(SETTINGS, b"\x01"),
        op(SET_CAMERAS, records(camera(1, 4, "C1", seq=1, transpath="rtsp://secret/1"),
                                camera(2, 4, "C2", seq=2)), ident(0)),
        op(CAMERA_LIST, b"\x02", ident(4)), op(CAMERA_BY_ID, ident(1)), op(SETTINGS, b"\x00"),
        op(CAMERA_BY_ID, ident(1)),
    ],
    "raw-records": [
        op(SET_CELLS, raw_records(b"\x01" * 224, b"\x02\0\0\0" + b"\xff" * 220)),
        op(SET_CAMERAS, raw_records(b"\x07" * 1280), ident(0)),
        op(SET_DEVICES, raw_records(b"\x41" * 792)), op(SET_TALKS, raw_records(b"\x00" * 344)),
        op(SET_USER_ORGS, raw_records(b"\x03" * 144)), op(KEYED, raw_records(b"\x05" * 152), ident(5)),
        op(CONTEXTS, b"\x11" * 788, b"\x22" * 528),
    ],
}


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
    os.makedirs(out_dir, exist_ok=True)
    for name, program in SEEDS.items():
        with open(os.path.join(out_dir, "seed-" + name), "wb") as seed:
            seed.write(b"".join(program))


if __name__ == "__main__":
    main()
