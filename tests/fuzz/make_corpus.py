#!/usr/bin/env python3
"""Writes the starting inputs of every fuzz target into corpus/<target>/: a few valid samples and a
few damaged ones each, made here from scratch. Run again after changing it; the files are
checked in."""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(width, height, bits, rows, table=(), compression=0, header=40, masks=None, size_image=0):
    """A BMP file: `rows` is the pixel data as stored; `table` a list of (r, g, b)."""
    if header == 12:
        info = struct.pack('<IHHHH', 12, width, height, 1, bits)
        colors = b''.join(bytes((b, g, r)) for r, g, b in table)
    else:
        info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, size_image,
                           2835, 2835, len(table), 0)
        colors = b''.join(bytes((b, g, r, 0)) for r, g, b in table)
    extra = b''.join(struct.pack('<I', m) for m in masks) if masks else b''
    offset = 14 + len(info) + len(extra) + len(colors)
    head = b'BM' + struct.pack('<IHHI', offset + len(rows), 0, 0, offset)
    return head + info + extra + colors + rows


def padded(row):
    return row + b'\0' * (-len(row) % 4)


def psd(channels, width, height, planes, compression=0, sections=(b'', b'', b''), depth=8,
        mode=3):
    head = b'8BPS' + struct.pack('>H6sHIIHH', 1, b'', channels, height, width, depth, mode)
    body = b''.join(struct.pack('>I', len(s)) + s for s in sections)
    return head + body + struct.pack('>H', compression) + planes


def packbits_plane(values):
    """One plane as literal runs of at most 128 bytes."""
    out = b''
    for i in range(0, len(values), 128):
        chunk = values[i:i + 128]
        out += bytes((len(chunk) - 1,)) + chunk
    return out


GREY = [(0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 0, 255)]
BMP_24 = bmp(3, 2, 24, padded(bytes(range(9))) + padded(bytes(range(9, 18))))
BMP_8 = bmp(4, 4, 8, bytes([0, 1, 2, 3] * 4), GREY)
BMP_4 = bmp(5, 2, 4, padded(b'\x01\x23\x30') * 2, GREY)
BMP_1 = bmp(9, 2, 1, padded(b'\xa5\x80') * 2, GREY[:2])
# Rows: a run and an absolute run; one run; a run, a delta two to the right, a run, the end.
BMP_RLE8 = bmp(6, 3, 8, b'\x03\x01\x00\x03\x01\x02\x00\x00\x00\x00' b'\x06\x02\x00\x00'
               b'\x02\x01\x00\x02\x02\x00\x02\x03\x00\x01', GREY, compression=1)
BMP_RLE4 = bmp(6, 2, 4, b'\x06\x12\x00\x00\x00\x04\x12\x30\x00\x01', GREY, compression=2)
BMP_565 = bmp(2, 2, 16, b'\x00\xf8\xe0\x07\x1f\x00\xff\xff', compression=3,
              masks=(0xF800, 0x07E0, 0x001F))
BMP_32 = bmp(2, 1, 32, b'\x10\x20\x30\x00\x40\x50\x60\x00')
BMP_CORE = bmp(3, 1, 8, padded(b'\x00\x01\x02'), GREY, header=12)

RLE8_HUGE = bmp(16384, 16384, 8, b'\x00\x01', [(255, 255, 255)], compression=1, size_image=2)
BMP_SHORT = BMP_24[:40]
BMP_BAD_OFFSET = BMP_8[:10] + struct.pack('<I', 0xFFFFFF00) + BMP_8[14:]
BMP_RLE_OVERRUN = bmp(2, 2, 8, b'\x09\x01\x00\x01', GREY, compression=1)

PSD_RAW = psd(3, 2, 2, bytes(range(12)))
PSD_ALPHA_RLE = psd(4, 3, 2, b'\0\0' * 8 + b''.join(
    packbits_plane(bytes([c * 40 + i for i in range(6)])) for c in range(4)), compression=1)
PSD_RUNS = psd(3, 4, 1, b'\0\0' * 3 + b'\xfd\x11\x80\x03\x01\x02\x03\x04\xfd\x33',
               compression=1)
