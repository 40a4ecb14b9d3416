#!/usr/bin/python3
"""cfbread.py FILE STREAM: reads one stream of an OLE2 compound file with
xlrd's own compound-file reader and prints JSON: {"size", "sha1", "root_class",
"messages"} (messages: what the reader complained about)."""
import hashlib
import io
import json
import struct
import sys

from xlrd import compdoc

log = io.StringIO()
with open(sys.argv[1], "rb") as f:
    mem = f.read()
doc = compdoc.CompDoc(mem, logfile=log)
# The root entry is the directory's first; its class id at byte 80.
directory = 512 * (struct.unpack_from("<I", mem, 48)[0] + 1)
data = doc.get_named_stream(sys.argv[2])
print(json.dumps({
    "size": len(data) if data is not None else -1,
    "sha1": hashlib.sha1(data or b"").hexdigest(),
    "root_class": mem[directory + 80:directory + 96].hex(),
    "messages": log.getvalue(),
}))
