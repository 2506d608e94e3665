#!/usr/bin/python3
"""Checks that a filtered mzML or mzXML file differs from its input only where filtering may
change it, and that the index, offsets and checksum it ends with are right.

usage: masked_diff.py INPUT OUTPUT --levels 1,2 --rules N

INPUT and OUTPUT may be gzipped. --levels names the MS levels that have rules; --rules is how
many rules the run had (the added processing entry names each). Every byte outside the masks
below must be equal:

mzML, in spectra of a level with rules: defaultArrayLength, each array's encodedLength and
arrayLength, the text of each <binary>, the values of the spectrum's total ion current, base
peak m/z and intensity, lowest and highest observed m/z (the last four go, with their line,
when the output spectrum holds no peak and the input one did). Anywhere: the count of the
software and data processing lists, the one software and one data processing entry added (or
the whole list when the input has none) with the whitespace around it, the indexedmzML start
tag added to a plain input, and everything between </mzML> and </indexedmzML>, which is
checked on its own: each index entry leads to its element, the list offset to <indexList>,
and the checksum is the SHA-1 of the bytes before it.

mzXML, in scans of a level with rules: peaksCount, totIonCurrent, basePeakMz,
basePeakIntensity, lowMz, highMz, compressedLen and the text of <peaks>. The one
<dataProcessing> added last in <msRun> (with the whitespace around it), and everything
between </msRun> and </mzXML>, checked on its own like mzML's index.

Exit status 0 when the files agree, 1 (with the first difference on stdout) when not, 2 when
a file cannot be read.
"""

import argparse
import gzip
import hashlib
import re
import sys
from xml.sax.saxutils import unescape

TOKEN = re.compile(
    r"<!--.*?-->|<!\[CDATA\[.*?\]\]>|<\?.*?\?>|<!DOCTYPE[^>]*>"
    r"|<[^\"'>]*(?:(?:\"[^\"]*\"|'[^']*')[^\"'>]*)*>|[^<]+",
    re.S,
)
TAG_NAME = re.compile(r"<\s*/?\s*([^\s/>]+)")
ATTRIBUTE = re.compile(r"([^\s=<>/]+)\s*=\s*(\"([^\"]*)\"|'([^']*)')")
ENTITIES = {"&quot;": '"', "&apos;": "'"}

SUMMARY = ("MS:1000285", "MS:1000504", "MS:1000505", "MS:1000528", "MS:1000527")
TIC = "MS:1000285"


class Mismatch(Exception):
    pass


class Token:
    __slots__ = ("text", "kind", "name")

    def __init__(self, text):
        self.text = text
        if not text.startswith("<"):
            self.kind, self.name = "text", ""
        elif text.startswith(("<!--", "<?", "<!")):
            self.kind, self.name = "other", ""
        else:
            full = TAG_NAME.match(text).group(1)
            self.name = full.split(":")[-1]
            if text.startswith("</") or re.match(r"<\s*/", text):
                self.kind = "end"
            elif text.endswith("/>"):
                self.kind = "empty"
            else:
                self.kind = "start"

    def opens(self, name=None):
        return self.kind in ("start", "empty") and (name is None or self.name == name)

    def closes(self, name=None):
        return self.kind == "end" and (name is None or self.name == name)

    def attribute(self, name):
        for match in ATTRIBUTE.finditer(self.text):
            if match.group(1).split(":")[-1] == name and ":" not in match.group(1):
                value = match.group(3) if match.group(3) is not None else match.group(4)
                return unescape(value, ENTITIES)
        return None


def read(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] == b"\x1f\x8b":
            data = gzip.decompress(data)
    except (OSError, EOFError) as e:
        print(f"{path}: cannot be read: {e}")
        sys.exit(2)
    return data


def tokenize(text, path):
    tokens = [Token(m.group(0)) for m in TOKEN.finditer(text)]
    if "".join(t.text for t in tokens) != text:
        print(f"{path}: cannot be split into tags and text")
        sys.exit(2)
    return tokens


def mask_attributes(text, names):
    def replace(match):
        if match.group(1) in names:
            quote = match.group(2)[0]
            return f"{match.group(1)}={quote}#{quote}"
        return match.group(0)

    return ATTRIBUTE.sub(replace, text)


def element_end(tokens, start):
    """Index just past the element that opens at tokens[start]."""
    if tokens[start].kind == "empty":
        return start + 1
    depth = 0
    for i in range(start, len(tokens)):
        if tokens[i].kind == "start":
            depth += 1
        elif tokens[i].kind == "end":
            depth -= 1
            if depth == 0:
                return i + 1
    raise Mismatch(f"<{tokens[start].name}> is never closed")


