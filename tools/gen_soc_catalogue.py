#!/usr/bin/env python3
"""Generates resources/config/common.xml, the SoC catalogue shipped with the tool.

The eight SoCs are invented (series "Tessel", "Corvan", "Mirel"); their layout
follows the catalogue schema the loader reads. Standard library only.

    python3 tools/gen_soc_catalogue.py [output-path]
"""
import os
import sys
import xml.etree.ElementTree as ET

VENDOR_ID = "0x34B7"

# name, pid, memoryView ids, flash memories, has eMMC, minSocRevision, core count
SOCS = [
    ("TSL1100", 0x0001, ["ILM", "DLM", "XPI0 NOR", "OTP"], ["XPI0 NOR"], False, None, 1),
    ("TSL1200", 0x0002, ["ILM", "DLM", "XPI0 NOR", "XPI1 NOR", "OTP"], ["XPI0 NOR", "XPI1 NOR"], False, "1.0.0", 1),
    ("TSL2100", 0x0003, ["ILM", "DLM", "XPI0 NOR", "OTP"], ["XPI0 NOR"], False, None, 2),
    ("CRV3300", 0x0004, ["ILM", "DLM", "XPI0 NOR", "XPI1 NOR", "OTP"], ["XPI0 NOR"], False, "1.1.0", 1),
    ("CRV3500", 0x0005, ["ILM", "DLM", "XPI0 NOR", "OTP", "SDXC0", "SDXC1"], ["XPI0 NOR"], True, "2.0.0", 2),
    ("CRV3700", 0x0006, ["ILM", "XPI0 NOR", "XPI1 NOR", "OTP"], ["XPI0 NOR", "XPI1 NOR"], False, None, 1),
    ("MRL5100", 0x0007, ["ILM", "DLM", "XPI0 NOR", "OTP", "SDXC0"], ["XPI0 NOR"], False, None, 1),
    ("MRL5300", 0x0008, ["ILM", "DLM", "XPI0 NOR", "XPI1 NOR", "OTP", "SDXC0"], ["XPI0 NOR", "XPI1 NOR"], False, "1.0.1", 2),
]

MEMORY_IDS = {
    "ILM": "0",
    "DLM": "1",
    "XPI0 NOR": "0x10000",
    "XPI1 NOR": "0x10001",
    "OTP": "0x20000",
    "SDXC0": "0x30000",
    "SDXC1": "0x30001",
}
ERASABLE = {"XPI0 NOR": True, "XPI1 NOR": True}
FLASH_BASE = {"XPI0 NOR": "0x80000000", "XPI1 NOR": "0x90000000"}

# Fuse word groups per SoC: 8 SECURE, 16 IDENTIFY, 32 GENERAL, 72 SECRET = 128.
WORD_LAYOUT = [("SECURE", 8), ("IDENTIFY", 16), ("GENERAL", 32), ("SECRET", 72)]

LIFE_CYCLE_ITEMS = [("0", "CREATE"), ("1", "NONSEC"), ("2", "SEC"), ("3", "RETURN"), ("4", "SCRAP")]

# Per-SoC field type counts; over the eight SoCs: 454 none, 90 select, 43 input, 40 check.
SELECT_COUNTS = [11, 11, 11, 11, 11, 11, 12, 12]
INPUT_COUNTS = [6, 6, 6, 5, 5, 5, 5, 5]
CHECK_COUNTS = [5] * 8
NONE_COUNTS = [57, 57, 57, 57, 57, 57, 56, 56]


def sub(parent, tag, text=None, **attrs):
    e = ET.SubElement(parent, tag, {k.replace("_", "-") if k in ("min_bit", "max_bit", "option_count") else k: v
                                    for k, v in attrs.items()})
    if text is not None:
        e.text = text
    return e


def select_items(parent, items):
    for value, label in items:
        sub(parent, "item", label, value=value)


def flash_config(soc_el, tag, name, options):
    cfg = sub(soc_el, tag, name=name, option_count=str(len(options)))
    for index, params in enumerate(options):
        opt = sub(cfg, "option", index=str(index), bits="32")
        for p in params:
            items = p.pop("items", None)
            text = p.pop("text", None)
            e = sub(opt, "param", text, **p)
            if items:
                select_items(e, items)
    return cfg


