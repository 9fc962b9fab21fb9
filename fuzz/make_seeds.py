#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/ from the worked examples of the tests.

Exchange and tunnel inputs start with four bytes that choose the link and the
request (see fuzz_link.h): options, short address, flow-computer address and
the position of a pause; the answer bytes follow as the line delivers them.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def xor(b):
    r = 0
    for c in b:
        r ^= c
    return r


def chk(b):
    return bytes(b) + bytes([xor(b)])


def crc(b):
    c = 0xFFFF
    for v in b:
        c ^= v
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
    return bytes([c & 0xFF, c >> 8])


def wrap(hart, addr=5, fmt33=False):
    f = bytearray([0x66, addr, 0, 0x21, 1, 0] if fmt33 else [0x66, addr, 0, 0x0B]) + hart
    f[2] = len(f) + 2
    return bytes(f) + crc(bytes(f))


def hexbytes(text):
    return bytes.fromhex(text.replace(" ", ""))


def header(options, short, tunnel, pause=0xFF):
    return bytes([options, short, tunnel, pause])


cmd1_short = chk([0x06, 0x81, 0x01, 0x07, 0x00, 0x00, 0x20, 0x41, 0x20, 0x00, 0x00])
cmd1_long = chk([0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x01, 0x07, 0x00, 0x00, 0x20, 0x41, 0x20, 0x00, 0x00])
cmd0_short = chk([0x06, 0x80, 0x00, 0x04, 0x00, 0x00, 0x12, 0x34])

# The tests' worked examples, spelled out, must agree with the helpers above.
assert wrap(cmd0_short) == hexbytes("66 05 0f 0b 06 80 00 04 00 00 12 34 a4 53 4a")
assert wrap(hexbytes("06 80 00 00 86 aa")) == hexbytes("66 05 0c 0b 06 80 00 00 86 aa f5 c4")
assert wrap(hexbytes("86 80 00 00 00 00 00 00 06")) == hexbytes("66 05 0f 0b 86 80 00 00 00 00 00 00 06 04 74")

# options: 0x01 tunnel, 0x02 long request, 0x04 master bit, 0x08 format 33,
# 0x10/0x20/0x30 command 0 / 119 or 19 / 192, 0x40 bytes 1 ms apart
exchange = {
    "direct-short-command1": header(0x04, 1, 0) + cmd1_short,
    "direct-short-preambles-and-noise": header(0x44, 1, 0) + bytes([0x13] + [0xFF] * 5) + cmd1_short,
    "direct-short-extra-byte": header(0x04, 1, 0) + cmd1_short + b"\x55",
    "direct-short-wrong-check-byte": header(0x04, 1, 0) + cmd1_short[:-1] + bytes([cmd1_short[-1] ^ 1]),
    "direct-short-stall": header(0x44, 1, 0, 4) + cmd1_short,
    "direct-short-other-address-first": header(0x04, 1, 0) + chk([0x06, 0x82, 0x01, 0x02, 0, 0]) + cmd1_short,
    "direct-long-command1": header(0x06, 1, 0) + bytes([0xFF] * 5) + cmd1_long,
    "direct-long-command19-any-address": header(0x26, 1, 0) + chk([0x86, 0xA6, 0x11, 0x22, 0x33, 0x44, 0x13, 2, 0, 0]),
    "direct-short-command119": header(0x24, 1, 0) + chk([0x06, 0x87, 0x77, 0x02, 0, 0]),
    "tunnel11-short-command0": header(0x15, 0, 5) + wrap(cmd0_short),
    "tunnel33-short-command0": header(0x1D, 0, 5) + wrap(cmd0_short, fmt33=True),
    "tunnel-wrong-password": header(0x15, 0, 5) + hexbytes("66 05 09 0b 04 00 00 82 b7"),
    "tunnel-other-error": header(0x15, 0, 5) + hexbytes("66 05 09 0b 05 00 00 d3 77"),
    "tunnel-other-flow-computer-first": header(0x15, 0, 5) + wrap(cmd0_short, addr=6) + wrap(cmd0_short),
    "tunnel11-long-command0": header(0x17, 0, 5)
    + wrap(chk([0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64, 0x00, 0x04, 0, 0, 0x12, 0x34])),
    # Answers the tunnel once accepted although they do not fit the request.
    "tunnel-trailing-byte": header(0x15, 0, 5) + hexbytes("66 05 0c 0b 06 80 00 00 86 aa f5 c4"),
    "tunnel-long-answer-to-short-request": header(0x15, 0, 5)
    + hexbytes("66 05 0f 0b 86 80 00 00 00 00 00 00 06 04 74"),
}

long_head = [0x86, 0xA6, 0x0F, 0x09, 0x29, 0x64]
answers = {
    "long-command1": b"\x00" + cmd1_long,
    "short-command1": b"\x00" + cmd1_short,
    "long-command3-four-variables": b"\x00" + chk(long_head + [3, 26, 0, 0] + [0x40, 0x80, 0, 0] + [0x20, 0x41, 0x20, 0, 0] * 4),
    "long-command110-period": b"\x00" + chk(long_head + [110, 10, 0, 0] + [0x44, 0x7A, 0, 0, 0x41, 0x20, 0, 0]),
    "long-write-protected": b"\x00" + chk(long_head + [6, 2, 16, 0]),
    "short-without-status": b"\x00" + chk([0x06, 0x80, 0x00, 0x00]),
    "short-write-protected": b"\x00" + chk([0x06, 0x80, 0x06, 0x02, 16, 0]),
    "long-cut-short": b"\x01" + cmd1_long[:9],
}

texts = {
    "russian-cp1251": "Неправильный пароль".encode("cp1251"),
    "ascii": b"Quillon 1.38",
    "undefined-0x98": b"\x98\x00\xff\x80",
    "russian-utf8": "Меняю короткий адрес. Попытка 1".encode(),
    "malformed-utf8": b"\xd0\xc3\x28\xe2\x82",
}

ini = {
    "settings-crlf": b"\x01abc\x00[ini_dir_section]\r\nnum_port=1\r\nTypeConnect=0\r\nPassword=\"  x \"\r\n"
    b"; comment\r\n\r\n[other]\r\nkey = value\r\n",
    "settings-lf": b"value\\with\n[ini_dir_section]\nnum_port=2\nfirstbytewait=1000\n",
    "calibration": "[Calibration]\nPoints=3\nX1=0,5\nY1=1.25\nname=Датчик\n".encode("cp1251"),
    "empty": b"",
}


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


write("exchange_receive", exchange)
write("tunnel_unwrap", exchange)
write("device_answers", answers)
write("cp1251_text", texts)
write("ini_round_trip", ini)