def is_space(token):
    return token.kind == "text" and token.text.strip(" \t\r\n") == ""


def direct_children(tokens, begin, end):
    """Indices of the child elements of the element spanning tokens[begin:end]."""
    children, depth = [], 0
    for i in range(begin, end):
        t = tokens[i]
        if t.kind == "start":
            if depth == 1:
                children.append(i)
            depth += 1
        elif t.kind == "empty" and depth == 1:
            children.append(i)
        elif t.kind == "end":
            depth -= 1
    return children


def first_difference(a, b, what):
    n = min(len(a), len(b))
    at = next((i for i in range(n) if a[i] != b[i]), n)
    raise Mismatch(
        f"{what} differ at character {at} (of {len(a)} and {len(b)}):\n"
        f"  input:  {a[max(0, at - 60):at + 60]!r}\n"
        f"  output: {b[max(0, at - 60):at + 60]!r}"
    )


# ---- mzML -------------------------------------------------------------------------------


def parameter_groups(tokens):
    groups, current = {}, None
    for t in tokens:
        if t.opens("referenceableParamGroup"):
            current = t.attribute("id")
            groups[current] = []
        elif t.closes("referenceableParamGroup"):
            current = None
        elif current is not None and t.opens("cvParam"):
            groups[current].append((t.attribute("accession"), t.attribute("value")))
    return groups


def spectrum_level(tokens, begin, end, groups):
    level, ms1 = None, False
    for i in direct_children(tokens, begin, end):
        t = tokens[i]
        params = []
        if t.name == "cvParam":
            params = [(t.attribute("accession"), t.attribute("value"))]
        elif t.name == "referenceableParamGroupRef":
            params = groups.get(t.attribute("ref"), [])
        for accession, value in params:
            if accession == "MS:1000511":
                level = int(value)
            elif accession == "MS:1000579":
                ms1 = True
    if level is None and ms1:
        level = 1
    return level


def spectra_blocks(tokens):
    """(begin, end) token ranges of the spectra in a spectrumList."""
    blocks, inside, i = [], False, 0
    while i < len(tokens):
        t = tokens[i]
        if t.opens("spectrumList"):
            inside = True
        elif t.closes("spectrumList"):
            inside = False
        elif inside and t.opens("spectrum"):
            end = element_end(tokens, i)
            blocks.append((i, end))
            i = end
            continue
        i += 1
    return blocks


def normalize_spectrum(tokens, begin, end, filtered, drop_summary):
    out = []
    if not filtered:
        return [t.text for t in tokens[begin:end]]
    children = set(direct_children(tokens, begin, end))
    in_binary = False
    skip_to = begin
    for i in range(begin, end):
        t = tokens[i]
        if i < skip_to:
            continue
        if in_binary:
            if t.closes("binary"):
                in_binary = False
                out.append("#")
                out.append(t.text)
            continue
        if i == begin:
            out.append(mask_attributes(t.text, {"defaultArrayLength"}))
        elif i in children and t.name == "cvParam" and t.attribute("accession") in SUMMARY:
            accession = t.attribute("accession")
            if drop_summary and accession != TIC:
                # Removed with its line: the newline and indentation before it go too.
                if out and re.search(r"\n[ \t]*$", out[-1]):
                    out[-1] = re.sub(r"\n[ \t]*$", "", out[-1])
                skip_to = element_end(tokens, i)
                continue
            out.append(mask_attributes(t.text, {"value"}))
        elif t.opens("binaryDataArray"):
            out.append(mask_attributes(t.text, {"encodedLength", "arrayLength"}))
        elif t.opens("binary") and t.kind == "start":
            in_binary = True
            out.append(t.text)
        else:
            out.append(t.text)
    return out


def list_ids(tokens, list_name, entry_name):
    ids = []
    for begin, end in element_ranges(tokens, list_name):
        ids += [tokens[i].attribute("id") for i in direct_children(tokens, begin, end)
                if tokens[i].name == entry_name]
    return ids


def element_ranges(tokens, name):
    return [(i, element_end(tokens, i)) for i, t in enumerate(tokens) if t.opens(name)]


ADDED = "\x00added\x00"


def cut_added(tokens, begin, end):
    """Replaces tokens[begin:end] and the whitespace on either side with a mark; returns the
    tokens and the (kind, name) of the first tag after the cut, where the input gets its mark.
    The layout around an added element is the filter's to choose (it may use other line ends
    than the file), so it is masked with the element."""
    if begin > 0 and is_space(tokens[begin - 1]):
        begin -= 1
    if end < len(tokens) and is_space(tokens[end]):
        end += 1
    anchor = (tokens[end].kind, tokens[end].name) if end < len(tokens) else None
    return tokens[:begin] + [Token(ADDED)] + tokens[end:], anchor