def flash_options(variant):
    freq = [(str(i), "%d MHz" % mhz) for i, mhz in enumerate([30, 50, 66, 80, 104, 120, 133, 166, 200], 1)]
    return [
        [dict(min_bit="16", max_bit="31", type="value", text="0xfcf9"),
         dict(name="Option size", min_bit="0", max_bit="3", type="input", default="1", hide="1")],
        [dict(name="Frequency option", min_bit="0", max_bit="3", type="select", defaultItem="7", items=freq[:8 + variant % 2]),
         dict(name="Misc option", min_bit="4", max_bit="7", type="select", defaultItem="0", desc="Miscellaneous probe options",
              items=[("0", "None"), ("1", "Differential clock", ), ("2", "Parallel mode"), ("10", "Internal loopback")]),
         dict(name="Dummy cycles", min_bit="8", max_bit="15", type="input", placeholder="auto", placeholderValue="0",
              desc="Dummy cycles of the read command, empty for automatic"),
         dict(name="Flash type", min_bit="28", max_bit="31", type="select", defaultItem="0",
              items=[("0", "Serial NOR"), ("1", "Serial NAND")])],
        [dict(name="Connection selection", min_bit="0", max_bit="3", type="select", defaultItem="0",
              items=[("0", "Port A"), ("1", "Port B"), ("2", "Port A and B")]),
         dict(name="Pin group", min_bit="4", max_bit="7", type="select", defaultItem="0",
              items=[("0", "Primary group"), ("1", "Secondary group")]),
         dict(name="IO voltage", min_bit="8", max_bit="11", type="select", defaultItem="0",
              items=[("0", "3.3 V"), ("1", "1.8 V")]),
         dict(name="Reserved", min_bit="12", max_bit="31", type="input", default="0", hide="1")],
        [dict(name="Drive strength", min_bit="0", max_bit="7", type="input", placeholder="auto", placeholderValue="0"),
         dict(name="Flash size (MB)", min_bit="8", max_bit="15", type="input", default="0", placeholder="auto",
              placeholderValue="0", desc="Flash size in megabytes, empty to probe"),
         dict(name="Reserved", min_bit="16", max_bit="31", type="input", default="0", hide="1")],
    ]


def emmc_options():
    return [
        [dict(min_bit="16", max_bit="31", type="value", text="0xec09"),
         dict(name="Bus width", min_bit="0", max_bit="3", type="select", defaultItem="2",
              items=[("0", "1 bit"), ("1", "4 bits"), ("2", "8 bits")])],
        [dict(name="Speed mode", min_bit="0", max_bit="3", type="select", defaultItem="1",
              items=[("0", "Legacy"), ("1", "High speed"), ("2", "HS200")]),
         dict(name="Boot partition", min_bit="4", max_bit="7", type="input", placeholder="auto", placeholderValue="0"),
         dict(name="Reserved", min_bit="8", max_bit="31", type="input", default="0", hide="1")],
    ]


