#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small valid inputs of each reader, from which the
fuzzer mutates its way into the invalid ones. Run from anywhere; it rewrites fuzz/corpus/."""
import os
import struct
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, 'corpus')


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode('latin-1'))


def dbf(version, fields, records, deleted=()):
    """fields: (name, type, length, decimals); records: lists of field texts."""
    header_length = 32 * len(fields) + 33
    record_length = 1 + sum(f[2] for f in fields)
    out = bytearray(struct.pack('<B3BIHH20x', version, 124, 12, 10, len(records), header_length,
                                record_length))
    for name, ftype, length, decimals in fields:
        out += struct.pack('<11sc4xBB14x', name.encode(), ftype.encode(), length, decimals)
    out += b'\r'
    for i, rec in enumerate(records):
        out += b'*' if i in deleted else b' '
        for (name, ftype, length, decimals), value in zip(fields, rec):
            value = value.encode('latin-1')
            out += value.rjust(length) if ftype in 'NFM' else value.ljust(length)
    return bytes(out + b'\x1a')


def memo4(texts, block=512):
    """A dBase IV memo file: header block, then one run per text; the chain ends past them."""
    runs = []
    for t in texts:
        run = b'\xff\xff\x08\x00' + struct.pack('<I', len(t) + 8) + t
        run += b'\0' * (-len(run) % block)
        if (len(t) + 8) % block == 0:
            run += b'\0' * block
        runs.append(run)
    end = 1 + sum(len(r) // block for r in runs)
    head = struct.pack('<I4x8sBBH', end, b'T', 2, 1, block).ljust(block, b'\0')
    return head + b''.join(runs)


ADDRESS = [('ADDRESS', 'M', 10, 0), ('CITY', 'C', 35, 0), ('STATE', 'C', 2, 0), ('ZIP', 'C', 10, 0)]
MIXED = [('NAME', 'C', 12, 0), ('AMOUNT', 'N', 8, 2), ('SENT', 'D', 8, 0), ('DONE', 'L', 1, 0),
         ('RATE', 'F', 6, 3)]


def main():
    kept = {}
    old = os.path.join(CORPUS, 'dbf', 'dbase-written.dbf')
    if os.path.exists(old):
        kept['dbase-written.dbf'] = open(old, 'rb').read()
    shutil.rmtree(CORPUS, ignore_errors=True)
    # The data file: tables of every field type, with and without memo fields.
    put('dbf', 'address.dbf', dbf(0x8B, ADDRESS, [['1', 'Springfield', 'IL', '62701'],
                                                   ['2', 'Dover', 'DE', '19901-1234'],
                                                   ['', 'Nowhere', '', '']], deleted={1}))
    put('dbf', 'mixed.dbf', dbf(0x03, MIXED, [['Smith', '12.50', '20240131', 'T', '1.250'],
                                              ['M\x81ller', '*', '00000000', '?', ''],
                                              ['', '-3', '19991231', 'F', '-0.5']], deleted={2}))
    put('dbf', 'dbase3.dbf', dbf(0x83, ADDRESS, [['1', 'Albany', 'NY', '12207'], ['9', 'x', 'y', 'z']]))
    put('dbf', 'long-char.dbf', dbf(0x03, [('NOTE', 'C', 44, 1)], [['a' * 300]]))
    # A table dBase itself wrote, from the shared fixtures beside the checkout; the copy already
    # in the corpus stays when they are not there.
    fixture = os.path.join(HERE, '..', '..', 'shared', 'fixtures', 'mdx', 'TEST.DBF')
    test_dbf = open(fixture, 'rb').read() if os.path.exists(fixture) else kept['dbase-written.dbf']
    put('dbf', 'dbase-written.dbf', test_dbf)

    # The memo file: choices byte, four memo fields, the memo file.
    fields = b''.join(s.rjust(10).encode() for s in ('1', '2', '3', '0'))
    texts = [b'12 Main St\r\nSuite 4\r\n', b'x' * 504, b'Caf\xe9\r\n']
    put('dbt', 'texts.bin', b'\x28' + fields + memo4(texts))
    # A free chain: block 5 holds a free run of two blocks, whose link ends the chain past the end.
    chained = bytearray(memo4(texts + [b'gone', b'also gone']))
    end = len(chained) // 512
    struct.pack_into('<I', chained, 0, 5)
    struct.pack_into('<II', chained, 5 * 512, end, 2)
    put('dbt', 'free-chain.bin', b'\x52' + fields + bytes(chained))
    put('dbt', 'dbase3.bin', b'\x03' + b''.join(s.rjust(10).encode() for s in ('1', '2', '', '1')) +
        struct.pack('<I', 3).ljust(512, b'\0') + b'first\x1a\x1a'.ljust(512, b'\0') +
        b'second'.ljust(512, b'\0'))
    put('dbt', 'small-blocks.bin', b'\x11' + fields + memo4(texts, block=64))

    # The index build: tables with character, numeric, float, date and logical fields.
    put('mdx_build', 'mixed.dbf', dbf(0x03, MIXED, [['b', '2', '20240101', 'T', '0.1'],
                                                    ['a', '10.25', '', 'F', '-1'],
                                                    ['b', '', '19700101', ' ', '1e3']]))
    put('mdx_build', 'dbase-written.dbf', test_dbf)
    put('mdx_build', 'address.dbf', dbf(0x8B, ADDRESS, [['1', 'Z', 'A', '1'], ['2', 'A', 'Z', '2']]))

    # The settings file.
    put('ini', 'quill4.ini',
        '[Type]\r\nCompany=Eastvale\r\nBarCodeApp=1\r\n[YourAddress]\r\nLine1=ACME Mail\r\n'
        'City=Springfield\r\nState=IL\r\nZip=62701\r\n[Values]\r\nPostage=0.39\r\nCertFee=2.40\r\n'
        'PrintBarCode=1\r\nCustID=123456789\r\nSerialNum=0000001\r\nIncrement=0x1\r\n'
        'MailerNum=9407100000000000000000\r\nIMpb=$0\r\n[Printing]\r\nPrintExtraLabel=Yes\r\n'
        'ExtraLabel=Addressed To\r\n[PrintAlign]\r\nLeftRight=-12\r\nTopBottom=2147483647\r\n'
        '[SystemPath]\r\ndefault=/home/user/Addresses/\r\n')
    put('ini', 'odd.ini', '; comment\n[type]\ncompany = \n[Values]\nPostage\n=1\n[Values]\nPostage=9\n'
                          '[PrintAlign\nLeftRight=99999999999\n')

    # The import line splitter.
    put('address_text', 'lines.txt',
        '"John Smith","12 Main St","","","Springfield","IL","62701"\r\n'
        'Jane,"1 ""Quoted"" Rd",x,y,Dover,DE,19901-1234\n'
        'no commas at all\r"open quote,a,b,c,d,e,f\n,,,,,,\n')
    put('address_text', 'ansi.txt', b'Caf\xe9,Stra\xdfe 1,,,M\xfcnchen,BY,80331\r\n')
    put('address_text', 'utf8-bom.txt', b'\xef\xbb\xbfZo\xc3\xab,a,b,c,City,ST,12345\n')

    # The clipboard paste.
    put('paste', 'block.txt', 'John Smith\r\n12 Main St\r\nSpringfield, IL 62701-1234\r\n')
    put('paste', 'lf.txt', 'Acme\nSuite 5\n1 Road\nBox 9\nExtra\nDover DE 19901\n')
    put('paste', 'short.txt', 'IL\n\r')
    put('paste', 'utf8.txt', 'M\xc3\xbcller\r\nK\xc3\xb6ln, NW 50667')

    # The bar codes: the symbology, the drawing choices, the text.
    for t, text in enumerate(['Quill 128', 'CODE-39 $', 'Ext\tascii', '01234567890', '1234567',
                              'code93!', '590123412345', '9638507', '(420)62701', '62701123499',
                              '012345', '12', '52495']):
        put('barcode', '%02d.txt' % t, bytes([t, (t * 37) & 0xFF]) + text.encode())


main()