def mark_anchor(tokens, anchor):
    """Puts the mark of an addition into the input before the first tag like `anchor`, in
    place of the whitespace there."""
    for i, t in enumerate(tokens):
        if anchor is not None and (t.kind, t.name) == anchor:
            if i > 0 and is_space(tokens[i - 1]):
                return tokens[:i - 1] + [Token(ADDED)] + tokens[i:]
            return tokens[:i] + [Token(ADDED)] + tokens[i:]
    raise Mismatch(f"the input has no <{anchor[1] if anchor else '?'}> where the output adds "
                   f"an element before one")


def remove_added_mzml_entries(tokens, input_tokens, rules):
    """Cuts from the output the software and data processing entry filtering adds, after
    checking them, and marks the input where they were added; returns both."""
    for list_name, entry_name in (("softwareList", "software"),
                                  ("dataProcessingList", "dataProcessing")):
        before = set(list_ids(input_tokens, list_name, entry_name))
        lists = element_ranges(tokens, list_name)
        if len(lists) != 1:
            raise Mismatch(f"the output holds {len(lists)} <{list_name}> elements")
        begin, end = lists[0]
        children = [i for i in direct_children(tokens, begin, end)
                    if tokens[i].name == entry_name]
        declared = tokens[begin].attribute("count")
        if declared != str(len(children)):
            raise Mismatch(f"the output's <{list_name}> says count=\"{declared}\" but holds "
                           f"{len(children)}")
        added = [i for i in children if tokens[i].attribute("id") not in before]
        if len(added) != 1:
            raise Mismatch(f"the output adds {len(added)} <{entry_name}> entries, not one")
        if not element_ranges(input_tokens, list_name):
            span = (begin, end)
        else:
            span = (added[0], element_end(tokens, added[0]))
        text = "".join(t.text for t in tokens[span[0]:span[1]])
        named = text.count('name="Brevanto rule"')
        if entry_name == "dataProcessing" and named != rules:
            raise Mismatch(f"the added data processing names {named} rules, not {rules}")
        tokens, anchor = cut_added(tokens, *span)
        input_tokens = mark_anchor(input_tokens, anchor)
    return tokens, input_tokens


def normalize_mzml_head(tokens, levels, other_blocks, groups, is_output, other_tokens):
    out = []
    blocks = spectra_blocks(tokens)
    starts = {b: e for b, e in blocks}
    i, index = 0, 0
    while i < len(tokens):
        t = tokens[i]
        if i in starts:
            end = starts[i]
            level = spectrum_level(tokens, i, end, groups)
            filtered = level is not None and level in levels
            drop = False
            if filtered and not is_output and index < len(other_blocks):
                ob, oe = other_blocks[index]
                drop = (other_tokens[ob].attribute("defaultArrayLength") == "0"
                        and t.attribute("defaultArrayLength") not in ("0", None))
            out += normalize_spectrum(tokens, i, end, filtered, drop)
            index += 1
            i = end
            continue
        if t.opens("softwareList") or t.opens("dataProcessingList"):
            out.append(mask_attributes(t.text, {"count"}))
        else:
            out.append(t.text)
        i += 1
    return "".join(out)


def check_mzml_tail(data, text, tokens, tail, prefix):
    p = re.escape(prefix)
    match = re.fullmatch(
        rf"\n<{p}indexList count=\"(\d+)\">\n((?:  <{p}index name=\"\w+\">\n"
        rf"(?:    <{p}offset idRef=\"[^\"]*\">\d+</{p}offset>\n)*  </{p}index>\n)+)"
        rf"</{p}indexList>\n<{p}indexListOffset>(\d+)</{p}indexListOffset>\n"
        rf"<{p}fileChecksum>([0-9a-f]{{40}})</{p}fileChecksum>\n",
        tail,
    )
    if not match:
        raise Mismatch(f"the output's index is not as written: {tail[:300]!r}")
    list_offset = int(match.group(3))
    if not text.startswith(f"<{prefix}indexList ", list_offset):
        raise Mismatch(f"indexListOffset {list_offset} does not lead to <indexList>")
    indexes = re.findall(rf"  <{p}index name=\"(\w+)\">\n((?:    <{p}offset[^\n]*\n)*)", tail)
    if match.group(1) != str(len(indexes)):
        raise Mismatch(f"indexList count=\"{match.group(1)}\" but {len(indexes)} indexes")
    for kind, body in indexes:
        entries = re.findall(rf"idRef=\"([^\"]*)\">(\d+)<", body)
        wanted = [tokens[b].attribute("id") for b, _ in element_ranges(tokens, kind)]
        if [unescape(ref, ENTITIES) for ref, _ in entries] != wanted:
            raise Mismatch(f"the {kind} index does not list the {kind}s in order")
        for ref, offset in entries:
            offset = int(offset)
            at = TOKEN.match(text, offset)
            if at is None or Token(at.group(0)).name != kind or \
                    Token(at.group(0)).attribute("id") != unescape(ref, ENTITIES):
                raise Mismatch(f"the {kind} index entry \"{ref}\" ({offset}) does not lead to it")
    check_digest(data, text, f"<{prefix}fileChecksum>", match.group(4))


