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



def text(t):
    b = t.encode("cp1251")
    return bytes([len(b)]) + b


def operation(preset, op, dialogs, answers=b"", replies=0):
    """device_operations: preset index, operation, scripted answers, then the two streams."""
    return bytes([preset, op, replies, len(dialogs)]) + dialogs + answers


OK = b"\x01"
# Preset indices in the simulator's own order; operations as in device_operations.cpp.
REV6, REV7, REV8, REV14, DENSITY5, DENSITY6, VELKOR = 10, 12, 13, 23, 1, 2, 8
operations = {
    "correction-too-large": operation(REV8, 0, text("1e39") + text("1,5") + b"\x00" + OK),
    "correction-largest": operation(REV8, 0, text("-3.40282346638529E+38") + text("1.4e-45") + b"\x00" + OK),
    "correction-fit": operation(REV8, 0, text("0") + text("1") + b"\x01" + OK + text("-39") + text("61") +
                                text("-40") + text("70") + OK, replies=0x03),
    "density-kind2": operation(DENSITY6, 1, b"\x06" + text("812,25") + text("1e39") + text("2") + OK),
    "density-kind1-period": operation(DENSITY5, 1, b"\x02" + text("998") + text("-1") + text("") + OK +
                                      b"\x02" + text("998") + text("3.5e38") + text("") + OK),
    "cathodic-shunt": operation(REV7, 2, b"\x01" + text("0") + OK + b"\x01" + text("1e39") + OK),
    "adc-conversion": operation(VELKOR, 3, b"\x01\x09" + OK + b"\x27" + OK + b"\x01" + text("4") + text("1e39") +
                                text("20") + text("100") + OK),
    "adc-no-status": operation(VELKOR, 3, b"\x01\x09" + OK, answers=b"\x00" * 6 + b"\x06"),
    "points-code": operation(REV6, 4, b"\x01" + b"\x00" + OK + text("1000") + text("10") + b"\x01" + OK +
                             text("9000") + text("1e39") + b"\x01" + OK + text("9000") + text("90") + b"\x01" + OK),
    "points-pairs": operation(REV14, 4, b"\x00" + b"\x00" + OK + text("20,5") + text("20") + b"\x01" + OK +
                              text("80") + text("80") + b"\x01" + OK),
    "read-send-pairs": operation(REV14, 5, b"\x00" + OK + b"\x00\x00" + OK + b"\x02\x00" + OK),
    "read-send-patched": operation(REV14, 5, b"\x00" + OK + b"\x00\x00" + OK,
                                   answers=b"\x00" * 8 + b"\x05\x82\x7f\xc0\x05\x03\x00\x05\x04\xff"),
    "read-send-codes": operation(REV6, 5, b"\x00" + OK + b"\x00\x00" + OK + b"\x02\x00" + OK),
    "pwm-window": operation(REV6, 6, text("0.1") + text("0") + text("4") + text("0.9") + text("4294967295") +
                            text("20") + text("0.5") + OK),
    # Points whose coefficients 27 and 28 come out as infinity and NaN.
    "pwm-coefficients-not-finite": operation(REV6, 6, text("0.1") + text("0") + text("0") + text("0.9") +
                                             text("4294967295") + text("1e-30") + text("0.5") + OK),
    "own-replies": operation(REV8, 0, text("1") + text("1") + b"\x00" + OK,
                             answers=bytes([4, 0, 6, 0x7F, 0xC0, 0, 0, 0, 0, 4, 7, 0, 4, 16, 0])),
}