PSD_SECTIONS = psd(5, 1, 1, b'\x10\x20\x30\x40\x50', sections=(b'\xee' * 3, b'\xdd' * 5, b'\xcc'))
PSD_NO_CHANNELS = psd(0, 4096, 4096, b'')
PSD_SHORT = PSD_RAW[:-3]
PSD_BAD_RUN = psd(3, 2, 2, b'\0\0' * 6 + b'\x7f\x01', compression=1)
PSD_DEPTH16 = psd(3, 2, 2, bytes(24), depth=16)


def alpha_map(width, height, values):
    return struct.pack('<ii', width, height) + values


def archive(entries):
    """An "RXDC" archive of (type, key, data) entries."""
    table_end = 12 + 13 * len(entries)
    table, blobs, offset = b'', b'', table_end
    for kind, key, data in entries:
        table += struct.pack('<IIBi', offset, len(data), kind, key)
        blobs += data
        offset += len(data)
    return b'RXDC' + struct.pack('<II', 1, len(entries)) + table + blobs


def library(entries):
    """A library of (name, data) entries, with the closing entry that marks the end."""
    table_end = 4 + 20 * (len(entries) + 1)
    table, blobs, offset = b'', b'', table_end
    for name, data in entries + [(b'', b'')]:
        table += struct.pack('<I13s3s', offset, name, b'')
        blobs += data
        offset += len(data)
    return struct.pack('<I', len(entries) + 1) + table + blobs


LEVEL = b''.join(row + b'\n' for row in [b'0000000000000000', b'1111111111111111',
                                          b'1232123212321232', b'0330033003300330'] +
                 [b'0000000000000000'] * 8)


def text_input(fmt, rect, xy, height, width, weight, choice, text, face=b''):
    data = struct.pack('<I4i2iihhB', fmt, *rect, *xy, height, width, weight, choice)
    if choice & 0x20:
        data += bytes((len(face),)) + face
    return data + text


def font_input(height, weight, color, key, xy, field, max_count, clip, face, text):
    return struct.pack('<hhIHhhhh4hB', height, weight, color, key, *xy, field, max_count, *clip,
                       len(face)) + face + text


DT_WORDBREAK, DT_CENTER, DT_VCENTER, DT_SINGLELINE = 0x10, 0x1, 0x4, 0x20
DT_EXPANDTABS, DT_CALCRECT, DT_NOPREFIX = 0x40, 0x400, 0x800