def check_digest(data, text, opening, stated):
    end = text.rindex(opening) + len(opening)
    actual = hashlib.sha1(data[:end]).hexdigest()
    if actual != stated:
        raise Mismatch(f"the output's checksum says {stated} but its bytes give {actual}")


def split_at_end(tokens, name):
    ends = [i for i, t in enumerate(tokens) if t.closes(name)]
    if not ends:
        raise Mismatch(f"no </{name}>")
    return ends[-1] + 1


def compare_mzml(in_data, out_data, levels, rules):
    in_text, out_text = in_data.decode("latin-1"), out_data.decode("latin-1")
    a, b = tokenize(in_text, "input"), tokenize(out_text, "output")
    a_end, b_end = split_at_end(a, "mzML"), split_at_end(b, "mzML")
    a_head, b_head = a[:a_end], b[:b_end]
    prefix = re.match(r"<([^\s/>]*?)mzML", next(t.text for t in b_head if t.opens("mzML")))
    prefix = prefix.group(1) if prefix else ""

    indexed = any(t.opens("indexedmzML") for t in a_head)
    if not indexed:
        wrap = [i for i, t in enumerate(b_head) if t.opens("indexedmzML")]
        if len(wrap) != 1 or not b_head[wrap[0] + 1].text == "\n" or \
                not b_head[wrap[0] + 2].opens("mzML"):
            raise Mismatch("a plain input's output does not start <indexedmzML> before <mzML>")
        b_head = b_head[:wrap[0]] + b_head[wrap[0] + 2:]
        a_rest = "".join(t.text for t in a[a_end:])
        closing = [i for i in range(b_end, len(b)) if b[i].closes("indexedmzML")]
        if not closing:
            raise Mismatch("the output does not end </indexedmzML>")
        b_rest = "".join(t.text for t in b[closing[-1] + 1:])
    else:
        a_close = [i for i in range(a_end, len(a)) if a[i].closes("indexedmzML")]
        closing = [i for i in range(b_end, len(b)) if b[i].closes("indexedmzML")]
        if not a_close or not closing:
            raise Mismatch("</indexedmzML> is missing")
        a_rest = "".join(t.text for t in a[a_close[-1]:])
        b_rest = "".join(t.text for t in b[closing[-1]:])
    if a_rest != b_rest:
        first_difference(a_rest, b_rest, "the texts after the index")

    b_head, a_head = remove_added_mzml_entries(b_head, a_head, rules)
    groups = parameter_groups(a_head)
    a_blocks, b_blocks = spectra_blocks(a_head), spectra_blocks(b_head)
    if len(a_blocks) != len(b_blocks):
        raise Mismatch(f"{len(a_blocks)} spectra in, {len(b_blocks)} out")
    left = normalize_mzml_head(a_head, levels, b_blocks, groups, False, b_head)
    right = normalize_mzml_head(b_head, levels, a_blocks, groups, True, a_head)
    if left != right:
        first_difference(left, right, "the masked documents")

    tail = "".join(t.text for t in b[b_end:closing[-1]])
    check_mzml_tail(out_data, out_text, b[:b_end], tail, prefix)


# ---- mzXML ------------------------------------------------------------------------------


def normalize_mzxml_head(tokens, levels):
    out, scans, in_peaks = [], [], False
    for t in tokens:
        if in_peaks:
            if t.closes("peaks"):
                in_peaks = False
                out.append("#")
                out.append(t.text)
            continue
        if t.opens("scan"):
            level = t.attribute("msLevel")
            filtered = level is not None and int(level) in levels
            if t.kind == "start":
                scans.append(filtered)
            if filtered:
                out.append(mask_attributes(t.text, {"peaksCount", "totIonCurrent", "basePeakMz",
                                                    "basePeakIntensity", "lowMz", "highMz"}))
                continue
        elif t.closes("scan") and scans:
            scans.pop()
        elif t.opens("peaks") and scans and scans[-1]:
            out.append(mask_attributes(t.text, {"compressedLen"}))
            in_peaks = t.kind == "start"
            continue
        out.append(t.text)
    return "".join(out)