clb = {
    "code-points": b"\x06[Temperature_Calibration]\r\nT_code0=1000\r\nT_value0=1,5\r\nT_code1=2000\r\n"
                   b"T_value1=2.25\r\nClbEnabled=0\r\n",
    "float-pairs-with-id": b"\x07[SensorIDSection]\r\nID1=1\r\nID2=2\r\nID3=3\r\nID4=4\r\nID5=5\r\nID6=6\r\n"
                           b"ID7=7\r\nID8=255\r\n[Type_Calibr]\r\nVer=1\r\n[Temperature_Calibration]\r\n"
                           b"T_code0=-39.875\r\nT_value0=-40\r\nT_code1=0.125\r\nT_value1=0.100000001490116\r\n",
    "code-pairs": b"\x04[Type_Calibr]\r\nVer=2\r\n[Temperature_Calibration]\r\nT_code0=100\r\nT_value0=1\r\n"
                  b"T_code1=200\r\nT_value1=2\r\n",
    "old-largest-single": b"\x06[Temperature_Calibration]\r\nT_code0=100\r\nT_value0=-3.40282346638529E+38\r\n"
                          b"T_code1=200\r\nT_value1=3,40282346638529E+38\r\n",
    "nan-reading": b"\x04[Type_Calibr]\r\nVer=1\r\n[Temperature_Calibration]\r\nT_code0=1\r\nT_value0=1\r\n"
                   b"T_code1=NAN\r\nT_value1=2\r\n",
    "one-point": b"\x06[Temperature_Calibration]\r\nT_code0=100\r\nT_value0=1\r\n",
    "binary-one-record": b"\x04" + bytes([0xE8, 0x03, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x3F, 0x26]),
    "binary-seven-records": b"\x05" + bytes([0xE8, 0x03, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x3F, 0x26]) * 7,
    "memory-segments": b"\x01" + bytes(range(0, 200, 3)),
    "memory-code-points": b"\x02" + bytes([0xFF, 0x7F, 0x7F, 0xFF, 0xFF, 0x80, 0, 0, 0, 1, 0, 0, 0]) * 4,
    "memory-pairs": b"\x03" + bytes([0x00, 0x00, 0x80, 0x7F, 0x01, 0, 0, 0, 0xFF, 0xFF, 0x7F, 0xFF]) * 4,
    "memory-no-device-ini": b"\x08" + bytes(range(7, 250, 7)),
}

frames = {
    "long-request": b"\x00" + hexbytes("ff ff ff ff ff ff ff ff ff 82 a6 0f 09 29 64 01 00 6e"),
    "short-request": b"\x00" + hexbytes("02 80 00 00 82"),
    "short-answer": b"\x01" + bytes([0xFF] * 5) + cmd0_short,
    "long-answer": b"\x01" + cmd1_long,
    "noise-before": b"\x01" + bytes([0x13, 0x86, 0xFF, 0xFF]) + cmd1_short,
    "cut-short": b"\x01" + cmd1_long[:-3],
    "tunnel-answer": b"\x01" + wrap(cmd0_short),
    "tunnel-answer-33": b"\x03" + wrap(cmd0_short, fmt33=True),
    "empty": b"\x00",
}


def hart_ip(kind, message_id, sequence, body=b"", status=0, version=1):
    count = 8 + len(body)
    return bytes([version, kind, message_id, status, sequence >> 8, sequence & 0xFF, count >> 8, count & 0xFF]) + body


# The fourth header byte is the sequence number awaited; options bit 7 makes
# the rest one datagram instead of a TCP stream.
hart_ip_answer = hart_ip(1, 3, 5, cmd1_short)
assert hart_ip_answer[:8] == hexbytes("01 01 03 00 00 05 00 14")
hart_ip_seeds = {
    "tcp-answer": header(0x04, 1, 0, 5) + hart_ip_answer,
    "udp-answer": header(0x84, 1, 0, 5) + hart_ip_answer,
    "tcp-long-answer": header(0x06, 1, 0, 7) + hart_ip(1, 3, 7, cmd1_long),
    "tcp-late-answer-first": header(0x04, 1, 0, 5) + hart_ip(1, 3, 4, cmd1_short) + hart_ip_answer,
    "tcp-keep-alive-first": header(0x04, 1, 0, 5) + hart_ip(1, 2, 5) + hart_ip_answer,
    "tcp-session-initiate-answer": header(0x04, 1, 0, 5) + hart_ip(1, 0, 5, bytes([1, 0, 0, 0xEA, 0x60])),
    "tcp-error-message": header(0x04, 1, 0, 5) + hart_ip(3, 3, 5, status=5),
    "tcp-nak": header(0x04, 1, 0, 5) + hart_ip(15, 3, 5),
    "tcp-server-closes": header(0x04, 1, 0, 5) + hart_ip(0, 1, 9),
    "tcp-wrong-version": header(0x04, 1, 0, 5) + hart_ip(1, 3, 5, cmd1_short, version=2),
    "tcp-byte-count-short": header(0x04, 1, 0, 5) + hart_ip_answer[:7] + bytes([7]) + hart_ip_answer[8:],
    "udp-datagram-longer-than-count": header(0x84, 1, 0, 5) + hart_ip_answer + b"\x00",
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
write("device_operations", operations)
write("clb_files", clb)
write("frame_decoder", frames)
write("hart_ip_receive", hart_ip_seeds)
