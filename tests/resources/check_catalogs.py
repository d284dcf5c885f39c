#!/usr/bin/env python3
"""Checks the shipped translations.

Every <language>.po of a catalog folder covers every message of the folder's
committed template (none missing, untranslated or fuzzy), and keeps every
directive of the English text: printf conversions ("%s", "%1$d"), the "%@"
of the menu texts and Qt's "%1". The desktop entries and metainfo, with the
translations merged in, pass the desktop's own validators. Every language has
its copy of every English help page, and every link of every page leads to a
file (and anchor) that is there.

Compared with the committed template, not with the sources: a text added
since shows in English until the template is extracted again.

Usage: check_catalogs.py --languages "de fr ..." --po-dir DIR... \
       [--desktop FILE...] [--metainfo FILE...] [--help-dir DIR]
"""
import argparse
import collections
import html.parser
import os
import re
import shutil
import subprocess
import sys

# printf conversions (with flags, width, precision, length and positions),
# Cocoa's %@ (possibly positional) and Qt's %1..%99; "%%" is no directive.
DIRECTIVE = re.compile(
    r"%(?:%|(?:\d+\$)?[-+ #0']*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|q|j|z|t)?[diouxXeEfFgGaAcsp@]|\d{1,2})"
)


def directives(text):
    return collections.Counter(d for d in DIRECTIVE.findall(text) if d != "%%")


def unescape(quoted):
    return "".join(
        bytes(part, "utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8")
        for part in re.findall(r'"((?:[^"\\]|\\.)*)"', quoted)
    )


def entries(path):
    """(msgid, [msgstr forms], fuzzy) for every message but the header."""
    text = open(path, encoding="utf-8").read()
    for block in re.split(r"\n\s*\n", text):
        if re.search(r"^#~", block, re.M):
            continue
        msgid = re.search(r'^msgid ((?:".*"\s*)+)', block, re.M)
        if not msgid or unescape(msgid.group(1)) == "":
            continue
        forms = [unescape(m) for m in re.findall(r'^msgstr(?:\[\d+\])? ((?:".*"\s*)+)', block, re.M)]
        plural = re.search(r'^msgid_plural ((?:".*"\s*)+)', block, re.M)
        fuzzy = re.search(r"^#,.*\bfuzzy\b", block, re.M) is not None
        yield unescape(msgid.group(1)), unescape(plural.group(1)) if plural else None, forms, fuzzy


def check_catalogs(po_dir, languages):
    problems = []
    templates = [f for f in os.listdir(po_dir) if f.endswith(".pot")]
    if len(templates) != 1:
        return [f"{po_dir}: expected one catalog template, found {templates}"]
    template = {msgid for msgid, _, _, _ in entries(os.path.join(po_dir, templates[0]))}
    if not template:
        return [f"{po_dir}: the template holds no message"]
    for language in languages:
        path = os.path.join(po_dir, language + ".po")
        if not os.path.exists(path):
            problems.append(f"{path}: missing")
            continue
        translated = {}
        fuzzy_header = re.search(r'^#,.*\bfuzzy\b[^\n]*\nmsgid ""', open(path, encoding="utf-8").read(), re.M)
        if fuzzy_header:
            problems.append(f"{path}: the header is fuzzy (msgfmt would skip the catalog's charset)")
        for msgid, plural, forms, fuzzy in entries(path):
            where = f"{path}: {msgid!r}"
            if fuzzy:
                problems.append(f"{where}: fuzzy")
            if not forms or any(form == "" for form in forms):
                problems.append(f"{where}: untranslated")
                continue
            translated[msgid] = forms
            # A plural form may leave out the count ("one file" in words), but
            # it may not bring a directive of its own; the singular and the
            # other forms keep all of them.
            for index, form in enumerate(forms):
                source = msgid if (plural is None or index == 0) else plural
                want, have = directives(source), directives(form)
                if have != want and not (plural and len(forms) > 1 and have <= want):
                    problems.append(
                        f"{where}: form {index} has directives {sorted(have.elements())}, "
                        f"the English text {sorted(want.elements())}")
        for msgid in sorted(template - translated.keys()):
            problems.append(f"{path}: {msgid!r} is not translated")
        result = subprocess.run(["msgfmt", "--check", "-o", os.devnull, path],
                                capture_output=True, text=True)
        if result.returncode != 0:
            problems.append(f"{path}: msgfmt --check: {result.stderr.strip()}")
    return problems


def validate(paths, command, languages):
    problems = []
    for path in paths:
        content = open(path, encoding="utf-8").read()
        for language in languages:
            marker = f"[{language}]=" if command[0] == "desktop-file-validate" else f'xml:lang="{language}"'
            if marker not in content:
                problems.append(f"{path}: no {language} translation merged in")
        if shutil.which(command[0]) is None:
            print(f"{command[0]} not installed: {path} not validated", file=sys.stderr)
            continue
        result = subprocess.run(command + [path], capture_output=True, text=True)
        if result.returncode != 0:
            problems.append(f"{path}: {' '.join(command)}: {result.stdout}{result.stderr}".strip())
    return problems


class PageLinks(html.parser.HTMLParser):
    """The links (href, src) and anchors (id) of a page."""

    def __init__(self):
        super().__init__()
        self.links, self.anchors = [], set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value:
                self.links.append(value)
            elif name == "id" and value:
                self.anchors.add(value)


def check_help(help_dir, languages):
    problems = []
    pages = sorted(f for f in os.listdir(help_dir) if f.endswith(".html"))
    if not pages:
        return [f"{help_dir}: no help page"]
    folders = [help_dir] + [os.path.join(help_dir, language) for language in languages]
    parsed = {}
    for folder in folders:
        for page in pages:
            path = os.path.join(folder, page)
            if not os.path.exists(path):
                problems.append(f"{path}: missing")
                continue
            links = PageLinks()
            links.feed(open(path, encoding="utf-8").read())
            parsed[os.path.normpath(path)] = links
    for path, links in parsed.items():
        for link in links.links:
            if re.match(r"^[a-z][a-z0-9+.-]*:", link):
                continue  # another site; the pages are read offline
            target, _, anchor = link.partition("#")
            target = os.path.normpath(os.path.join(os.path.dirname(path), target)) if target else path
            if not os.path.exists(target):
                problems.append(f"{path}: the link {link!r} leads nowhere")
            elif anchor and target in parsed and anchor not in parsed[target].anchors:
                problems.append(f"{path}: the link {link!r} names no anchor of its page")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--languages", required=True)
    parser.add_argument("--po-dir", nargs="+", default=[])
    parser.add_argument("--desktop", nargs="*", default=[])
    parser.add_argument("--metainfo", nargs="*", default=[])
    parser.add_argument("--help-dir")
    args = parser.parse_args()
    languages = args.languages.split()
    problems = []
    for po_dir in args.po_dir:
        problems += check_catalogs(po_dir, languages)
    problems += validate(args.desktop, ["desktop-file-validate"], languages)
    problems += validate(args.metainfo, ["appstreamcli", "validate", "--no-net"], languages)
    if args.help_dir:
        problems += check_help(args.help_dir, languages)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