def run_processing(tokens):
    runs = element_ranges(tokens, "msRun")
    if len(runs) != 1:
        raise Mismatch(f"{len(runs)} <msRun> elements")
    begin, end = runs[0]
    return [i for i in direct_children(tokens, begin, end) if tokens[i].name == "dataProcessing"]


def compare_mzxml(in_data, out_data, levels, rules):
    in_text, out_text = in_data.decode("latin-1"), out_data.decode("latin-1")
    a, b = tokenize(in_text, "input"), tokenize(out_text, "output")
    a_end, b_end = split_at_end(a, "msRun"), split_at_end(b, "msRun")
    a_close, b_close = split_at_end(a, "mzXML") - 1, split_at_end(b, "mzXML") - 1
    a_rest = "".join(t.text for t in a[a_close:])
    b_rest = "".join(t.text for t in b[b_close:])
    if a_rest != b_rest:
        first_difference(a_rest, b_rest, "the texts after the index")
    a_head, b_head = a[:a_end], b[:b_end]
    before, after = run_processing(a_head), run_processing(b_head)
    if before:
        if len(after) != len(before) + 1:
            raise Mismatch(f"{len(before)} <dataProcessing> in, {len(after)} out")
        begin = after[-1]
        end = element_end(b_head, begin)
        text = "".join(t.text for t in b_head[begin:end])
        if 'name="Brevanto"' not in text or text.count('name="Brevanto rule"') != rules:
            raise Mismatch(f"the added <dataProcessing> is not ours: {text!r}")
        b_head, anchor = cut_added(b_head, begin, end)
        a_head = mark_anchor(a_head, anchor)
    elif after:
        raise Mismatch("a <dataProcessing> was added where the input has none")
    left, right = normalize_mzxml_head(a_head, levels), normalize_mzxml_head(b_head, levels)
    if left != right:
        first_difference(left, right, "the masked documents")

    prefix = re.match(r"<([^\s/>]*?)mzXML", next(t.text for t in b if t.opens("mzXML")))
    prefix = prefix.group(1) if prefix else ""
    p = re.escape(prefix)
    tail = "".join(t.text for t in b[b_end:b_close])
    match = re.fullmatch(
        rf"\n<{p}index name=\"scan\">\n((?:<{p}offset id=\"[^\"]*\">\d+</{p}offset>\n)*)"
        rf"</{p}index>\n<{p}indexOffset>(\d+)</{p}indexOffset>\n<{p}sha1>([0-9a-f]{{40}})"
        rf"</{p}sha1>\n",
        tail,
    )
    if not match:
        raise Mismatch(f"the output's index is not as written: {tail[:300]!r}")
    if not out_text.startswith(f"<{prefix}index ", int(match.group(2))):
        raise Mismatch("indexOffset does not lead to <index>")
    entries = re.findall(r"id=\"([^\"]*)\">(\d+)<", match.group(1))
    wanted = [t.attribute("num") for t in b_head if t.opens("scan")]
    if [unescape(n, ENTITIES) for n, _ in entries] != wanted:
        raise Mismatch("the scan index does not list the scans in order")
    for num, offset in entries:
        at = TOKEN.match(out_text, int(offset))
        if at is None or Token(at.group(0)).name != "scan" or \
                Token(at.group(0)).attribute("num") != unescape(num, ENTITIES):
            raise Mismatch(f"the index entry of scan {num} ({offset}) does not lead to it")
    check_digest(out_data, out_text, f"<{prefix}sha1>", match.group(3))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("input")
    parser.add_argument("output")
    parser.add_argument("--levels", default="")
    parser.add_argument("--rules", type=int, required=True)
    args = parser.parse_args()
    levels = {int(x) for x in args.levels.split(",") if x}
    in_data, out_data = read(args.input), read(args.output)
    try:
        if b"<mzXML" in in_data[:4096] or re.search(rb"<\w+:mzXML", in_data[:4096]):
            compare_mzxml(in_data, out_data, levels, args.rules)
        else:
            compare_mzml(in_data, out_data, levels, args.rules)
    except Mismatch as e:
        print(f"{args.output} against {args.input}: {e}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