def build_fields(n_select, n_input, n_check, n_none):
    """Returns {word index: [field dict]} for one SoC, exactly the given counts per type."""
    words = {i: [] for i in range(128)}
    # Fixed, well-known fields first.
    words[0].append(dict(name="OTP_LOCK", offset="0", width="32", type="none",
                         desc="Lock bits: bit k protects words 4k to 4k+3"))
    words[1].append(dict(name="LIFE_CYCLE", offset="0,28", width="4", type="select", desc="Life cycle state",
                         items=LIFE_CYCLE_ITEMS))
    words[1].append(dict(name="JTAG_DISABLE", offset="16", width="1", type="check", desc="Disable the JTAG port"))
    words[1].append(dict(name="DEBUG_DISABLE", offset="17", width="1", type="check", desc="Disable the debug port"))
    words[2].append(dict(name="SEC_BOOT_EN", offset="0", width="1", type="check", desc="Enable secure boot"))
    words[2].append(dict(name="KEY_REVOKE", offset="4", width="4", type="input", default="0", desc="Revoked key mask"))
    counts = {"select": 1, "input": 1, "check": 3, "none": 1}
    wanted = {"select": n_select, "input": n_input, "check": n_check, "none": n_none}

    # Identify words: device identity, read-only data.
    for w in range(8, 24):
        if counts["none"] < wanted["none"]:
            words[w].append(dict(name="UID_%d" % (w - 8), offset="0", width="32", type="none", desc="Unique id"))
            counts["none"] += 1
    # General words: boot options, two fields per word.
    w = 24
    bit = 0
    sel_no = inp_no = chk_no = 0
    for kind in ["select"] * (wanted["select"] - counts["select"]) + ["input"] * (wanted["input"] - counts["input"]) \
            + ["check"] * (wanted["check"] - counts["check"]):
        if kind == "select":
            items = [("0", "Disabled"), ("1", "Option A"), ("2", "Option B"), ("10", "Option C")]
            f = dict(name="BOOT_CFG_%d" % sel_no, offset=str(bit), width="4", type="select",
                     desc="Boot configuration %d" % sel_no, items=items)
            sel_no += 1
            bit += 4
        elif kind == "input":
            f = dict(name="USER_VALUE_%d" % inp_no, offset=str(bit), width="8", type="input", default="0",
                     desc="User value %d" % inp_no)
            inp_no += 1
            bit += 8
        else:
            f = dict(name="FEATURE_OFF_%d" % chk_no, offset=str(bit), width="1", type="check",
                     desc="Switch off feature %d" % chk_no)
            chk_no += 1
            bit += 1
        counts[kind] += 1
        words[w].append(f)
        if bit >= 16:
            w += 1
            bit = 0
    # Remaining none fields: reserved parts of general words, then key words.
    candidates = [x for x in range(w + 1, 56)] + list(range(56, 128)) + list(range(3, 8))
    for x in candidates:
        if counts["none"] >= wanted["none"]:
            break
        if x >= 56:
            words[x].append(dict(name="KEY%d_W%d" % ((x - 56) // 8, (x - 56) % 8), offset="0", width="32",
                                 type="none", desc="Key material"))
        else:
            words[x].append(dict(name="RESERVED_%d" % x, offset="0", width="32", type="none", desc="Reserved"))
        counts["none"] += 1
    assert counts == wanted, (counts, wanted)
    return words


def build():
    root = ET.Element("configuration")
    socs_el = ET.SubElement(root, "socs")
    for i, (name, pid, views, flashes, emmc, min_rev, cores) in enumerate(SOCS):
        attrs = {"name": name, "vid": VENDOR_ID, "pid": "0x%04X" % pid, "core-num": str(cores)}
        if min_rev:
            attrs["minSocRevision"] = min_rev
        soc = ET.SubElement(socs_el, "soc", attrs)
        base = ET.SubElement(soc, "baseInfo")
        ET.SubElement(base, "info", {"name": "series", "value": name[:3]})
        mv = ET.SubElement(soc, "memoryView")
        for v in views:
            a = {"name": v, "value": MEMORY_IDS[v]}
            if ERASABLE.get(v):
                a["erasable"] = "1"
            ET.SubElement(mv, "memory", a)
        fm = ET.SubElement(soc, "flashMemory")
        for f in flashes:
            ET.SubElement(fm, "memory", {"name": f, "value": MEMORY_IDS[f], "address": FLASH_BASE[f]})
        flash_config(soc, "flashConfig", "Flash Configure Words", flash_options(i))
        if emmc:
            em = ET.SubElement(soc, "emmcMemory")
            ET.SubElement(em, "memory", {"name": "SDXC0", "value": MEMORY_IDS["SDXC0"], "sector_index": "0x0"})
            ET.SubElement(em, "memory", {"name": "SDXC1", "value": MEMORY_IDS["SDXC1"], "sector_index": "0x400"})
            flash_config(soc, "emmcConfig", "eMMC Configure Words", emmc_options())
        fields = build_fields(SELECT_COUNTS[i], INPUT_COUNTS[i], CHECK_COUNTS[i], NONE_COUNTS[i])
        fuse = ET.SubElement(soc, "fuseMap")
        index = 0
        for wtype, count in WORD_LAYOUT:
            for _ in range(count):
                desc = {"SECURE": "SECURITY" if index else "LOCK", "IDENTIFY": "IDENTITY",
                        "GENERAL": "GENERAL", "SECRET": "KEYS"}[wtype]
                word = ET.SubElement(fuse, "word", {"index": str(index), "type": wtype, "desc": desc})
                for f in fields[index]:
                    f = dict(f)
                    items = f.pop("items", None)
                    order = ["name", "offset", "width", "desc", "default", "type"]
                    fe = ET.SubElement(word, "field", {k: f[k] for k in order if k in f})
                    if items:
                        select_items(fe, items)
                index += 1
    return root


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "config", "common.xml")
    root = build()
    ET.indent(root, space="    ")
    data = ET.tostring(root, encoding="unicode")
    with open(out, "w", encoding="utf-8", newline="\n") as fh:
        fh.write('<?xml version="1.0" encoding="utf-8"?>\n')
        fh.write(data)
        fh.write("\n")


if __name__ == "__main__":
    main()
