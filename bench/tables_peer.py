#!/usr/bin/python3
"""The peer baseline: the same 100,000 report-log records appended with python3-dbf and read
with python3-dbfread. Prints milliseconds for each, median of the runs asked for."""
import os
import statistics
import sys
import time

import dbf
import dbfread

RECORDS = int(os.environ.get("RECORDS", "100000"))
folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/quill-tables-peer"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 1
os.makedirs(folder, exist_ok=True)
path = os.path.join(folder, "peer.dbf")
LAYOUT = ("sentname0 C(30); sentname1 C(30); sentname2 C(30); sentname3 C(30); city C(35); state C(4); "
        "zip C(10); rdate D; mailernum C(35); postage C(15); certified C(15); restricted C(15); "
        "return C(15); total C(15); comments C(35); re C(25)")


def row(i):
    import datetime
    return ("Recipient %d" % ((i * 31) % 99991), "12 Main Street", "Suite %d" % (i % 500), "", "Springfield",
            "IL", "%05d" % ((i * 7919) % 100000), datetime.date(2020 + i % 7, 1 + i % 12, 1 + i % 28),
            "92147123456789%07d%d" % (i, i % 10), "0.39", "2.40", "", "1.85", "4.64", "Lien notice",
            "Parcel %d" % i)


rows = [row(i) for i in range(RECORDS)]


def append():
    if os.path.exists(path):
        os.remove(path)
    t = dbf.Table(path, LAYOUT, dbf_type="db3", codepage="cp437")
    t.open(dbf.READ_WRITE)
    for r in rows:
        t.append(r)
    t.close()


def read():
    n = 0
    for record in dbfread.DBF(path, encoding="cp437"):
        for value in record.values():
            n += 1
    return n


def timed(f):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        f()
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000


print("python3-dbf append: %.1f ms" % timed(append))
print("python3-dbfread read: %.1f ms" % timed(read))
