#!/usr/bin/env python3
"""Seeds for fuzz_lha_read that the sample folder lacks: a MacLHA entry in
MacBinary, an Amiga comment after a NUL in a name, an OS-9/68k level-0
extension, a self-extractor stub holding an archive-looking block, and rooted
names. Each is a stored entry under a level-0 or level-1 header as the format
describes it.
    lha_read_seeds.py <corpus folder>"""
import binascii
import pathlib
import struct
import sys


def crc16(data):
    """CRC-16/ARC, the check of an entry's data."""
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def entry(level, name, data, tail=b''):
    """Header size and checksum, method, sizes, MS-DOS time, attribute,
    level, name, CRC, then `tail` (level 0: extension area; level 1: OS id
    and next-ext size)."""
    body = (b'-lh0-' + struct.pack('<IIIBB', len(data), len(data), 0x3A210000, 0x20, level) +
            bytes([len(name)]) + name + struct.pack('<H', crc16(data)) + tail)
    return bytes([len(body), sum(body) & 0xFF]) + body + data


def mac_binary(name, data, resource):
    """MacBinary II: name, type and creator, fork lengths, versions 129, CRC."""
    header = bytearray(128)
    header[1] = len(name)
    header[2:2 + len(name)] = name
    header[65:73] = b'TEXTttxt'
    header[83:91] = struct.pack('>II', len(data), len(resource))
    header[122] = header[123] = 129
    header[124:126] = struct.pack('>H', binascii.crc_hqx(bytes(header[:124]), 0))

    def padded(b):
        return b + bytes(-len(b) % 128)
    return bytes(header) + padded(data) + padded(resource)


def main():
    out = pathlib.Path(sys.argv[1])
    text = b'GNU GENERAL PUBLIC LICENSE\n'
    seeds = {
        'mac': entry(1, b'gpl-2', mac_binary(b'gpl-2', text, b'\x01' * 10), b'm\0\0') + b'\0',
        'comment': entry(0, b'metadata.txt\0a comment', b'meta\n') + b'\0',
        'os9-68k': entry(0, b'gpl2', text, b'K\0' + struct.pack('<IHHH', 1262304000, 0x1B, 0, 0)) +
        b'\0',
        'stub': b'MZ' + b'\x90' * 30 + entry(0, b'usage.txt', b'usage: x [archive]') +
        b'\x4e' * 40 + entry(0, b'real.txt', b'real') + b'\0',
        'rooted': entry(0, b'C:\\dir\\a.txt', b'a') + entry(0, b'\\\\server\\share\\c.txt', b'c') +
        b'\0',
    }
    for name, data in seeds.items():
        (out / ('built-' + name)).write_bytes(data)


main()
