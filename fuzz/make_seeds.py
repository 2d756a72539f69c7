#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/. Run again after changing a seed
here; libFuzzer grows its own corpus under build/fuzz/corpus/."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

DATA = struct.pack('<I', 0x40BA0C50)
ERR = struct.pack('<I', 0x474A35D7)


def frame(marker, payload):
    return marker + struct.pack('<i', len(payload)) + payload


def reply(options, controls, data):
    """Options byte (control count in bits 0-5), control bytes, server data."""
    return bytes([options | len(controls)]) + bytes(controls) + data


OK = b'HTTP/1.1 200 OK\r\n'
BODY = b'DeskZQ.exe=1.0.0.5;900\r\nBemaFI32.dll=1;10\r\n'

SEEDS = {
    'str_to_int': [b'12', b' -7', b'$1F', b'0x10', b'X7fffffff', b'-2147483648', b'2147483648', b'12x',
                   b'', b'+0', b'-$FFFFFFFF'],
    'command_line': [b'SetupZQ.exe xctkd srv01:81 "a b" c',
                     b'"C:\\Program Files\\SetupZQ.exe" xctltn "" "x\x00y"',
                     b'\t a"b c"d\x01e  ""', b'"unterminated stretch'],
    'cab_name': [b'DeskZQ.exe', b'leiame', b'sub\\dir.x\\file', b'a:b', b'x.tar.gz', b'.hidden', b'end.'],
    'safe_name': [b'DeskZQ.exe', b'sub\\dir/file.dll', b'..\\evil.dll', b'a\\. .\\b', b'C:\\x', b'\\\\srv\\s',
                  b'name with blanks%#?.dll', b'caf\xe9.dll', b'a\x01b', b'...', b'a..b', b'sub\\nul.dll', b'COM\xb9 .x',
                  b'BemaFI32.dll.', b'DeskZQ.exe ', b'sub.\\a', b'a\x1f.dll', b'a .dll', b'CONIN$'],
    'address': [b'srv01', b'srv01:81', b'srv01:abc', b'srv01#gate:3128', b'', b'#proxy', b'srv:',
                b'127.0.0.1:8080#127.0.0.2', b'h:$50# p : 12', b'a:b:c#d:e:f'],
    'manifest': [
        b'DeskZQ.exe=1.0.0.5\n--\nDeskZQ.exe=1.0.0.5;900\r\nZQLib.dll=2;300\nBemaFI32.dll=x;10\r\n',
        b'DeskZQ.exe=1.0.0.4\nSetupZQ.exe=1.0\n--\nDeskZQ.exe=1.0.0.5;900\nSetupZQ.exe=2.0;700\nsetupzq.exe=2;5\n',
        b'a.dll=!\n--\na.dll=1; 12\n',
        b'--\nA.DLL=1;5\na.dll=2;6\rsub\\b.dll=-1;$10\n',
        b'--\na.dll=1;12x\n', b'--\n\n', b'--\n..\\evil.dll=1;1\n', b'--\nx=1;2147483647\ny=1;1\n',
        b'pasta=-1\n--\npasta=-1;0\nleiame=1;0x20\x00ignored=1;1\n',
        b'BEMAFI~1.DLL>BemaFI32.dll=9\nLEIAME~1.TXT>leiame longo.txt=1\n--\nBEMAFI~1.DLL=1;5\nLEIAME~1.TXT=1;5\n',
        b'--\na.txt=1;-900\nb.txt=1;1000\n', b'--\nSRVADDR=1;5\n', b'--\nBemaFI32.dll.=9;5\nDeskZQ.exe =9;5\n',
    ],
    'chunked': [b'\x03' + b'4\r\nWiki\r\n5;ext=1\r\npedia\r\n0\r\nTrailer: x\r\n\r\n',
                b'\x00' + b'A\r\n0123456789\r\n0\r\n\r\n', b'\x07' + b'zz\r\n', b'\xff' + b'0\r\n\r\n',
                b'\x40' + b' 1f ;' + b'e' * 4091 + b'\r\n' + b'q' * 31 + b'\r\n0\r\n' + (b'X: ' + b't' * 90 + b'\r\n') * 20 + b'\r\n',
                b'\x10' + b'1F400000\r\nabc'],
    'reply_reader': [
        reply(0, [], OK + b'Content-Length: %d\r\n\r\n' % len(BODY) + BODY),
        reply(0x40, [0x19 + 4, 0x19 + 30], OK + b'Content-length:  %d \r\n\r\n' % len(BODY) + BODY),
        reply(0, [0x80], OK + b'Content-Length: 0\r\n\r\n'),
        reply(0, [], OK + b'Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n'),
        reply(0x40, [0x19 + 20, 0x19 + 2], OK + b'Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n'),
        reply(0, [], OK + b'\r\n<html><body>x'),
        reply(0, [0x19 + 10], OK + b'\r\n<html>' ) + b'</body></html>',
        reply(0, [], b'HTTP/1.1 100 Continue\r\n\r\n'),
        reply(0, [0x19 + 25], b'HTTP/1.1 100 Continue\r\n\r\n' + OK + b'Content-Length: 2\r\n\r\nok'),
        reply(0, [], b'HTTP/1.1 500 Internal Error\r\n\r\n'),
        reply(0x80, [], b'HTTP/1.1 500'),
        reply(0x80, [], b'HTTP/1.1 404 Not Found\r\n\r\n'),
        reply(0, [], b'HTTP/1.1 301 Moved\r\nLocation: x\r\n\r\n'),
        reply(0, [], OK + b'Content-Length: 524288001\r\n\r\n'),
        reply(0, [], OK + b'Content-Length: 12x\r\n\r\n'),
        reply(0, [0x05], OK + b'Content-Length: 5\r\n\r\n'),
        reply(0, [0x80, 0x10], OK + b'Content-Length: 500\r\n\r\nshort'),
        reply(0x40, [], frame(DATA, b'payload of a frame')),
        reply(0x40, [0x19 + 2, 0x19 + 9], frame(DATA, b'split frame')),
        reply(0, [], frame(ERR, b'Falha no servidor\x00resto')),
        reply(0x40, [], b'HTTP/1.1 200 OK\r\nContent-Type: x\r\n\r\n' + frame(DATA, b'behind headers')),
        reply(0x40, [], b'HTTP/1.0 200 OK\r\n\r\n' + frame(DATA, b'no frame under 1.0')),
        reply(0, [0x18], OK),
        reply(0, [0x10], b''),
        reply(0, [0x01], b''),
        reply(0, [], b'HTTP/1.1 200 OK\r\nX: ' + b'a' * 8300),
        reply(0, [], OK + b'Content-Length: 524288000\r\n\r\nabc'),
        reply(0x40, [], frame(DATA, b'')[:4] + struct.pack('<i', 524288000) + b'x' * 9000),
        reply(0, [], frame(ERR, b'')[:4] + struct.pack('<i', 524288000) + b'e' * 5000),
        reply(0, [0x80, 0x17], OK + b'\r\na.txt=1;5\r\n' + b'x' * 100),
        reply(0x40, [0x19 + 3], b'SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n'),
        reply(0x40, [], OK + b'\r\n' + b'u' * 12000),
        reply(0x40, [], OK + b'Transfer-Encoding: chunked\r\n\r\n0\r\n' + b'X: y\r\n' * 2000),
    ],
}


