#!/usr/bin/env python3
"""Stamps a channel tag into a signed installer without breaking its signature.

  stamp_channel.py stamp --channel site_a IN OUT   # IN or OUT may be "-" (stdin, stdout)
  stamp_channel.py read IN                         # prints the stamp; exit 1 when there is none
  stamp_channel.py time IN [--runs N]              # how long one stamp of IN takes in memory
                                                   # (stamp_parts and stamp_bytes)

The tag goes into the Authenticode signature as an unauthenticated attribute of the first
SignerInfo (the place the timestamp's countersignature lives): the signature covers neither it
nor the certificate table, so the file's signature stays valid. It sits inside the PKCS#7
SignedData, so nothing follows the PKCS#7 blob but the zero padding to 8 bytes, which is what
the platform's stricter padding check (EnableCertPaddingCheck) demands. A restamp replaces the
stamp. The PE's security directory size, the WIN_CERTIFICATE length and the PE checksum are
rewritten to match.

A download server can import the module and call stamp_parts(data, channel) per request and
send the pieces: nothing but the headers and the certificate table is copied or read, the DER
is rewritten and the checksum updated from the bytes that changed.
"""
import argparse
import struct
import sys
import time

# 2.25.<UUID>: an object identifier of our own without a registry (ITU-T X.667). The
# installer looks for the same bytes (app/channel_stamp.cpp).
STAMP_OID = bytes([0x06, 0x13, 0x69, 0xb7, 0xa7, 0xab, 0xb7, 0xbe, 0xcc, 0xfa, 0x9f, 0xdb,
                   0xa3, 0xa9, 0xb7, 0x89, 0xdc, 0xe9, 0xeb, 0xac, 0x6d])
SIGNED_DATA_OID = bytes.fromhex("06092a864886f70d010702")  # 1.2.840.113549.1.7.2
MAX_CHANNEL = 64
FORBIDDEN = set("&;=%")
SECURITY_DIRECTORY = 4
WIN_CERT_REVISION_2_0 = 0x0200
WIN_CERT_TYPE_PKCS_SIGNED_DATA = 0x0002


class StampError(Exception):
    pass


def check_channel(channel):
    """The rules the installer applies to a stamp: 1 to 64 printable ASCII characters, no
    space and none of & ; = % (the tag goes into a URL query and a cookie)."""
    if not 1 <= len(channel) <= MAX_CHANNEL:
        raise StampError("a channel is 1 to %d characters long, got %d" % (MAX_CHANNEL, len(channel)))
    bad = [c for c in channel if not "!" <= c <= "~" or c in FORBIDDEN]
    if bad:
        raise StampError("a channel is printable ASCII without space & ; = %%: %r" % bad[0])


# ---- DER ------------------------------------------------------------------------------------
def tlv(der, pos, end):
    """(tag, content start, content end) of the element at pos; single-byte tags only."""
    if pos + 2 > end:
        raise StampError("signature truncated at %d" % pos)
    tag, first = der[pos], der[pos + 1]
    pos += 2
    if first < 0x80:
        length = first
    else:
        count = first & 0x7f
        if not 1 <= count <= 4 or pos + count > end:
            raise StampError("bad DER length at %d" % pos)
        length = int.from_bytes(der[pos:pos + count], "big")
        pos += count
    if pos + length > end:
        raise StampError("DER element runs past its container at %d" % pos)
    return tag, pos, pos + length


def children(der, start, end):
    """(tag, element start, content start, content end) of each element in der[start:end]."""
    out = []
    pos = start
    while pos < end:
        tag, body, stop = tlv(der, pos, end)
        out.append((tag, pos, body, stop))
        pos = stop
    return out


def encode(tag, content):
    n = len(content)
    if n < 0x80:
        head = bytes([n])
    else:
        raw = n.to_bytes((n.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(raw)]) + raw
    return bytes([tag]) + head + content


def expect(element, tag, what):
    if element is None or element[0] != tag:
        raise StampError("the signature has no %s where expected" % what)
    return element


