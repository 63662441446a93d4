#!/usr/bin/python3
"""Steps of packing a release that need more than the shell (scripts/lib.sh,
pack_release), each the same for the same input, whatever the machine's clock:

  release.py zip DIR EPOCH OUT       DIR's files, sorted, under DIR's name,
                                     each dated EPOCH, into the ZIP file OUT
  release.py codes VERSION ARCH FILE...
                                     the product code and the package code of
                                     a Windows Installer package of VERSION and
                                     ARCH holding FILEs (UUID version 5)
  release.py finish-msi MSI VERSION PACKAGE_CODE EPOCH
                                     the upgrade row that takes the installed
                                     version in, the package code and EPOCH as
                                     the summary's times
  release.py version FILE            the version block of a Windows program:
                                     its file version and product version

Runs with Debian's Python, which has the msitools bindings (gir1.2-libmsi-1.0).
"""
import hashlib
import os
import struct
import sys
import time
import uuid
import zipfile

# The namespace of the installer codes; a code is this and a name made of
# the version, the width and the files' digests.
CODES = uuid.UUID("8d7c2f4e-3a61-5b0c-9e47-1f25a6d3c0b8")


def release_zip(folder, epoch, out):
    # ZIP holds local times from 1980 on; the sources' time as such.
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    top = os.path.basename(os.path.normpath(folder))
    names = []
    for root, _, files in os.walk(folder):
        names += [os.path.relpath(os.path.join(root, f), folder) for f in files]
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name in sorted(names, key=lambda n: n.split(os.sep)):
            info = zipfile.ZipInfo(top + "/" + name.replace(os.sep, "/"), stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o644 << 16
            with open(os.path.join(folder, name), "rb") as f:
                z.writestr(info, f.read())


def codes(version, arch, files):
    digest = hashlib.sha256()
    for path in files:
        with open(path, "rb") as f:
            digest.update(hashlib.sha256(f.read()).digest())
    name = f"{version} {arch} {digest.hexdigest()}"
    product = uuid.uuid5(CODES, "product " + name)
    package = uuid.uuid5(CODES, "package " + name)
    print("{%s} {%s}" % (str(product).upper(), str(package).upper()))


def finish_msi(path, version, package_code, epoch):
    import gi
    gi.require_version("Libmsi", "1.0")
    from gi.repository import Libmsi

    db = Libmsi.Database.new(path, Libmsi.DbFlags.TRANSACT, None)
    # Windows Installer compares the first three fields of a version only: a
    # package of 1.0.0.2 finds 1.0.0.1 the same version. The upgrade row
    # takes that version in (wixl's MajorUpgrade leaves it out), so that such
    # a package replaces the installed one instead of going beside it.
    query = Libmsi.Query.new(db, "SELECT `Value` FROM `Property` WHERE `Property` = 'UpgradeCode'")
    query.execute(None)
    upgrade_code = query.fetch().get_string(1)
    query.close()
    for sql in ("DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'",
                "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) "
                "VALUES ('%s', '%s', 513, 'WIX_UPGRADE_DETECTED')" % (upgrade_code, version)):
        query = Libmsi.Query.new(db, sql)
        query.execute(None)
        query.close()
    summary = Libmsi.SummaryInfo.new(db, 3)
    filetime = (int(epoch) + 11644473600) * 10000000  # 100 ns steps since 1601
    summary.set_filetime(Libmsi.Property.CREATED_TM, filetime)
    summary.set_filetime(Libmsi.Property.LASTSAVED_TM, filetime)
    summary.set_string(Libmsi.Property.UUID, package_code)
    summary.persist()
    db.commit()


def version(path):
    data = open(path, "rb").read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        sys.exit(f"release.py: {path} has no version block")
    fms, fls, pms, pls = struct.unpack_from("<4I", data, at + 8)
    text = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    print(text(fms, fls), text(pms, pls))


def main(argv):
    steps = {"zip": (release_zip, 3), "finish-msi": (finish_msi, 4), "version": (version, 1)}
    if len(argv) >= 4 and argv[0] == "codes":
        return codes(argv[1], argv[2], argv[3:])
    if not argv or argv[0] not in steps or len(argv) - 1 != steps[argv[0]][1]:
        sys.exit(__doc__)
    steps[argv[0]][0](*argv[1:])


if __name__ == "__main__":
    main(sys.argv[1:])