def cab_checksum(data, seed):
    s = seed
    n = len(data) // 4
    for i in range(n):
        s ^= struct.unpack_from('<I', data, 4 * i)[0]
    tail = 0
    for b in data[4 * n:]:
        tail = tail << 8 | b
    return s ^ tail


def cabinet(blocks, flags=0, reserve=b'', sound=True):
    """One folder of stored blocks; with flags 4, `reserve` is the header's reserve area."""
    head_extra = struct.pack('<HBB', len(reserve), 0, 0) + reserve if flags & 4 else b''
    start = 36 + len(head_extra) + 8
    out = b''
    for payload in blocks:
        fields = struct.pack('<HH', len(payload), len(payload))
        csum = cab_checksum(fields, cab_checksum(payload, 0)) if sound else 0x12345678
        out += struct.pack('<I', csum) + fields + payload
    header = b'MSCF' + struct.pack('<IIIIIBBHHHHH', 0, 36 + len(head_extra) + 8 + len(out), 0, 0, 0, 3, 1, 1,
                                   0, flags, 0, 0)
    return header + head_extra + struct.pack('<IHH', start, len(blocks), 0) + out


def shared_blocks():
    """Two folders whose one block is the same."""
    sound = cabinet([b'abcd'])
    block = sound[44:]
    header = bytearray(sound[:36])
    struct.pack_into('<H', header, 26, 2)
    return bytes(header) + struct.pack('<IHH', 52, 1, 0) * 2 + block


SEEDS['cabinet_check'] = [
    cabinet([b'abcd']), cabinet([b'abc', b'de', b'f']), cabinet([b'abcd', b'xyz'], sound=False),
    cabinet([b'hello'], flags=4, reserve=b'RR'), b'MSCF', cabinet([]),
    cabinet([b'abcd'], flags=2), shared_blocks(),
]


def site_signature(files, serial=b'1733900000'):
    h = b'ab' * 32
    t = b'ZQSITE.SIG 1\nkey 0123456789abcdef\nserial ' + serial + b'\nmanifest ' + h + b'\n'
    for f in files:
        t += b'file ' + f + b';' + h + b'\n'
    return t + b'signature ' + b'cd' * 64 + b'\n'


SEEDS['site_signature'] = [
    site_signature([b'DeskZQ.exe=1.0.0.5;900', b'SetupZQ.exe=2.2.0.176;700']),
    site_signature([]), site_signature([b'leiame=;0', b'a.dll=2.0 vers\xe3o=x;2147483647'], serial=b'1'),
    site_signature([b'a.dll=1;01']), site_signature([b'a.dll=1;5'], serial=b'0'),
    b'ZQSITE.SIG 1\r\nkey 0123456789abcdef\r\n', b'ZQSITE.SIG 1\n',
]


def main():
    for name, seeds in SEEDS.items():
        folder = os.path.join(HERE, 'corpus', name)
        os.makedirs(folder, exist_ok=True)
        for old in os.listdir(folder):
            os.remove(os.path.join(folder, old))
        for i, seed in enumerate(seeds):
            with open(os.path.join(folder, 'seed%02d' % i), 'wb') as f:
                f.write(seed)


if __name__ == '__main__':
    main()