def find_signer_info(der):
    """The chain of enclosing elements (tag, start, body, end) from the ContentInfo down to
    the first SignerInfo, and that SignerInfo's children."""
    outer = expect(children(der, 0, len(der))[0] if der else None, 0x30, "ContentInfo")
    parts = children(der, outer[2], outer[3])
    if len(parts) < 2 or der[parts[0][1]:parts[0][3]] != SIGNED_DATA_OID:
        raise StampError("the certificate is not PKCS#7 SignedData")
    wrapper = expect(parts[1], 0xa0, "SignedData wrapper")
    signed = expect(children(der, wrapper[2], wrapper[3])[0], 0x30, "SignedData")
    fields = children(der, signed[2], signed[3])
    signer_infos = expect(fields[-1] if fields else None, 0x31, "SignerInfos")
    infos = children(der, signer_infos[2], signer_infos[3])
    signer = expect(infos[0] if infos else None, 0x30, "SignerInfo")
    return [outer, wrapper, signed, signer_infos, signer], children(der, signer[2], signer[3])


def replace_in(der, chain, start, end, new):
    """der with [start, end) replaced by new, and each enclosing element's length rewritten."""
    for tag, s, body, e in reversed(chain):
        new = encode(tag, der[body:start] + new + der[end:e])
        start, end = s, e
    return der[:start] + new + der[end:]


def stamp_attribute(channel):
    return encode(0x30, STAMP_OID + encode(0x31, encode(0x0c, channel.encode("ascii"))))


def split_unauthenticated(der, fields):
    """(where the unauthenticated attributes start, end, the attributes other than a stamp,
    the stamp's value or None)."""
    digest = [i for i, f in enumerate(fields) if f[0] == 0x04]
    if not digest:
        raise StampError("the SignerInfo has no encrypted digest")
    after = fields[digest[0] + 1:]
    if not after:
        end = fields[-1][3]
        return end, end, b"", None
    if len(after) != 1 or after[0][0] != 0xa1:
        raise StampError("unexpected fields after the SignerInfo's digest")
    _, start, body, end = after[0]
    kept, stamp = b"", None
    for attr in children(der, body, end):
        parts = children(der, attr[2], attr[3])
        if parts and der[parts[0][1]:parts[0][3]] == STAMP_OID:
            values = children(der, parts[1][2], parts[1][3]) if len(parts) > 1 else []
            stamp = der[values[0][2]:values[0][3]] if values else b""
        else:
            kept += der[attr[1]:attr[3]]
    return start, end, kept, stamp


# ---- PE -------------------------------------------------------------------------------------
class Pe:
    """Where the checksum and the security directory are, and the one PKCS#7 certificate."""

    def __init__(self, data):
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise StampError("not a PE file")
        pe = struct.unpack_from("<I", data, 0x3c)[0]
        # The checksum is a sum of 16-bit words; the PE header is 8-byte aligned anyway.
        if pe % 2 or pe + 24 + 2 > len(data) or data[pe:pe + 4] != b"PE\0\0":
            raise StampError("not a PE file")
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic not in (0x10b, 0x20b):
            raise StampError("unknown optional header 0x%x" % magic)
        self.checksum_at = optional + 64
        directories = optional + (96 if magic == 0x10b else 112)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.security_at = directories + 8 * SECURITY_DIRECTORY
        if count <= SECURITY_DIRECTORY or self.security_at + 8 > len(data):
            raise StampError("the PE has no security directory")
        self.table, size = struct.unpack_from("<II", data, self.security_at)
        if self.table == 0 or size == 0:
            raise StampError("the file is not signed")
        if self.table + size != len(data):
            raise StampError("the certificate table is not the end of the file")
        if size < 8:
            raise StampError("the certificate table is truncated")
        length, revision, kind = struct.unpack_from("<IHH", data, self.table)
        if length != size or revision != WIN_CERT_REVISION_2_0 or kind != WIN_CERT_TYPE_PKCS_SIGNED_DATA:
            raise StampError("the certificate table is not one PKCS#7 signature")
        body = data[self.table + 8:]
        _, _, end = tlv(body, 0, len(body))
        if len(body) - end > 7 or any(body[end:]):
            raise StampError("bytes other than padding follow the signature")
        self.der = bytes(body[:end])


def word_sum(region):
    """The 16-bit little-endian words of `region` (which starts at an even offset) summed
    with end-around carry, modulo 0xffff: 65536 is 1 modulo 0xffff, so the region read as one
    little-endian number has the same remainder."""
    return int.from_bytes(region, "little") % 0xffff


def finish_checksum(words, length):
    # A one's-complement sum of words that are not all zero is never 0 but 0xffff.
    return ((words % 0xffff or 0xffff) + length) & 0xffffffff


