#!/usr/bin/env python3
"""Makes the benchmark's product: 40 files, 190 MiB (199 MB) of incompressible
bytes, so that every cabinet is as big as its file.

    make_product.py NEW_DIR OLD_DIR DESKZQ_V1 DESKZQ_V2

NEW_DIR receives what the vendor publishes: 20 resource DLLs libNN.dll whose
FileVersion is 2.0.0.NN (the bytes ride in an RCDATA resource), 19 plain
data files dadosNN.bin (no version resource: version "-1") and the stand-in
DeskZQ.exe of version 1.0.0.2. OLD_DIR receives the installed copy that the
update starts from: every DLL at version 1.0.0.NN (small) and DeskZQ.exe
1.0.0.1, and no data file. So all 40 files are out of date: the DLLs and the
product by version, the data files because they are missing (a data file
that exists always reads as up to date, its version being "-1").
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

MIB = 1 << 20
# Sizes in MiB, in the order the files are fetched (byte order of the names:
# dados01..19, then lib01..20), mixed so that big and small alternate.
DATA_SIZES = [10, 0.25, 12, 1, 3, 0.5, 8, 2, 0.1, 5, 1, 4, 0.25, 2, 1.5, 0.5, 3, 0.05, 1]
LIB_SIZES = [40, 0.5, 4, 24, 1, 12, 0.25, 2, 16, 0.1, 5, 3, 1.5, 0.25, 4, 8, 0.5, 2, 10, 1]

VERSION_RC = """1 VERSIONINFO
FILEVERSION 1,0,0,0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904E4"
    BEGIN
      VALUE "FileVersion", "{version}"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0409, 1252
  END
END
"""


def resource_dll(out, version, blob, tmp, data_object):
    rc = os.path.join(tmp, "v.rc")
    with open(rc, "w") as f:
        f.write(VERSION_RC.format(version=version))
        if blob:
            f.write('2 RCDATA "%s"\n' % blob)
    obj = os.path.join(tmp, "v.o")
    subprocess.run(["x86_64-w64-mingw32-windres", rc, "-O", "coff", "-o", obj], check=True, cwd=tmp)
    subprocess.run(["x86_64-w64-mingw32-gcc", "-shared", "-o", out, data_object, obj], check=True)


def main():
    new_dir, old_dir, deskzq_v1, deskzq_v2 = sys.argv[1:5]
    os.makedirs(new_dir, exist_ok=True)
    os.makedirs(old_dir, exist_ok=True)
    rng = random.Random(20240501)  # the same bytes every run
    with tempfile.TemporaryDirectory() as tmp:
        data_c = os.path.join(tmp, "d.c")
        with open(data_c, "w") as f:
            f.write("int zq_data = 1;\n")
        data_object = os.path.join(tmp, "d.o")
        subprocess.run(["x86_64-w64-mingw32-gcc", "-c", data_c, "-o", data_object], check=True)
        for i, mib in enumerate(DATA_SIZES, 1):
            with open(os.path.join(new_dir, "dados%02d.bin" % i), "wb") as f:
                f.write(rng.randbytes(int(mib * MIB)))
        blob = os.path.join(tmp, "blob.bin")
        for i, mib in enumerate(LIB_SIZES, 1):
            with open(blob, "wb") as f:
                f.write(rng.randbytes(int(mib * MIB)))
            resource_dll(os.path.join(new_dir, "lib%02d.dll" % i), "2.0.0.%d" % i, blob, tmp, data_object)
            resource_dll(os.path.join(old_dir, "lib%02d.dll" % i), "1.0.0.%d" % i, None, tmp, data_object)
    shutil.copy(deskzq_v2, os.path.join(new_dir, "DeskZQ.exe"))
    shutil.copy(deskzq_v1, os.path.join(old_dir, "DeskZQ.exe"))


if __name__ == "__main__":
    main()
