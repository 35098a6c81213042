#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs into corpus/<target>/ (run again after a format change)."""
import binascii
import pathlib
import shutil

here = pathlib.Path(__file__).resolve().parent
corpus = here / "corpus"


def download(records, version=b"105", crc="good"):
    head = b"\r\nHyetra " + version + b" %d Records\r\n" % len(records) + b"03/07/25 14:00\r\n"
    covered = head + b"".join(r + b"\r\n" for r in records)
    value = binascii.crc_hqx(covered, 0)
    if crc == "none":
        return covered + b"OK\r\n"
    if crc == "wrong":
        value ^= 0x0101
    return covered + b"!%05u\r\nOK\r\n" % value


new_records = [b"03/07/25 14:05 0.01", b"03/07/25 14:09 0.02",
               b"M 03/07/25 15:00 Battery low", b"01/01/02 00:00 0.00",
               b"03/08/25 02:30 1.27", b"03/09/25 23:59 2.55"]
old_records = [b"03/07 14:05 0001", b"12/31 23:59 0003", b"01/01 00:01 0255"]

seeds = {
    "download_fuzz": {
        "new": download(new_records),
        "old": download(old_records, b"104"),
        "wrong_crc": download(new_records, crc="wrong"),
        "no_crc": download(new_records, crc="none"),
    },
    "record_line_fuzz": {
        "new": b"03/07/25 14:05 0.03\r\n",
        "whole": b"03/07/25 14:05,3",
        "message": b"M 03/07/25 15:00 Battery low\r\n",
        "old": b"03/07 14:05 0003\r\n",
        "bad_date": b"13/45/25 99:99 0.01\r\n",
    },
    "logger_time_fuzz": {
        "plain": b"03/07/25 14:05",
        "seconds": b"12/31/99 23:59:59",
        "leap": b"02/29/24 00:00",
        "invalid": b"13/45/25 99:99",
        "hour_text": b"03/07/25 xx:05",
    },
    "data_file_fuzz": {
        "file": b"03/07/25,14:00,0.00\r\n03/07/25,14:05,0.01\r\n03/09/25,23:59,2.55\r\n",
        "bad_line": b"03/07/25,14:00,0.00\r\nnot a record\r\n",
    },
    "import_fuzz": {
        "file": download(new_records)[2:],
        "no_bang": download(new_records, crc="none")[2:],
        "wrong_crc": download(new_records, crc="wrong")[2:],
    },
    "status_reply_fuzz": {
        "full": b"\r\nNorth Field \r\n03/07/25 14:05:09\r\n1234 Records\r\n56 Days\r\n105\r\n"
                b"3.6V\r\nOK\r\n",
        "prompt": b">\r\nN \r\n03/07/25 14:05:09\r\n1 Records\r\n1 Days\r\nOK\r\n",
        "cut": b"\r\nNorth Field \r\n03/07/25 14:0",
    },
    "settings_fuzz": {
        "usual": b"[Settings]\nLogger=2\nPort Number=3\nBucket Factor=10\n"
                 b"[File Toolbar]\nTop=0\nLeft=11\nVisible=1\n[%General]\nShowHelp=0\n",
        "list": b"[Settings]\nLogger=1,2\n[General]\nShowHelp=abc\n",
    },
    "matcher_fuzz": {
        # three set-ups (8 bytes each), then arm all three and send a status reply in pieces
        "status": bytes([0x03, 0x08, 16, 0, 0, 0, 0, 0,
                         0x1a, 0x0a, 16, 0, 0, 0, 0, 0,
                         0x05, 0x00, 40, 0, 0, 0, 0, 0, 0, 1, 2])
                  + bytes([0x40 | 15]) + b"\r\nNorth Field \r\n"
                  + bytes([0x40 | 20]) + b"03/07/25 14:05\r\nOK\r\n",
    },
}
seeds["download_crc_fuzz"] = seeds["download_fuzz"]


def storms(separation, equation, exponent, entries):
    """Options, then (minute offset, count, flags) entries as storms_fuzz reads them."""
    out = bytes([(separation + 1000) & 0xFF, (separation + 1000) >> 8, equation, exponent])
    for minute, count, flags in entries:
        out += (minute + 0x800000).to_bytes(3, "little") + bytes([count, flags])
    return out


seeds["storms_fuzz"] = {
    # 30 minutes of one tip at 1 mm, then a storm after 361 dry minutes
    "example": storms(360, 0, 128, [(m, 1, 0) for m in range(30)] + [(390, 2, 0)]),
    # out of order, one minute twice, a break, a half-minute time, a zero count
    "mixed": storms(60, 1, 100, [(500, 3, 0), (0, 1, 0), (0, 255, 2), (61, 0, 0), (62, 4, 1),
                                 (-1440, 7, 0)]),
    "usle_huge": storms(0, 2, 250, [(m * 7, 200, 0) for m in range(40)]),
}

for target, files in seeds.items():
    folder = corpus / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in files.items():
        (folder / name).write_bytes(data)

template = corpus / "template_fuzz"
shutil.rmtree(template, ignore_errors=True)
template.mkdir(parents=True)
shutil.copy(here.parent / "resources" / "template" / "Hyetra Report.xltx", template / "report")
(template / "typed_date").write_bytes(b"03/01/09 8:05:00 AM")
(template / "typed_number").write_bytes(b"-12.5")