def pe_checksum(data, checksum_at):
    """The PE checksum: the 16-bit one's-complement sum of the file without its checksum
    field, plus the file's length."""
    return finish_checksum(word_sum(data[:checksum_at]) + word_sum(data[checksum_at + 4:]),
                           len(data))


def updated_checksum(data, pe, size, table):
    """The checksum of the stamped file: the signed `data` with the security directory's size
    field `size` and the certificate table `table`. The old checksum gives the sum of
    everything else, so only the changed bytes are read: summing the whole file takes longer
    than the stamp itself. A checksum that does not fit the file is computed in full."""
    stored = struct.unpack_from("<I", data, pe.checksum_at)[0]
    words = (stored - len(data)) & 0xffffffff
    length = pe.table + len(table)
    if stored == 0 or words > 0xffff:
        whole = bytearray(data[:pe.table]) + table
        whole[pe.security_at + 4:pe.security_at + 8] = size
        return pe_checksum(whole, pe.checksum_at)
    words += word_sum(size) - word_sum(data[pe.security_at + 4:pe.security_at + 8])
    words += word_sum(table) - word_sum(data[pe.table:])
    return finish_checksum(words, length)


def stamp_parts(data, channel):
    """The signed PE `data` stamped with `channel` (an earlier stamp replaced), as three pieces
    to write one after another: the patched headers, the untouched middle (a view of `data`,
    not a copy) and the new certificate table."""
    check_channel(channel)
    pe = Pe(data)
    chain, fields = find_signer_info(pe.der)
    start, end, kept, _ = split_unauthenticated(pe.der, fields)
    der = replace_in(pe.der, chain, start, end, encode(0xa1, kept + stamp_attribute(channel)))
    padded = (8 + len(der) + 7) & ~7
    table = (struct.pack("<IHH", padded, WIN_CERT_REVISION_2_0, WIN_CERT_TYPE_PKCS_SIGNED_DATA)
             + der + bytes(padded - 8 - len(der)))
    size = struct.pack("<I", padded)
    head = bytearray(data[:max(pe.checksum_at, pe.security_at) + 8])
    head[pe.security_at + 4:pe.security_at + 8] = size
    struct.pack_into("<I", head, pe.checksum_at, updated_checksum(data, pe, size, table))
    return [bytes(head), memoryview(data)[len(head):pe.table], table]


def stamp_bytes(data, channel):
    """The signed PE `data` stamped with `channel`, as one bytes object."""
    return b"".join(stamp_parts(data, channel))


def read_stamp(data):
    """The stamp of a signed PE, or None."""
    pe = Pe(data)
    _, fields = find_signer_info(pe.der)
    stamp = split_unauthenticated(pe.der, fields)[3]
    return None if stamp is None else stamp.decode("ascii", errors="replace")


# ---- command line ---------------------------------------------------------------------------
def read_input(path):
    if path == "-":
        return sys.stdin.buffer.read()
    with open(path, "rb") as f:
        return f.read()


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = p.add_subparsers(dest="command", required=True)
    s = sub.add_parser("stamp")
    s.add_argument("--channel", required=True)
    s.add_argument("input")
    s.add_argument("output")
    r = sub.add_parser("read")
    r.add_argument("input")
    t = sub.add_parser("time")
    t.add_argument("input")
    t.add_argument("--runs", type=int, default=200)
    options = p.parse_args(argv)
    try:
        data = read_input(options.input)
        if options.command == "stamp":
            parts = stamp_parts(data, options.channel)
            if options.output == "-":
                sys.stdout.buffer.writelines(parts)
            else:
                with open(options.output, "wb") as f:
                    f.writelines(parts)
        elif options.command == "read":
            stamp = read_stamp(data)
            if stamp is None:
                return 1
            print(stamp)
        else:
            for name, stamp in (("stamp_parts", stamp_parts), ("stamp_bytes", stamp_bytes)):
                times = []
                for run in range(options.runs):
                    begin = time.perf_counter()
                    stamp(data, "site_%05d" % run)
                    times.append(time.perf_counter() - begin)
                times.sort()
                print("%s: %d bytes, %d runs: median %.2f ms, slowest %.2f ms"
                      % (name, len(data), len(times), 1000 * times[len(times) // 2],
                         1000 * times[-1]))
        return 0
    except (StampError, struct.error, IndexError, OSError) as error:
        print("stamp_channel: %s" % error, file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
