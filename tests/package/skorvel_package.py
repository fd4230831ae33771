"""What the package tests know about the downloads: where scripts/package
wrote them, the version they carry, and what the program folder holds."""
import os
import re
import shutil
import struct
import zipfile

from skorvel_e2e import PREFIX, SOURCE

DIST = os.environ["SKORVEL_DIST"]
STAGE = os.environ["SKORVEL_PACKAGE"]  # the release folders and the 64-bit test installer


def _version():
    with open(os.path.join(SOURCE, "resources", "version.h"), encoding="utf-8") as header:
        fields = re.search(r"^#define SKORVEL_VERSION_FIELDS (\d+), *(\d+), *(\d+), *(\d+)\s*$",
                           header.read(), re.M)
    return ".".join(fields.groups())


VERSION = _version()
FILTERS = os.path.join(SOURCE, "resources", "filters")
SHIPPED_LISTS = sorted(os.listdir(FILTERS))


def download(kind):
    """A file of dist/: kind is win64.zip, win32.zip or setup.exe."""
    path = os.path.join(DIST, f"Skorvel-{VERSION}-{kind}")
    if not os.path.exists(path):
        raise AssertionError(f"{path} is missing: run scripts/package first")
    return path


TEST_INSTALLER = os.path.join(STAGE, f"Skorvel-{VERSION}-setup-amd64.exe")


def unpack_win64_zip():
    """The 64-bit zip unpacked afresh into the prefix's downloads folder, as a
    user would: the folder of the program, and the program."""
    downloads = os.path.join(PREFIX, "drive_c", "Pobrane")
    shutil.rmtree(downloads, ignore_errors=True)
    with zipfile.ZipFile(download("win64.zip")) as archive:
        archive.extractall(downloads)
    folder = os.path.join(downloads, "Skorvel")
    return folder, os.path.join(folder, "Skorvel.exe")


def shipped(name):
    with open(os.path.join(FILTERS, name), "rb") as f:
        return f.read()


I386, AMD64 = 0x14C, 0x8664


def pe_machine(image):
    """The machine field of a Windows executable's header."""
    (header,) = struct.unpack_from("<I", image, 0x3C)
    if image[:2] != b"MZ" or image[header:header + 4] != b"PE\0\0":
        raise AssertionError("not a Windows executable")
    (machine,) = struct.unpack_from("<H", image, header + 4)
    return machine