CORPUS = {
    'bmp': {
        '24bit.bmp': BMP_24, '8bit.bmp': BMP_8, '4bit.bmp': BMP_4, '1bit.bmp': BMP_1,
        'rle8.bmp': BMP_RLE8, 'rle4.bmp': BMP_RLE4, 'bitfields565.bmp': BMP_565,
        '32bit.bmp': BMP_32, 'core.bmp': BMP_CORE, 'rle8_huge.bmp': RLE8_HUGE,
        'short.bmp': BMP_SHORT, 'bad_offset.bmp': BMP_BAD_OFFSET, 'rle_overrun.bmp': BMP_RLE_OVERRUN,
    },
    'image': {
        '24bit.bmp': BMP_24, '8bit.bmp': BMP_8, 'rle8.bmp': BMP_RLE8, 'raw.psd': PSD_RAW,
        'alpha_rle.psd': PSD_ALPHA_RLE, 'short.bmp': BMP_SHORT, 'no_channels.psd': PSD_NO_CHANNELS,
        'depth16.psd': PSD_DEPTH16,
    },
    'psd': {
        'raw.psd': PSD_RAW, 'alpha_rle.psd': PSD_ALPHA_RLE, 'runs.psd': PSD_RUNS,
        'sections.psd': PSD_SECTIONS, 'no_channels.psd': PSD_NO_CHANNELS, 'short.psd': PSD_SHORT,
        'bad_run.psd': PSD_BAD_RUN, 'depth16.psd': PSD_DEPTH16,
    },
    'bitmap_stream': {
        '24bit.bmp': BMP_24, '8bit.bmp': BMP_8, 'rle8.bmp': BMP_RLE8, '565.bmp': BMP_565,
        'short.bmp': BMP_SHORT, 'bad_offset.bmp': BMP_BAD_OFFSET, 'rle8_huge.bmp': RLE8_HUGE,
    },
    'alpha_map': {
        '2x2.map': alpha_map(2, 2, b'\x00\x40\x80\xff'), '4x3.map': alpha_map(4, 3, bytes(12)),
        '3x1.map': alpha_map(3, 1, b'\x10\x20\x30'), 'short.map': alpha_map(4, 3, bytes(5)),
        'huge.map': alpha_map(100000, 100000, b'\x01'), 'negative.map': alpha_map(-4, 3, b''),
    },
    'container': {
        'archive.rxdc': archive([(1, 7, BMP_24), (2, 9, BMP_8)]),
        'archive_empty_entry.rxdc': archive([(0, 1, b''), (1, 2, BMP_RLE8)]),
        'library.lib': library([(b'paddle.bmp', BMP_24), (b'LEVEL1.TXT', LEVEL)]),
        'archive_cut.rxdc': archive([(1, 7, BMP_24)])[:30],
        'archive_count.rxdc': b'RXDC' + struct.pack('<II', 1, 0xFFFFFFFF) + bytes(13),
        'library_outside.lib': struct.pack('<I', 2) + struct.pack('<I13s3s', 44, b'a', b'') +
                               struct.pack('<I13s3s', 0x7FFFFFFF, b'b', b''),
    },
    'level': {
        'level.txt': LEVEL, 'crlf.txt': LEVEL.replace(b'\n', b'\r\n'),
        'short_lines.txt': b'111111111111111\n' * 12, 'long_lines.txt': b'33333333333333333\n' * 12,
        'empty.txt': b'', 'no_end.txt': LEVEL[:-1], 'other.txt': b'1220xxxxxxxxxxxx\n    3   0  2 ab \n',
    },
    'text': {
        'wrap.txt': text_input(DT_WORDBREAK | DT_CENTER, (0, 0, 90, 60), (1, 2), 14, 0, 400, 0,
                               b'Quorvane breaks the &wall\r\nsecond line\tand tab'),
        'single.txt': text_input(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, (-5, -5, 40, 20), (0, 0),
                                 -12, 0, 700, 0x81, b'&&one line'),
        'calc.txt': text_input(DT_CALCRECT | DT_EXPANDTABS, (10, 10, 10, 10), (50, 50), 30, 8, 100,
                               0x42, b'\ta\tb\nc'),
        'face.txt': text_input(0, (0, 0, 96, 64), (3, 3), 20, 0, 400, 0x20, b'x y z',
                               b'Nonexistent Face'),
        'extreme.txt': text_input(0xFFFFFFFF, (-2**31, -2**31, 2**31 - 1, 2**31 - 1),
                                  (2**31 - 1, -2**31), 2**31 - 1, -32768, 32767, 0xFF,
                                  b'\xff\x80\x00\x01' * 8),
    },
    'bitmapfont': {
        'arial.fnt': font_input(14, 400, 0xFFFF, 0, (10, 20), 200, -1, (0, 0, 800, 600), b'Arial',
                                b'Quorvane 123'),
        'courier.fnt': font_input(12, 700, 0xFFFFFF, 0, (790, 590), 30, 3, (780, 580, 800, 600),
                                  b'Courier', b'clipped at the edge'),
        'high.fnt': font_input(255, 100, 0x123456, 0xF800, (-50, -50), 10, 0, (0, 0, 10, 10),
                               b'', b'\x7f\x80\xff wide'),
        'negative.fnt': font_input(-20, 0, 0, 0, (0, 0), -5, -7, (10, 10, 0, 0), b'No Such Face',
                                   b'\t\n\r'),
    },
}


def main():
    root = os.path.join(HERE, 'corpus')
    shutil.rmtree(root, ignore_errors=True)
    for target, files in CORPUS.items():
        os.makedirs(os.path.join(root, target))
        for name, data in files.items():
            with open(os.path.join(root, target, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
