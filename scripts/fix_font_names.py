"""Sets the full name (name ID 4) of a regular face to its family name, the
form Wine's GDI+ needs to find the family by name."""
import sys

from fontTools.ttLib import TTFont

path, family = sys.argv[1], sys.argv[2]
font = TTFont(path, recalcTimestamp=False)  # the same bytes from every fetch
names = font["name"]
for record in list(names.names):
    if record.nameID in (1, 4, 16):
        names.setName(family, record.nameID, record.platformID, record.platEncID, record.langID)
font.save(path)
