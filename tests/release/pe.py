"""The one reader of Windows programs (PE files) the checks share: the parts
they look at, read from the file's bytes without running anything."""

import re
import struct
from pathlib import Path

I386, AMD64 = 0x14C, 0x8664
PE32, PE32_PLUS = 0x10B, 0x20B


class Pe:
    """The few parts of a PE file these checks read."""

    def __init__(self, data, name="the file"):
        self.data = data
        try:
            at = struct.unpack_from("<I", data, 0x3C)[0]
            if data[at:at + 4] != b"PE\0\0":
                raise ValueError
            self.machine, sections, _, _, _, optional_size = struct.unpack_from("<HHIIIH",
                                                                              data, at + 4)
            optional = at + 24
            self.magic = struct.unpack_from("<H", data, optional)[0]
            directories = optional + (96 if self.magic == PE32 else 112)
            self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                                for i in range(2)]
            table = optional + optional_size
            self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                             for i in range(sections)]
        except (ValueError, struct.error):
            raise ValueError("%s is not a PE file" % name) from None

    @classmethod
    def read(cls, path):
        return cls(Path(path).read_bytes(), Path(path).name)

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("RVA 0x%x lies in no section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def exports(self):
        rva, size = self.directories[0]
        if not size:
            return []
        count, _, names = struct.unpack_from("<III", self.data, self.offset(rva) + 24)
        return [self.text(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)]

    def imports(self):
        rva, size = self.directories[1]
        found = []
        at = self.offset(rva) if size else None
        while at is not None:
            name = struct.unpack_from("<I", self.data, at + 12)[0]
            if not name:
                break
            found.append(self.text(name))
            at += 20
        return found

    def architectures(self):
        """Every processorArchitecture the embedded manifest names, in order:
        the program's own identity first, then its dependencies'."""
        return [n.decode() for n in re.findall(rb'processorArchitecture="([^"]*)"', self.data)]

    def manifest_version(self, name):
        """The version the manifest gives the assembly `name`, or None."""
        found = re.search(rb'<assemblyIdentity type="win32" name="%s" version="([^"]*)"'
                          % re.escape(name.encode()), self.data)
        return found.group(1).decode() if found else None

    def version_resource(self):
        """The version resource's numbers and texts: its fixed file and product
        versions and its FileVersion and ProductVersion texts ("(missing)" for
        a text it lacks); None when it has no version resource."""
        signature = self.data.find((0xFEEF04BD).to_bytes(4, "little"))
        if signature < 0:
            return None
        words = struct.unpack_from("<6I", self.data, signature)
        found = {}
        for key, (ms, ls) in (("fixed file version", words[2:4]),
                              ("fixed product version", words[4:6])):
            found[key] = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        for key in ("FileVersion", "ProductVersion"):
            at = self.data.find((key + "\0").encode("utf-16-le"), signature)
            if at < 0:
                found[key] = "(missing)"
                continue
            at += len(key + "\0") * 2
            at += at % 4  # the value starts on a 32-bit boundary
            end = at
            while self.data[end:end + 2] != b"\0\0":
                end += 2
            found[key] = self.data[at:end].decode("utf-16-le")
        return found
