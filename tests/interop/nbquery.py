"""Asks the LAN by broadcast who holds NAME<03> and prints the first address.

Used to learn when a receiver's nmbd has started answering, so the test waits
exactly as long as needed. Usage: nbquery.py NAME BROADCAST-ADDRESS SECONDS
Exit status 0 once answered, 1 when nobody answered in time.
"""
import os
import socket
import struct
import sys
import time


def encoded_name(name: str, suffix: int) -> bytes:
    raw = name.upper().encode("ascii").ljust(15, b" ") + bytes([suffix])
    half_bytes = bytearray()
    for byte in raw:
        half_bytes += bytes([0x41 + (byte >> 4), 0x41 + (byte & 0x0F)])
    return bytes([32]) + bytes(half_bytes) + b"\0"


def answered_address(reply: bytes, transaction: int):
    if len(reply) < 12:
        return None
    tid, flags, _, ancount, _, _ = struct.unpack(">6H", reply[:12])
    if tid != transaction or not flags & 0x8000 or flags & 0x000F or ancount < 1:
        return None
    # Answer: name (34 bytes, or a 2-byte compression pointer), type, class, TTL, RDLENGTH.
    at = 12
    at += 2 if at < len(reply) and reply[at] & 0xC0 == 0xC0 else 34
    if len(reply) < at + 10 + 6:
        return None
    rdlength = struct.unpack(">H", reply[at + 8 : at + 10])[0]
    if rdlength < 6:
        return None
    return socket.inet_ntoa(reply[at + 12 : at + 16])


def main() -> int:
    name, broadcast, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sock.bind(("", 0))
    question = encoded_name(name, 0x03) + struct.pack(">HH", 0x0020, 0x0001)
    transaction = int.from_bytes(os.urandom(2), "big")
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        transaction = (transaction + 1) & 0xFFFF
        sock.sendto(struct.pack(">6H", transaction, 0x0110, 1, 0, 0, 0) + question, (broadcast, 137))
        until = min(deadline, time.monotonic() + 0.25)
        while (left := until - time.monotonic()) > 0:
            sock.settimeout(left)
            try:
                reply = sock.recv(2048)
            except socket.timeout:
                break
            address = answered_address(reply, transaction)
            if address:
                print(address)
                return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
